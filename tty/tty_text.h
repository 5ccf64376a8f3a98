// Text laid out for a terminal: captions without their mnemonic marks, text wrapped to a width,
// files as browser addresses. Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vellumo::ui {

// A caption as a terminal shows it: "&Send" reads "Send", "&&" reads "&".
std::string WithoutMnemonic(std::string_view caption);

// text (lines ending in LF or CR LF) broken at blanks so that no line is wider than columns
// characters; a word longer than a line is cut. Lines end in LF.
std::string Wrapped(std::string_view text, int columns);

// "file://" and the path, bytes other than letters, digits and "/-._~" percent-encoded.
std::string FileAddress(std::string_view path);

}  // namespace vellumo::ui
