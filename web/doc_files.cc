#include "web/doc_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/text.h"

namespace vellumo::ui::web {
namespace {

namespace fs = std::filesystem;

// True when path lies strictly below folder, component by component (so "/a/bc" is not below
// "/a/b").
bool IsBelow(const fs::path& path, const fs::path& folder) {
  auto f = folder.begin();
  auto p = path.begin();
  for (; f != folder.end(); ++f, ++p) {
    if (p == path.end() || *p != *f) {
      return false;
    }
  }
  return p != path.end();
}

struct TypeEntry {
  std::string_view extension;
  std::string_view type;
};
constexpr TypeEntry kTypes[] = {
    {"htm", "text/html"},     {"html", "text/html"},
    {"css", "text/css"},      {"txt", "text/plain; charset=utf-8"},
    {"png", "image/png"},     {"gif", "image/gif"},
    {"jpg", "image/jpeg"},    {"jpeg", "image/jpeg"},
    {"bmp", "image/bmp"},     {"ico", "image/x-icon"},
    {"svg", "image/svg+xml"}, {"webp", "image/webp"},
    {"woff", "font/woff"},    {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},
};

}  // namespace

std::string ResolveDocRequest(const std::string& document, std::string_view rest,
                              const MayServe& may_serve) {
  if (!may_serve || document.empty() || rest.empty() || rest.find('\0') != std::string_view::npos) {
    return "";
  }
  const fs::path doc(document);
  const fs::path folder = doc.parent_path();
  const bool is_document = doc.filename() == fs::path(rest);
  std::error_code ec;
  fs::path real;
  if (is_document) {
    // The model chose this file; where its link points is the model's business, may_serve's
    // verdict on the final path still holds.
    real = fs::canonical(doc, ec);
  } else {
    const fs::path relative = fs::path(rest).lexically_normal();
    if (relative.empty() || relative.is_absolute() || *relative.begin() == "..") {
      return "";
    }
    real = fs::canonical(folder / relative, ec);
    if (ec) {
      return "";
    }
    const fs::path real_folder = fs::canonical(folder, ec);
    if (ec || !IsBelow(real, real_folder)) {
      return "";
    }
  }
  if (ec || !fs::is_regular_file(real, ec) || ec) {
    return "";
  }
  std::string native = real.string();
  return may_serve(native) ? native : "";
}

std::string ContentTypeFor(std::string_view name) {
  const size_t dot = name.rfind('.');
  const size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) {
    return "application/octet-stream";
  }
  const std::string extension = text::LCase(name.substr(dot + 1));
  for (const auto& entry : kTypes) {
    if (entry.extension == extension) {
      return std::string(entry.type);
    }
  }
  return "application/octet-stream";
}

std::optional<std::string> ReadNativeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::ostringstream data;
  data << in.rdbuf();
  if (in.bad()) {
    return std::nullopt;
  }
  return std::move(data).str();
}

}  // namespace vellumo::ui::web
