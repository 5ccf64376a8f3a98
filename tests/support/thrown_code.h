// The ErrorCode or text a call throws, for tests of calls that report failure with vellumo::Error.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/error.h"

namespace vellumo::test_support {

// The code of the vellumo::Error that call throws; nullopt when it returns. Any other exception
// passes through, so a wrong kind of failure still fails the test.
template <typename F>
std::optional<ErrorCode> ThrownCode(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const Error& error) {
    return error.code();
  }
  return std::nullopt;
}

// The text (what()) of the vellumo::Error that call throws; "(no error)" when it returns.
template <typename F>
std::string ThrownText(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace vellumo::test_support
