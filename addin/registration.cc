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

namespace {

RegOp Set(std::string_view key, std::string_view name, RegValue value) {
  return {RegOp::Kind::kSetValue, std::string(key), std::string(name), std::move(value)};
}
RegOp SetText(std::string_view key, std::string_view name, std::string_view text) {
  return Set(key, name, RegValue::String(std::string(text)));
}

std::vector<RegOp> Registration(std::string_view program) {
  const std::string class_key(kClassKey);
  return {
      SetText(kProgIdKey, "", Connect::kProgId),
      SetText(std::string(kProgIdKey) + "\\CLSID", "", kClassId),
      SetText(class_key, "", Connect::kProgId),
      SetText(class_key + "\\ProgID", "", Connect::kProgId),
      SetText(class_key + "\\InprocServer32", "", program),
      SetText(class_key + "\\TypeLib", "", kTypeLibraryName),
      SetText(kAddInKey, "FriendlyName", kFriendlyName),
      SetText(kAddInKey, "Description", kDescription),
      Set(kAddInKey, "LoadBehavior", RegValue::Dword(kLoadAtStartup)),
      Set(kInstalledKey, kInstalledValue, RegValue::Dword(1)),
  };
}

}  // namespace

void RegisterAddIn(Registry& registry, std::string_view program) {
  registry.Apply(Registration(program));
}

void UnregisterAddIn(Registry& registry) {
  registry.Apply({
      {RegOp::Kind::kDeleteKeyTree, std::string(kProgIdKey), {}, {}},
      {RegOp::Kind::kDeleteKeyTree, std::string(kClassKey), {}, {}},
      {RegOp::Kind::kDeleteKeyTree, std::string(kAddInKey), {}, {}},
      Set(kInstalledKey, kInstalledValue, RegValue::Dword(1)),
  });
}

bool AddInRegistered(Registry& registry) {
  const std::optional<RegValue> load = registry.GetValue(kAddInKey, "LoadBehavior");
  return load && load->kind() == RegType::kDword && load->number == kLoadAtStartup;
}

bool RegisterAddInKey(Registry& registry, std::string_view program) {
  if (registry.GetValue(kInstalledKey, kInstalledValue)) return false;
  if (registry.KeyExists(kAddInKey)) {
    registry.SetValue(kInstalledKey, kInstalledValue, RegValue::Dword(1));
    return false;
  }
  RegisterAddIn(registry, program);
  return true;
}

ConnectedAddIns::~ConnectedAddIns() { DisconnectAll(); }

ConnectedAddIns& ConnectedAddIns::operator=(ConnectedAddIns&& other) noexcept {
  if (this != &other) {
    DisconnectAll();
    client_ = other.client_;
    addins_ = std::move(other.addins_);
    problems_ = std::move(other.problems_);
  }
  return *this;
}

void ConnectedAddIns::DisconnectAll() {
  if (addins_.empty()) return;
  if (client_ != nullptr) {
    Ignore([&] {
      std::shared_ptr<mail::Explorers> explorers = client_->Explorers();
      // Bounded: a window that does not close must not hold the exit.
      for (int left = explorers->Count(); left > 0 && explorers->Count() > 0; --left) {
        explorers->Item(1)->Close();
      }
    });
  }
  for (const std::shared_ptr<Connect>& connect : addins_) connect->OnBeginShutdown();
  for (const std::shared_ptr<Connect>& connect : addins_) connect->OnDisconnection(0);
  addins_.clear();
}

ConnectedAddIns ConnectRegisteredAddIns(mail::Application& client, Registry& registry) {
  ConnectedAddIns connected;
  connected.client_ = &client;
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
  for (const std::shared_ptr<Connect>& connect : connected.addins_) connect->OnStartupComplete();
  return connected;
}

}  // namespace vellumo::addin
