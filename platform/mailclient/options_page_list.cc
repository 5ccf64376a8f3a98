#include "platform/mailclient/options_page_list.h"

#include "base/error.h"

namespace vellumo::mail {

void OptionsPageList::Add(std::shared_ptr<PropertyPage> page, std::string_view title) {
  if (!page) throw Error(ErrorCode::kInvalidCall, "OptionsPages.Add");
  pages_.push_back({std::move(page), std::string(title)});
}

}  // namespace vellumo::mail
