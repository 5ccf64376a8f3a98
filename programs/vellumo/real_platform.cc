#include "programs/vellumo/real_platform.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/error.h"

namespace vellumo::program {

std::string SelfExe() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("vellumo") : path.string();
}

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

namespace {

std::string CreateHome(const std::string& home) {
  std::error_code ec;
  std::filesystem::create_directories(home, ec);
  if (ec) throw Error("Cannot create the home folder " + home + ": " + ec.message());
  return home;
}

PosixProcessesOptions ProcessOptions(const WinPath& paths) {
  PosixProcessesOptions options;
  options.paths = &paths;
  return options;
}

}  // namespace

std::string ResolveHome(const std::string& home_option) {
  if (!home_option.empty()) return Absolute(home_option);
  if (std::string home = EnvValue("VELLUMO_HOME"); !home.empty()) return Absolute(home);
  if (std::string data = EnvValue("XDG_DATA_HOME"); !data.empty()) return data + "/vellumo";
  if (std::string user = EnvValue("HOME"); !user.empty()) return user + "/.local/share/vellumo";
  throw Error("No home folder: give --home DIR or set VELLUMO_HOME");
}

std::string CommandLinePath(const std::string& arg) {
  const bool drive =
      arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':';
  if (drive || arg.starts_with("\\") || arg == "-") return arg;
  return Absolute(arg);
}

RealPlatform::RealPlatform(const std::string& home)
    : home_(CreateHome(home)),
      win_path_(PosixFileSystem::DiskPaths(home_)),
      registry_(std::make_unique<SqliteRegistry>(home_ + "/registry.db")),
      fs_(win_path_),
      processes_(SelfExe(), std::filesystem::path(SelfExe()).parent_path().string(),
                 ProcessOptions(win_path_)),
      modules_(ModuleDirs(std::filesystem::path(SelfExe()).parent_path().string())) {}

std::unique_ptr<db::Connection> ModuleDatabase::Open(std::string_view connection_string) {
  if (!database_) database_ = modules_.MakeDatabase();
  return database_->Open(connection_string);
}

}  // namespace vellumo::program
