#include "tty/tty_text.h"

#include <algorithm>
#include <cctype>

#include "base/text.h"

namespace vellumo::ui {

std::string WithoutMnemonic(std::string_view caption) {
  std::string shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    // "&x" marks x as the access key; "&&" is a literal ampersand.
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

std::string Wrapped(std::string_view given, int columns) {
  const size_t width = static_cast<size_t>(std::max(columns, 10));
  std::string all = text::Replace(text::Replace(given, "\r\n", "\n"), "\r", "\n");
  all = text::Replace(all, "\t", "    ");
  std::string out;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string_view line(all.data() + start, end - start);
    while (true) {
      // Walk characters, not bytes: UTF-8 continuation bytes take no column.
      size_t chars = 0;
      size_t cut = std::string_view::npos;
      size_t last_blank = std::string_view::npos;
      for (size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
        if (chars == width) {
          cut = i;
          break;
        }
        if (line[i] == ' ') last_blank = i;
        ++chars;
      }
      if (cut == std::string_view::npos) {
        out.append(line);
        break;
      }
      const bool at_blank = last_blank != std::string_view::npos && last_blank > 0;
      const size_t take = at_blank ? last_blank : cut;
      std::string_view head = line.substr(0, take);
      while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
      out.append(head);
      out += '\n';
      line.remove_prefix(at_blank ? take + 1 : take);
      while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    }
    out += '\n';
    if (end == all.size()) break;
    start = end + 1;
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string FileAddress(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) ||
        std::string_view("/-._~").find(static_cast<char>(c)) != std::string_view::npos) {
      address += static_cast<char>(c);
    } else {
      address += '%';
      address += kHex[c >> 4];
      address += kHex[c & 15];
    }
  }
  return address;
}

}  // namespace vellumo::ui
