#include "tests/support/test_files.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/source_dir.h"

extern char** environ;

namespace vellumo::test_support {

namespace stdfs = std::filesystem;

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const stdfs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::vector<stdfs::path> FilesIn(const stdfs::path& folder, std::string_view extension) {
  std::vector<stdfs::path> files;
  if (!stdfs::is_directory(folder)) return files;
  for (const auto& entry : stdfs::directory_iterator(folder)) {
    if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension)) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

SmtpSink::SmtpSink(stdfs::path folder)
    : script_(SourceDir() / "tests" / "smtp_sink.py"), folder_(std::move(folder)) {
  stdfs::create_directories(folder_);
}

SmtpSink::~SmtpSink() { Stop(); }

int SmtpSink::Start(int port, const std::string& auth, const std::string& tls) {
  const stdfs::path ready = folder_ / "ready";
  stdfs::remove(ready);
  std::vector<std::string> args = {
      "/usr/bin/python3", script_.string(), "--port",      std::to_string(port), "--dir",
      folder_.string(),   "--ready",        ready.string()};
  if (!auth.empty()) {
    args.push_back("--auth");
    args.push_back(auth);
  }
  if (!tls.empty()) {
    args.push_back("--tls");
    args.push_back(tls);
  }
  if (!fill_.empty()) {
    args.push_back("--fill");
    args.push_back(fill_.string());
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
    return 0;
  }
  for (int i = 0; i < 300 && !stdfs::exists(ready); ++i) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  port_ = std::atoi(ReadAll(ready).c_str());
  return port_;
}

void SmtpSink::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::vector<stdfs::path> SmtpSink::Messages() const { return FilesIn(folder_, ".eml"); }

nlohmann::json SmtpSink::Envelope(const stdfs::path& message) const {
  stdfs::path env = message;
  env.replace_extension(".env");
  return nlohmann::json::parse(ReadAll(env));
}

int SmtpSink::Connections() const { return std::atoi(ReadAll(folder_ / "connections").c_str()); }

}  // namespace vellumo::test_support
