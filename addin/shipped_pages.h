// The pages that come with the program and are shown offline in a browser control: the preview
// window's help page (caption-table entry 5102 names it "vellumo:pages/preview-help.html") and
// the vendor page it links to. A window layer serves them under the names given here.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace vellumo::addin {

inline constexpr std::string_view kShippedPagePrefix = "vellumo:pages/";

// Name ("preview-help.html") -> {content type, body}.
using ShippedPages = std::map<std::string, std::pair<std::string, std::string>>;
[[nodiscard]] ShippedPages AddInPages();

}  // namespace vellumo::addin
