// Small helpers of the integration tests: whole files, folder listings and the SMTP sink
// (tests/smtp_sink.py, started with /usr/bin/python3 and stopped by its process id).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::test_support {

// The environment's value, "" when unset. VELLUMO_BIN always has one: program_path.cc gives it
// this build's program when the runner did not (source_dir.h finds the sources).
std::string EnvValue(const char* name);

std::string ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, std::string_view bytes);
// The plain files of folder (with that extension, when given), sorted; none for a missing folder.
std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder,
                                           std::string_view extension = {});

class SmtpSink {
 public:
  // Messages are written to folder as NAME.eml with their envelope as NAME.env by the source
  // tree's tests/smtp_sink.py.
  explicit SmtpSink(std::filesystem::path folder);
  ~SmtpSink();
  SmtpSink(const SmtpSink&) = delete;
  SmtpSink& operator=(const SmtpSink&) = delete;

  // Listens on port (0: a free one) and returns it, 0 when it cannot run. auth "USER:PASSWORD"
  // requires a login; tls "CERT:KEY" requires STARTTLS.
  int Start(int port = 0, const std::string& auth = "", const std::string& tls = "");
  void Stop();
  int port() const { return port_; }
  // From the next Start: after each accepted message, fill the file system of path.
  void FillOnDelivery(std::filesystem::path path) { fill_ = std::move(path); }

  std::vector<std::filesystem::path> Messages() const;
  nlohmann::json Envelope(const std::filesystem::path& message) const;
  int Connections() const;

 private:
  std::filesystem::path script_;
  std::filesystem::path folder_;
  std::filesystem::path fill_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace vellumo::test_support
