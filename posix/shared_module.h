// SharedModule: a part of the program built as its own shared object and opened on first use, so
// that commands which never need it (and the libraries it pulls in) do not pay for loading it.
//
// Open searches a list of folders for the file and maps the first one found. The module stays
// mapped until the process ends, also after the handle is gone: objects it made (windows,
// transports) may outlive whoever opened it, and a module's static destructors then run at exit
// like the program's own. Opening the same file twice gives a second handle to the same mapping.
// Thread safety: Open and Symbol may be called from several threads.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

class SharedModule {
 public:
  // The first folder of dirs that holds file. Throws Error naming the file and every folder
  // searched when none does, and the loader's reason when the file is there but cannot be loaded
  // (a missing library it needs, a wrong architecture).
  [[nodiscard]] static std::unique_ptr<SharedModule> Open(std::string_view file,
                                                          const std::vector<std::string>& dirs);

  SharedModule(const SharedModule&) = delete;
  SharedModule& operator=(const SharedModule&) = delete;

  // The address of an exported symbol; throws Error naming the symbol and the file when the
  // module does not export it.
  [[nodiscard]] void* Symbol(const char* name) const;
  // The file that was opened.
  const std::string& path() const { return path_; }

 private:
  SharedModule(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  static std::unique_ptr<SharedModule> Load(const std::string& path);
  void* handle_;
  std::string path_;
};

}  // namespace vellumo
