// Which file on the disk a request for a browser or image control's document may be answered
// with. The document named by the model is the root; everything else must lie below its folder
// after every "..", "." and symbolic link is resolved, and the program's may_serve must agree.
// Internal to web/.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo::ui::web {

using MayServe = std::function<bool(const std::string& native_path)>;

// The canonical native path to serve for `rest` (the decoded part of the address after the
// version segment: the document's own name, or a path relative to its folder), or "" when it
// must not be served: no may_serve, an absolute path, a way out of the folder (lexically or
// through a symbolic link), not a regular file, or may_serve refusing the resolved path.
std::string ResolveDocRequest(const std::string& document, std::string_view rest,
                              const MayServe& may_serve);

// The content type for a file name by its extension; unknown ones are application/octet-stream.
std::string ContentTypeFor(std::string_view name);

// The bytes of a native file, or nullopt when it cannot be read.
std::optional<std::string> ReadNativeFile(const std::string& path);

}  // namespace vellumo::ui::web
