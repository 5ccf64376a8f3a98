#include "programs/vellumo/web_window.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <system_error>
#include <vector>

#include "addin/shipped_pages.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "optionspage/prop_page.h"
#include "platform/win_path.h"
#include "profilewizard/captions.h"
#include "web/web_host.h"

namespace vellumo::program {
namespace {

namespace stdfs = std::filesystem;

std::string Canonical(const std::string& path) {
  std::error_code ec;
  const stdfs::path canonical = stdfs::weakly_canonical(path, ec);
  return ec ? stdfs::path(path).lexically_normal().string() : canonical.string();
}

// The folders the windows may show files from, read anew each time: the preview may change
// them while it is open.
std::vector<std::string> ServedRoots(const std::string& home, FileSystem& fs, Registry& registry) {
  std::vector<std::string> roots = {Canonical(home)};
  const Settings settings(registry);
  const SettingKey* const folders[] = {&keys::HtmFilesPath, &keys::SignaturesPath,
                                       &keys::ApplicationPath, &keys::BrowserPath};
  for (const SettingKey* key : folders) {
    try {
      const std::string folder = settings.Get(*key);
      if (!folder.empty()) roots.push_back(Canonical(fs.NativePath(folder)));
    } catch (const std::exception&) {
      // A folder that cannot be named serves nothing.
    }
  }
  return roots;
}

// The address holds the token that admits to the windows: only the user may read it. The file
// is made anew with mode 0600 (an old one keeps whatever mode it had) and renamed into place.
void WriteAddress(const std::string& file, const std::string& address) {
  const std::string partial = file + ".partial";
  const std::string line = address + "\n";
  ::unlink(partial.c_str());
  const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool written =
      fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  if (fd >= 0) written = ::close(fd) == 0 && written;
  std::error_code ec;
  if (written) stdfs::rename(partial, file, ec);
  if (!written || ec) {
    ::unlink(partial.c_str());
    std::cerr << "vellumo: cannot write the window's address to " << file << '\n';
  }
}

// The web host, made when the first window is shown: a command that shows none (a send without
// the preview) never loads the module.
class HostOnFirstUse final : public ui::Host {
 public:
  explicit HostOnFirstUse(std::function<std::unique_ptr<ui::Host>()> make)
      : make_(std::move(make)) {}

  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    return Get().MsgBox(prompt, style, title);
  }
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override {
    return Get().InputBox(prompt, title, default_text);
  }
  void ShowForm(ui::Form& form) override { Get().ShowForm(form); }

 private:
  ui::Host& Get() {
    if (!host_) host_ = make_();
    return *host_;
  }
  std::function<std::unique_ptr<ui::Host>()> make_;
  std::unique_ptr<ui::Host> host_;
};

}  // namespace

bool InsideAnyRoot(const std::string& path, const std::vector<std::string>& roots) {
  const stdfs::path target(path);
  for (const std::string& root : roots) {
    const stdfs::path base(root);
    auto it = target.begin();
    bool inside = true;
    for (auto part = base.begin(); part != base.end(); ++part, ++it) {
      if (part->empty()) continue;  // a trailing separator
      if (it == target.end() || *it != *part) {
        inside = false;
        break;
      }
    }
    if (inside) return true;
  }
  return false;
}

std::unique_ptr<ui::Host> MakeWebWindowHost(const WebWindowOptions& options,
                                            ProgramModules& modules, FileSystem& fs,
                                            Registry& registry, Processes& processes,
                                            ui::Transcript* transcript) {
  ui::WebHostOptions web;
  web.transcript = transcript;
  web.pages = addin::AddInPages();
  web.pages.merge(optionspage::OptionsPagePages());
  web.pages.merge(profilewizard::WizardPages());
  const std::string home = options.home;
  web.may_serve = [home, &fs, &registry](const std::string& native_path) {
    return InsideAnyRoot(native_path, ServedRoots(home, fs, registry));
  };
  web.on_ready = [options, &processes](const std::string& address) {
    std::cerr << "vellumo: the window is open at " << address << std::endl;
    if (!options.address_file.empty()) WriteAddress(options.address_file, address);
    if (!options.has_display) return;
    try {
      processes.OpenDocument(address);
    } catch (const std::exception& e) {
      std::cerr << "vellumo: cannot open a browser (" << e.what() << "); open the address above\n";
    }
  };
  return std::make_unique<HostOnFirstUse>(
      [&modules, &fs, web = std::move(web)] { return modules.MakeWebHost(fs, web); });
}

}  // namespace vellumo::program
