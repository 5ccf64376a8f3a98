#include "common/diagnostics/log.h"

namespace vellumo {

std::string DescriptionOf(const std::exception& e) {
  if (const auto* error = dynamic_cast<const Error*>(&e)) return error->description();
  return e.what();
}

bool Guard(Log& log, std::string_view where, std::string_view label,
           const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    log.Write_to_error_file(DescriptionOf(e), where, label);
  }
  return false;
}

void Ignore(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
    // Ignored by rule: the caller's comment says why.
  }
}

}  // namespace vellumo
