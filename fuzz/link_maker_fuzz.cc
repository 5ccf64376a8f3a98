// The www link maker on any text: no crash or hang, and wherever the words found are distinct,
// none holds another and none matches the link markup, the one-pass result equals linking each
// collected word through a replace-all of the whole text.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "common/compose/neutralise.h"

namespace {

using namespace vellumo;

constexpr std::string_view kStops = " \t)?,:;!\r";

std::string Link(const std::string& word) {
  return "<a href=\"http://" + word + "\">" + word + "</a>";
}

// Collects the words as the link maker does and links each through a replace-all; returns false
// when the words are not distinct and free of markup, where the two are not meant to agree.
bool LinkEachWordEverywhere(const std::string& text, const std::string& search, std::string& out) {
  std::vector<std::string> words;
  for (size_t hit = text.find(search); hit != std::string::npos; hit = text.find(search, hit + 1)) {
    size_t end = hit;
    while (end < text.size() && kStops.find(text[end]) == std::string_view::npos) ++end;
    words.push_back(text.substr(hit, end - hit));
  }
  if (words.size() > 64) return false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    // A word cut short by a stop inside the search text also matches where no search text is.
    if (w.size() < search.size() || w.find_first_of("<>\"") != std::string::npos) return false;
    for (size_t j = 0; j < words.size(); ++j) {
      if (i != j && words[j].find(w) != std::string::npos) return false;
      // Nor may it match the markup of a link: only its own two copies in its own link.
      const std::string link = Link(words[j]);
      const size_t copies = (link.size() - text::Replace(link, w, "").size()) / w.size();
      if (copies != (i == j ? 2u : 0u)) return false;
    }
  }
  out = text;
  for (const std::string& w : words) out = text::Replace(out, w, Link(w));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // A first byte below 8 picks a search text of that many following bytes; else "www.".
  std::string search = "www.";
  if (!text.empty() && static_cast<unsigned char>(text[0]) < 8) {
    const size_t n = std::min<size_t>(static_cast<unsigned char>(text[0]), text.size() - 1);
    search = text.substr(1, n);
    text = text.substr(1 + n);
  }
  const std::string out = compose::MakeWwwLinks(text, search);
  std::string literal;
  // Byte matching is character matching only for a search text of whole characters.
  if (!search.empty() && text::IsValidUtf8(search) && text.size() <= 16384 &&
      LinkEachWordEverywhere(text, search, literal)) {
    if (out != literal) {
      std::fprintf(stderr, "search [%s] text [%s]\n", search.c_str(), text.c_str());
      std::abort();
    }
  }
  return 0;
}
