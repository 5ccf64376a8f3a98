// The pages an options dialog collected, in the order the add-ins added them. The in-memory
// application and the local client both hand one of these to the add-ins' OptionsPagesAdd.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mailclient/application.h"

namespace vellumo::mail {

class OptionsPageList final : public OptionsPages {
 public:
  struct Page {
    std::shared_ptr<PropertyPage> page;
    std::string title;
  };
  int Count() override { return static_cast<int>(pages_.size()); }
  void Add(std::shared_ptr<PropertyPage> page, std::string_view title) override;
  const std::vector<Page>& pages() const { return pages_; }

 private:
  std::vector<Page> pages_;
};

}  // namespace vellumo::mail
