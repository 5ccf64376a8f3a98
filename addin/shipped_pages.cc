#include "addin/shipped_pages.h"

#include <string_view>

namespace vellumo::resources {
extern const std::string_view kPreviewHelpPage;
extern const std::string_view kVendorPage;
}  // namespace vellumo::resources

namespace vellumo::addin {

ShippedPages AddInPages() {
  constexpr std::string_view kHtml = "text/html; charset=utf-8";
  return {{"preview-help.html", {std::string(kHtml), std::string(resources::kPreviewHelpPage)}},
          {"vendor.html", {std::string(kHtml), std::string(resources::kVendorPage)}}};
}

}  // namespace vellumo::addin
