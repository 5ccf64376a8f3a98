#include "localmail/local_mail_item.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "html/html_text.h"
#include "localmail/local_folders.h"
#include "localmail/maildir.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/item_fields.h"

namespace vellumo::localmail {
namespace {

constexpr std::string_view kTrue = "True";

RecipientType ToMime(mail::RecipientType type) {
  switch (type) {
    case mail::RecipientType::kCc:
      return RecipientType::kCc;
    case mail::RecipientType::kBcc:
      return RecipientType::kBcc;
    default:
      return RecipientType::kTo;
  }
}

mail::RecipientType FromMime(RecipientType type) {
  switch (type) {
    case RecipientType::kCc:
      return mail::RecipientType::kCc;
    case RecipientType::kBcc:
      return mail::RecipientType::kBcc;
    case RecipientType::kTo:
      break;
  }
  return mail::RecipientType::kTo;
}

bool IsCalendarRequest(const AttachmentData& part) {
  if (!text::EqualsText(part.mime_type, "text/calendar")) return false;
  for (std::string line : text::Split(text::Replace(part.content, "\r", ""), "\n")) {
    if (text::EqualsText(text::Trim(line), "METHOD:REQUEST")) return true;
  }
  return false;
}

// The domain for a new Message-ID: the sender's, when it is a plain host name.
std::string IdDomain(std::string_view address) {
  const size_t at = address.rfind('@');
  const std::string_view domain = at == std::string_view::npos ? "" : address.substr(at + 1);
  const bool plain = !domain.empty() && std::all_of(domain.begin(), domain.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
  });
  return plain ? std::string(domain) : "localhost";
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

RecipientData ParseRecipient(std::string_view given) {
  std::string s(given);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(s.begin());
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  if (s.empty() || std::any_of(s.begin(), s.end(), IsControl)) {
    throw Error(ErrorCode::kInvalidCall, "recipient '" + std::string(given) + "'");
  }
  RecipientData data;
  const size_t open = s.rfind('<');
  if (s.back() == '>' && open != std::string::npos) {
    data.address = text::Trim(std::string_view(s).substr(open + 1, s.size() - open - 2));
    std::string name = text::Trim(std::string_view(s).substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
      name = name.substr(1, name.size() - 2);
    }
    data.name = std::move(name);
  } else {
    data.address = s;
  }
  if (data.address.empty() || data.address.find_first_of("<> ") != std::string::npos) {
    throw Error(ErrorCode::kInvalidCall, "recipient '" + std::string(given) + "'");
  }
  return data;
}

LocalMailItem::LocalMailItem(std::weak_ptr<ClientCore> core, std::shared_ptr<LocalFolder> folder,
                             MimeMessage message)
    : core_(std::move(core)), folder_(std::move(folder)), message_(std::move(message)) {
  ReadModel();
}

std::shared_ptr<LocalMailItem> LocalMailItem::New(std::weak_ptr<ClientCore> core,
                                                  std::shared_ptr<LocalFolder> folder) {
  const int editor = LockCore(core)->Config().editor_type;
  MimeMessage message;
  message.SetPrivateHeader(header::kUnsent, kTrue);
  if (editor != 0) message.SetPrivateHeader(header::kEditor, std::to_string(editor));
  return std::shared_ptr<LocalMailItem>(
      new LocalMailItem(std::move(core), std::move(folder), std::move(message)));
}

std::shared_ptr<LocalMailItem> LocalMailItem::Load(std::weak_ptr<ClientCore> core,
                                                   std::shared_ptr<LocalFolder> folder,
                                                   std::string unique, std::string path,
                                                   std::string_view bytes) {
  auto item = std::shared_ptr<LocalMailItem>(
      new LocalMailItem(std::move(core), std::move(folder), MimeMessage::Parse(bytes, path)));
  item->unique_ = std::move(unique);
  item->path_ = std::move(path);
  item->stored_revision_ = item->message_.Revision();
  return item;
}

std::shared_ptr<LocalMailItem> LocalMailItem::Import(std::weak_ptr<ClientCore> core,
                                                     std::shared_ptr<LocalFolder> folder,
                                                     std::string_view bytes,
                                                     std::string_view name_for_errors) {
  MimeMessage message = MimeMessage::Parse(bytes, name_for_errors);
  message.SetPrivateHeader(header::kUnsent, kTrue);
  return std::shared_ptr<LocalMailItem>(
      new LocalMailItem(std::move(core), std::move(folder), std::move(message)));
}

std::shared_ptr<ClientCore> LocalMailItem::Check() {
  if (gone_) throw Error("The item has been moved or deleted.");
  return LockCore(core_);
}

void LocalMailItem::ReadModel() {
  recipients_.clear();
  for (const MimeRecipient& r : message_.Recipients()) {
    recipients_.push_back(
        std::make_shared<RecipientData>(RecipientData{r.name, r.address, FromMime(r.type)}));
  }
  attachments_.clear();
  const std::vector<MimeAttachment> parts = message_.Attachments();
  for (size_t i = 0; i < parts.size(); ++i) {
    attachments_.push_back(std::make_shared<AttachmentData>(
        AttachmentData{parts[i].file_name, parts[i].mime_type, parts[i].content, i}));
  }
  user_properties_ = std::make_shared<UserPropertyList>(
      DecodeUserProperties(message_.PrivateHeader(header::kUserProperties).value_or("")));
  links_ = DecodeLinks(message_.PrivateHeader(header::kLinks).value_or(""));
  recipients_changed_ = attachments_changed_ = user_properties_changed_ = links_changed_ = false;
}

void LocalMailItem::WriteModel() {
  if (recipients_changed_) {
    while (!message_.Recipients().empty()) message_.RemoveRecipient(0);
    for (const auto& r : recipients_) message_.AddRecipient({r->name, r->address, ToMime(r->type)});
    recipients_changed_ = false;
  }
  if (attachments_changed_) {
    size_t stored = message_.Attachments().size();
    while (stored-- > 0) {
      const bool kept = std::any_of(attachments_.begin(), attachments_.end(),
                                    [&](const auto& a) { return a->stored_index == stored; });
      if (!kept) message_.RemoveAttachment(stored);
    }
    for (const auto& a : attachments_) {
      if (!a->stored_index) message_.AddAttachment(a->file_name, a->content, a->mime_type);
    }
    for (size_t i = 0; i < attachments_.size(); ++i) attachments_[i]->stored_index = i;
    attachments_changed_ = false;
  }
  auto write_header = [this](std::string_view name, const std::string& value) {
    if (value.empty()) {
      message_.RemovePrivateHeader(name);
    } else {
      message_.SetPrivateHeader(name, value);
    }
  };
  if (user_properties_changed_) {
    write_header(header::kUserProperties, EncodeUserProperties(*user_properties_));
    user_properties_changed_ = false;
  }
  if (links_changed_) {
    write_header(header::kLinks, EncodeLinks(links_));
    links_changed_ = false;
  }
}

std::string LocalMailItem::MessageClassOf() const {
  if (auto explicit_class = message_.PrivateHeader(header::kMessageClass);
      explicit_class && !explicit_class->empty()) {
    return *explicit_class;
  }
  for (const auto& part : attachments_) {
    if (IsCalendarRequest(*part)) return std::string(kMessageClassMeetingRequest);
  }
  return std::string(mail::kMessageClassNote);
}

std::string LocalMailItem::EntryID() {
  Check();
  return unique_;
}

std::shared_ptr<mail::Folder> LocalMailItem::Parent() {
  Check();
  return folder_;
}

std::string LocalMailItem::Property(std::string_view name) {
  Check();
  const std::optional<std::string_view> canonical =
      mail::CanonicalPropertyName(mail::ItemType::kMail, name);
  if (!canonical) throw Error(ErrorCode::kNotSupported, "MailItem." + std::string(name));
  const std::string_view p = *canonical;
  if (p == mail::prop::kMessageClass) return MessageClassOf();
  if (p == mail::prop::kSubject) return message_.Subject();
  if (p == mail::prop::kBody) return BodyText();
  if (p == mail::prop::kHTMLBody) return message_.HtmlBody();
  if (p == mail::prop::kInternetHeaders) return message_.Headers(true);
  if (p == mail::prop::kBillingInformation) {
    return message_.PrivateHeader(header::kBillingInformation).value_or("");
  }
  return message_.PrivateHeader(header::kCategories).value_or("");
}

void LocalMailItem::SetProperty(std::string_view name, std::string_view value) {
  Check();
  const std::optional<std::string_view> canonical =
      mail::CanonicalPropertyName(mail::ItemType::kMail, name);
  if (!canonical) throw Error(ErrorCode::kNotSupported, "MailItem." + std::string(name));
  const std::string_view p = *canonical;
  if (p == mail::prop::kInternetHeaders) {
    throw Error(ErrorCode::kNotSupported, "MailItem.InternetHeaders cannot be set");
  }
  auto set_private = [&](std::string_view header_name) {
    if (value.empty()) {
      message_.RemovePrivateHeader(header_name);
    } else {
      message_.SetPrivateHeader(header_name, value);
    }
  };
  if (p == mail::prop::kMessageClass) {
    set_private(header::kMessageClass);
  } else if (p == mail::prop::kSubject) {
    message_.SetSubject(value);
  } else if (p == mail::prop::kBody) {
    // The two alternatives must never disagree: the HTML, when there is one, follows the text.
    const bool has_html = !message_.HtmlBody().empty();
    message_.SetBodies(value, has_html ? html::TextAsHtml(value) : std::string());
  } else if (p == mail::prop::kHTMLBody) {
    if (value.empty()) {
      message_.SetHtmlBody(value);
    } else {
      message_.SetBodies(html::HtmlToText(value), value);
    }
  } else if (p == mail::prop::kBillingInformation) {
    set_private(header::kBillingInformation);
  } else {
    set_private(header::kCategories);
  }
}

std::string LocalMailItem::BodyText() const {
  std::string text = message_.TextBody();
  if (!text.empty()) return text;
  const std::string html = message_.HtmlBody();
  return html.empty() ? text : html::HtmlToText(html);
}

std::shared_ptr<mail::UserProperties> LocalMailItem::UserProperties() {
  Check();
  std::weak_ptr<LocalMailItem> self = weak_from_this();
  auto check = [self](std::string_view) {
    std::shared_ptr<LocalMailItem> item = self.lock();
    if (!item) throw Error(ErrorCode::kObjectNotSet, "item");
    item->Check();
  };
  auto changed = [self] {
    if (auto item = self.lock()) item->user_properties_changed_ = true;
  };
  return std::make_shared<ListUserProperties>(user_properties_, check, changed);
}

std::string LocalMailItem::Flags() { return message_.PrivateHeader(header::kUnsent) ? "DS" : "S"; }

void LocalMailItem::Store(ClientCore& core) {
  WriteModel();
  // Saved again unchanged (handlers save before and after their work): the file holds it.
  if (!unique_.empty() && message_.Revision() == stored_revision_) return;
  const std::string bytes = message_.Serialize(false);
  const std::string folder = folder_->Path();
  Maildir box(core.fs(), folder);
  if (!unique_.empty()) {
    box.Replace(path_, bytes);
    stored_revision_ = message_.Revision();
    return;
  }
  if (!Maildir::Exists(core.fs(), folder)) Maildir::Create(core.fs(), folder);
  std::string unique = core.NewUnique();
  if (box.Find(unique)) unique = core.NewUnique();
  path_ = box.Deliver(unique, bytes, Flags());
  unique_ = unique;
  stored_revision_ = message_.Revision();
}

void LocalMailItem::Save() { Store(*Check()); }

void LocalMailItem::Close(mail::SaveMode mode) {
  std::shared_ptr<ClientCore> core = Check();
  if (mode != mail::SaveMode::kDiscard) {
    Store(*core);
    return;
  }
  if (path_.empty()) {
    MimeMessage fresh;
    fresh.SetPrivateHeader(header::kUnsent, kTrue);
    message_ = std::move(fresh);
  } else {
    message_ = MimeMessage::Parse(core->fs().ReadFile(path_), path_);
  }
  ReadModel();
}

void LocalMailItem::Display(bool) {
  std::shared_ptr<ClientCore> core = Check();
  if (unique_.empty()) {
    core->ShowFile("new.eml", Bytes(), /*keep_earlier=*/true);
  } else {
    core->ShowFile(unique_ + ".eml", Bytes());
  }
}

std::string LocalMailItem::Bytes() {
  Check();
  WriteModel();
  return message_.Serialize(false);
}

std::shared_ptr<mail::Recipients> LocalMailItem::Recipients() {
  Check();
  return MakeRecipients(shared_from_this());
}

std::shared_ptr<mail::Attachments> LocalMailItem::Attachments() {
  Check();
  return MakeAttachments(shared_from_this());
}

std::shared_ptr<mail::Links> LocalMailItem::Links() {
  Check();
  return MakeLinks(shared_from_this());
}

std::shared_ptr<mail::Inspector> LocalMailItem::GetInspector() {
  Check();
  if (!inspector_) inspector_ = MakeInspector(weak_from_this());
  return inspector_;
}

mail::EditorType LocalMailItem::Editor() {
  Check();
  if (auto editor = message_.PrivateHeader(header::kEditor)) {
    const int value = static_cast<int>(text::Val(*editor));
    if (value >= 1 && value <= 4) return static_cast<mail::EditorType>(value);
  }
  return message_.HtmlBody().empty() ? mail::EditorType::kText : mail::EditorType::kHtml;
}

std::string LocalMailItem::WordVersion() { return Check()->Config().word_version; }

bool LocalMailItem::DeleteAfterSubmit() {
  Check();
  return message_.PrivateHeader(header::kDeleteAfterSubmit).value_or("") == kTrue;
}

void LocalMailItem::SetDeleteAfterSubmit(bool value) {
  Check();
  if (value) {
    message_.SetPrivateHeader(header::kDeleteAfterSubmit, kTrue);
  } else {
    message_.RemovePrivateHeader(header::kDeleteAfterSubmit);
  }
}

bool LocalMailItem::Sent() {
  Check();
  return !message_.PrivateHeader(header::kUnsent);
}

void LocalMailItem::SetEnvelope(std::string_view from, const std::vector<std::string>& recipients) {
  Check();
  if (from.empty()) {
    message_.RemovePrivateHeader(header::kEnvelopeFrom);
  } else {
    message_.SetPrivateHeader(header::kEnvelopeFrom, from);
  }
  if (recipients.empty()) {
    message_.RemovePrivateHeader(header::kEnvelopeTo);
  } else {
    message_.SetPrivateHeader(header::kEnvelopeTo, EncodeList(recipients));
  }
}

void LocalMailItem::SetFromIfMissing(std::string_view name, std::string_view address) {
  Check();
  if (message_.From().address.empty() && !address.empty()) {
    message_.SetFrom({std::string(name), std::string(address)});
  }
}

Envelope LocalMailItem::MessageEnvelope() {
  std::shared_ptr<ClientCore> core = Check();
  Envelope envelope;
  envelope.from = message_.PrivateHeader(header::kEnvelopeFrom).value_or("");
  if (envelope.from.empty()) envelope.from = message_.From().address;
  if (envelope.from.empty()) envelope.from = core->Config().user_address;
  std::vector<std::string> addresses;
  if (auto listed = message_.PrivateHeader(header::kEnvelopeTo)) {
    addresses = DecodeList(*listed);
  } else {
    for (const auto& r : recipients_) addresses.push_back(r->address);
  }
  for (std::string& address : addresses) {
    const bool seen =
        std::any_of(envelope.recipients.begin(), envelope.recipients.end(),
                    [&](const std::string& s) { return text::EqualsText(s, address); });
    if (!seen && !address.empty()) envelope.recipients.push_back(std::move(address));
  }
  return envelope;
}

void LocalMailItem::Send() {
  std::shared_ptr<ClientCore> core = Check();
  // A handler that sends the item again would raise the event forever.
  if (sending_) throw Error("The item is already being sent.");
  if (MessageEnvelope().recipients.empty()) throw Error("There must be at least one recipient.");
  sending_ = true;
  bool cancelled;
  try {
    cancelled = mail::RaiseItemSend(core->item_send, shared_from_this());
  } catch (...) {
    sending_ = false;
    throw;
  }
  sending_ = false;
  if (cancelled) return;
  Check();
  // A handler may have taken the recipients away.
  if (MessageEnvelope().recipients.empty()) throw Error("There must be at least one recipient.");
  Stamp(*core);
  MoveToOutbox(*core);
  SendClaimed(*core);
}

void LocalMailItem::Retransmit() {
  std::shared_ptr<ClientCore> core = Check();
  if (!folder_->Is(mail::DefaultFolder::kOutbox) || unique_.empty()) {
    throw Error(ErrorCode::kInvalidCall, "only a message in the Outbox can be sent again");
  }
  if (ParseMaildirPath(path_).claim != core->ClaimTag()) ClaimOrThrow(*core);
  if (Transmitted()) {
    FileSent(*core);
    return;
  }
  if (MessageEnvelope().recipients.empty()) {
    ReleaseClaim(*core);
    throw QueuedError("There must be at least one recipient.");
  }
  Stamp(*core);
  SendClaimed(*core);
}

void LocalMailItem::Stamp(ClientCore& core) {
  const ClientConfig config = core.Config();
  if (message_.From().address.empty() && !config.user_address.empty()) {
    message_.SetFrom({config.user_name, config.user_address});
  }
  if (!message_.Date()) {
    const LocalTime now = core.clock().Now();
    message_.SetDate(std::chrono::sys_seconds(std::chrono::seconds(core.clock().UnixTime())),
                     std::chrono::minutes(now.utc_offset_minutes));
  }
  if (message_.MessageId().empty()) {
    message_.SetMessageId(core.NewUid() + "@" + IdDomain(message_.From().address));
  }
  message_.RemovePrivateHeader(header::kSendError);
}

}  // namespace vellumo::localmail
