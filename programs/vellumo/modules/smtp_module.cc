// The SMTP transport as a module of its own (module_abi.h).
#include "localmail/smtp_transport.h"
#include "programs/vellumo/modules/module_abi.h"

namespace {

std::unique_ptr<vellumo::localmail::Transport> MakeTransport(
    const vellumo::localmail::TransportConfig& config) {
  return std::make_unique<vellumo::localmail::SmtpTransport>(config);
}

const vellumo::program::SmtpModule kModule{vellumo::program::kModuleAbi, vellumo::kVersion.data(),
                                           MakeTransport};

}  // namespace

extern "C" __attribute__((visibility("default"))) const vellumo::program::SmtpModule*
vellumo_smtp_module() {
  return &kModule;
}
