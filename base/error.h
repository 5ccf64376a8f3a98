// vellumo::Error: the one failure type of the system.
//
// Platform and object-model calls report failure by throwing Error. Its description() is the
// classic runtime text for the condition ("File not found", "Type mismatch", ...) so that the
// exception lists administrators write keep matching; detail() names what was involved (a file,
// a line, a field) for people reading the message. what() gives both.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vellumo {

// Classic runtime error numbers; the description of each is ErrorDescription(code).
enum class ErrorCode : int {
  kOther = 0,
  kInvalidCall = 5,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kBadFileName = 52,
  kFileNotFound = 53,
  kFileAlreadyOpen = 55,
  kDiskFull = 61,
  kInputPastEnd = 62,
  kPermissionDenied = 70,
  kPathFileAccess = 75,
  kPathNotFound = 76,
  kObjectNotSet = 91,
  kCantCreateObject = 429,
  kNotSupported = 438,
};

// The classic text for a code; for kOther, "".
std::string_view ErrorDescription(ErrorCode code);

class Error : public std::runtime_error {
 public:
  // A classic condition; detail (optional) names the file, key or field involved.
  explicit Error(ErrorCode code, std::string detail = {});
  // A failure with its own clear text (a server's refusal, a parse error with file:line).
  explicit Error(std::string description);

  ErrorCode code() const { return code_; }
  // What the exception lists match against: the classic text, or the failure's own text.
  const std::string& description() const { return description_; }
  const std::string& detail() const { return detail_; }

 private:
  ErrorCode code_;
  std::string description_;
  std::string detail_;
};

}  // namespace vellumo
