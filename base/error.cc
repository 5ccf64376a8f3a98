#include "base/error.h"

namespace vellumo {
namespace {

std::string Compose(std::string_view description, const std::string& detail) {
  if (detail.empty()) return std::string(description);
  return std::string(description) + ": " + detail;
}

}  // namespace

std::string_view ErrorDescription(ErrorCode code) {
  switch (code) {
    case ErrorCode::kInvalidCall:
      return "Invalid procedure call or argument";
    case ErrorCode::kOverflow:
      return "Overflow";
    case ErrorCode::kSubscriptOutOfRange:
      return "Subscript out of range";
    case ErrorCode::kTypeMismatch:
      return "Type mismatch";
    case ErrorCode::kBadFileName:
      return "Bad file name or number";
    case ErrorCode::kFileNotFound:
      return "File not found";
    case ErrorCode::kFileAlreadyOpen:
      return "File already open";
    case ErrorCode::kDiskFull:
      return "Disk full";
    case ErrorCode::kInputPastEnd:
      return "Input past end of file";
    case ErrorCode::kPermissionDenied:
      return "Permission denied";
    case ErrorCode::kPathFileAccess:
      return "Path/File access error";
    case ErrorCode::kPathNotFound:
      return "Path not found";
    case ErrorCode::kObjectNotSet:
      return "Object variable or With block variable not set";
    case ErrorCode::kCantCreateObject:
      return "ActiveX component can't create object";
    case ErrorCode::kNotSupported:
      return "Object doesn't support this property or method";
    case ErrorCode::kOther:
      break;
  }
  return "";
}

Error::Error(ErrorCode code, std::string detail)
    : std::runtime_error(Compose(ErrorDescription(code), detail)),
      code_(code),
      description_(ErrorDescription(code)),
      detail_(std::move(detail)) {}

Error::Error(std::string description)
    : std::runtime_error(description),
      code_(ErrorCode::kOther),
      description_(std::move(description)) {}

}  // namespace vellumo
