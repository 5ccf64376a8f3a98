#include "addin/registration.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/connect.h"
#include "base/error.h"
#include "common/diagnostics/log.h"

namespace vellumo::addin {

void RegisterConnectClass(mail::Application& client, const Env& env) {
  client.RegisterCreator(Connect::kProgId,
                         [env]() -> std::shared_ptr<mail::Object> { return Connect::Create(env); });
}

bool RegisterAddInKey(Registry& registry) {
  if (registry.KeyExists(kAddInKey)) return false;
  const std::string key(kAddInKey);
  registry.Apply({
      {RegOp::Kind::kCreateKey, key, {}, {}},
      {RegOp::Kind::kSetValue, key, "FriendlyName", RegValue::String(std::string(kFriendlyName))},
      {RegOp::Kind::kSetValue, key, "Description", RegValue::String(std::string(kDescription))},
      {RegOp::Kind::kSetValue, key, "LoadBehavior", RegValue::Dword(kLoadAtStartup)},
  });
  return true;
}

ConnectedAddIns::~ConnectedAddIns() { DisconnectAll(); }

ConnectedAddIns& ConnectedAddIns::operator=(ConnectedAddIns&& other) noexcept {
  if (this != &other) {
    DisconnectAll();
    addins_ = std::move(other.addins_);
    problems_ = std::move(other.problems_);
  }
  return *this;
}

void ConnectedAddIns::DisconnectAll() {
  for (const std::shared_ptr<Connect>& connect : addins_) connect->OnDisconnection(0);
  addins_.clear();
}

ConnectedAddIns ConnectRegisteredAddIns(mail::Application& client, Registry& registry) {
  ConnectedAddIns connected;
  for (const std::string& prog_id : registry.SubKeys(kAddInsKey)) {
    const std::string key = std::string(kAddInsKey) + "\\" + prog_id;
    const std::optional<RegValue> load = registry.GetValue(key, "LoadBehavior");
    if (!load || load->kind() != RegType::kDword || load->number != kLoadAtStartup) continue;
    try {
      auto connect = std::dynamic_pointer_cast<Connect>(client.CreateObject(prog_id));
      if (!connect) throw Error(ErrorCode::kTypeMismatch, prog_id);
      connect->OnConnection(client);
      connected.addins_.push_back(std::move(connect));
    } catch (const std::exception& e) {
      connected.problems_.push_back(prog_id + ": " + DescriptionOf(e));
    }
  }
  return connected;
}

}  // namespace vellumo::addin
