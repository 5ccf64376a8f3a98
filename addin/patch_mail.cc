#include "addin/patch_mail.h"

#include <vector>

#include "base/text.h"

namespace vellumo::addin {
namespace {

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool SentByGit(std::string_view headers) {
  for (std::string_view line : LinesOf(headers)) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (!text::EqualsText(text::Trim(line.substr(0, colon)), "X-Mailer")) continue;
    if (text::Trim(line.substr(colon + 1)).starts_with("git-send-email")) return true;
  }
  return false;
}

// "--- a", "+++ b", "@@ -1 +1 @@" in that order: the header of one hunk of a unified diff.
bool HoldsUnifiedDiff(std::string_view body) {
  int stage = 0;
  for (std::string_view line : LinesOf(body)) {
    if (line.starts_with("diff --git ")) return true;
    if (stage == 0 && line.starts_with("--- ")) {
      stage = 1;
    } else if (stage == 1) {
      stage = line.starts_with("+++ ") ? 2 : 0;
    } else if (stage == 2) {
      if (line.starts_with("@@ ")) return true;
      stage = 0;
    }
  }
  return false;
}

}  // namespace

std::string PatchReason(std::string_view body, std::string_view html_body,
                        std::string_view headers) {
  if (SentByGit(headers)) return "sent by git send-email";
  if (html_body.empty() && HoldsUnifiedDiff(body)) return "the text holds a unified diff";
  return "";
}

}  // namespace vellumo::addin
