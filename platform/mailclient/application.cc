#include "platform/mailclient/application.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::mail {

std::shared_ptr<MailItem> Application::CreateMailItem() {
  std::shared_ptr<MailItem> mail = AsMailItem(CreateItem(ItemType::kMail));
  if (!mail) ThrowTypeMismatch("CreateItem(0)");
  return mail;
}

void ThrowTypeMismatch(std::string_view what) {
  throw Error(ErrorCode::kTypeMismatch, std::string(what));
}

bool RaiseItemSend(const ItemSendEvent& event, const std::shared_ptr<MailItem>& item) {
  bool cancel = false;
  event.Raise(item, cancel);
  return cancel;
}

void ClassTable::Register(std::string_view prog_id, ObjectCreator create) {
  creators_[text::FoldCase(prog_id)] = std::move(create);
}

void ClassTable::Unregister(std::string_view prog_id) { creators_.erase(text::FoldCase(prog_id)); }

bool ClassTable::Has(std::string_view prog_id) const {
  return creators_.count(text::FoldCase(prog_id)) > 0;
}

std::shared_ptr<Object> ClassTable::Create(std::string_view prog_id) const {
  auto it = creators_.find(text::FoldCase(prog_id));
  if (it == creators_.end() || !it->second) {
    throw Error(ErrorCode::kCantCreateObject, std::string(prog_id));
  }
  std::shared_ptr<Object> object = it->second();
  if (!object) throw Error(ErrorCode::kCantCreateObject, std::string(prog_id));
  return object;
}

}  // namespace vellumo::mail
