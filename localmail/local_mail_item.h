// LocalMailItem: a mail item of the local client, kept as a MIME message file in a Maildir.
//
// Properties map onto the message (mime_message.h):
//   Subject, Body (the text part, CR LF line ends; for a message with only an HTML part, that
//   part rendered to text by HtmlToText), HTMLBody (the HTML part); both parts:
//   multipart/alternative. The two never disagree: writing HTMLBody also writes the text part
//   (HtmlToText of the new HTML), and writing Body on a message with an HTML part also writes
//   the HTML (TextAsHtml of the new text). Attachments, inline parts and headers stay. Recipients:
//   To, Cc and Bcc. Attachments: the attached parts, names made safe. MessageClass:
//   X-Vellumo-Message-Class when present, else "IPM.Schedule.Meeting.Request" for a calendar
//   request (text/calendar with METHOD:REQUEST), else "IPM.Note". BillingInformation, Categories,
//   UserProperties, Links, the editor type, DeleteAfterSubmit and the unsent mark travel in
//   X-Vellumo-* headers, which never leave the machine. EntryID is the Maildir unique name, the
//   same in every folder the message passes.
// Changes stay in memory until Save, which writes the whole message atomically (new items go
// through tmp/). Close(kDiscard) reads the stored message back.
//
// Send follows local_client.h. Once sent, the object no longer answers (every member throws
// "The item has been moved or deleted."); the copy in Sent Items is another object. Not
// thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/client_core.h"
#include "localmail/item_codec.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/items.h"

namespace vellumo::localmail {

class LocalFolder;

// Names of the private headers (after "X-Vellumo-").
namespace header {
inline constexpr std::string_view kMessageClass = "Message-Class";
inline constexpr std::string_view kBillingInformation = "Billing-Information";
inline constexpr std::string_view kCategories = "Categories";
inline constexpr std::string_view kUserProperties = "User-Properties";
inline constexpr std::string_view kLinks = "Links";
inline constexpr std::string_view kEditor = "Editor";
inline constexpr std::string_view kDeleteAfterSubmit = "Delete-After-Submit";
inline constexpr std::string_view kUnsent = "Unsent";
inline constexpr std::string_view kSendError = "Send-Error";
inline constexpr std::string_view kEnvelopeFrom = "Envelope-From";
inline constexpr std::string_view kEnvelopeTo = "Envelope-To";
inline constexpr std::string_view kTransmitted = "Transmitted";  // older stores; now a flag
inline constexpr std::string_view kQueued = "Queued";            // microseconds since 1970
}  // namespace header

inline constexpr std::string_view kMessageClassMeetingRequest = "IPM.Schedule.Meeting.Request";

// The item's recipients and attachments while it is edited; written into the message on Save.
struct RecipientData {
  std::string name;
  std::string address;
  mail::RecipientType type = mail::RecipientType::kTo;
};
struct AttachmentData {
  std::string file_name;
  std::string mime_type;
  std::string content;
  std::optional<size_t> stored_index;  // its index among the message's attachments, if stored
};

class LocalMailItem final : public mail::MailItem,
                            public std::enable_shared_from_this<LocalMailItem> {
 public:
  // A new, unsaved item in folder, marked unsent.
  static std::shared_ptr<LocalMailItem> New(std::weak_ptr<ClientCore> core,
                                            std::shared_ptr<LocalFolder> folder);
  // The stored message at path. Not a message: Error naming path.
  static std::shared_ptr<LocalMailItem> Load(std::weak_ptr<ClientCore> core,
                                             std::shared_ptr<LocalFolder> folder,
                                             std::string unique, std::string path,
                                             std::string_view bytes);
  // Message bytes from outside as a new, unsaved, unsent item in folder. Not a message: Error
  // naming name_for_errors.
  static std::shared_ptr<LocalMailItem> Import(std::weak_ptr<ClientCore> core,
                                               std::shared_ptr<LocalFolder> folder,
                                               std::string_view bytes,
                                               std::string_view name_for_errors);

  // Item.
  std::string EntryID() override;
  std::shared_ptr<mail::Folder> Parent() override;
  std::string Property(std::string_view name) override;
  void SetProperty(std::string_view name, std::string_view value) override;
  std::shared_ptr<mail::UserProperties> UserProperties() override;
  void Save() override;
  void Close(mail::SaveMode mode) override;
  void Display(bool modal) override;
  // MailItem.
  std::shared_ptr<mail::Recipients> Recipients() override;
  std::shared_ptr<mail::Attachments> Attachments() override;
  std::shared_ptr<mail::Links> Links() override;
  std::shared_ptr<mail::Inspector> GetInspector() override;
  bool DeleteAfterSubmit() override;
  void SetDeleteAfterSubmit(bool value) override;
  void Send() override;
  bool Sent() override;

  // Beyond the object model.
  // Envelope sender and recipients that replace those of the headers (the sendmail entry: the
  // recipients named on its command line). Kept with the item until it is sent.
  void SetEnvelope(std::string_view from, const std::vector<std::string>& recipients);
  // The envelope the message goes out with: the envelope set, else From (or the client's user)
  // and every recipient (To, Cc, Bcc), each address once.
  Envelope MessageEnvelope();
  // For an item in the Outbox: claims it (unless this process holds it already), transmits and
  // files it without raising ItemSend (it was submitted before); one marked transmitted is only
  // filed. Transport failure: QueuedError, the reason kept with the item, the claim released.
  // Held by another process or gone: Error, nothing sent.
  void Retransmit();
  // True once the item was transmitted (and filed, deleted, or left in the Outbox for the next
  // flush to file when filing failed: see client problems): it no longer answers.
  bool gone() const { return gone_; }
  // The message text as stored (for showing it); syncs the pending changes first.
  std::string Bytes();
  // The message as last synced (Save, Bytes): for reading what the object model does not show.
  const MimeMessage& message() const { return message_; }
  // Sets From when the message has none (the sendmail entry's -f and -F).
  void SetFromIfMissing(std::string_view name, std::string_view address);

  // For the sub-objects (mail_parts.cc): throws when the item no longer answers.
  std::shared_ptr<ClientCore> Check();
  std::vector<std::shared_ptr<RecipientData>>& recipients() { return recipients_; }
  std::vector<std::shared_ptr<AttachmentData>>& attachments() { return attachments_; }
  std::vector<LinkData>& links() { return links_; }
  void MarkRecipientsChanged() { recipients_changed_ = true; }
  void MarkAttachmentsChanged() { attachments_changed_ = true; }
  void MarkLinksChanged() { links_changed_ = true; }
  // The inspector's editor: the X-Vellumo-Editor number (1..4), else HTML when there is an HTML
  // part, else text.
  mail::EditorType Editor();
  std::string WordVersion();

 private:
  LocalMailItem(std::weak_ptr<ClientCore> core, std::shared_ptr<LocalFolder> folder,
                MimeMessage message);

  // Reads the lists out of message_ (after loading it).
  void ReadModel();
  // Writes the lists into message_.
  void WriteModel();
  void Store(ClientCore& core);
  std::string Flags();
  // Delivers the message into the Outbox, claimed by this process.
  void MoveToOutbox(ClientCore& core);
  void ClaimOrThrow(ClientCore& core);
  void ReleaseClaim(ClientCore& core);
  bool Transmitted() const;
  // REQUIRES: claimed by this process. Transmit, mark, file.
  void SendClaimed(ClientCore& core);
  void Transmit(ClientCore& core);
  // Best effort: flags the claimed Outbox copy as transmitted (a rename), so a retry only files it.
  void MarkTransmitted(ClientCore& core);
  // A Bcc in the copy kept for each envelope recipient the headers do not name.
  void RecordEnvelopeRecipients();
  // Files in Sent Items (once), then removes from the Outbox. Failures are client problems.
  void FileSent(ClientCore& core);
  void Stamp(ClientCore& core);
  std::string MessageClassOf() const;
  std::string BodyText() const;

  std::weak_ptr<ClientCore> core_;
  std::shared_ptr<LocalFolder> folder_;
  MimeMessage message_;
  std::string unique_;  // "" until first saved
  std::string path_;
  // The message's revision whose bytes are in path_'s file: storing it again would change nothing.
  uint64_t stored_revision_ = 0;
  std::vector<std::shared_ptr<RecipientData>> recipients_;
  std::vector<std::shared_ptr<AttachmentData>> attachments_;
  std::shared_ptr<UserPropertyList> user_properties_;
  std::vector<LinkData> links_;
  bool recipients_changed_ = false;
  bool attachments_changed_ = false;
  bool user_properties_changed_ = false;
  bool links_changed_ = false;
  std::shared_ptr<mail::Inspector> inspector_;
  bool gone_ = false;
  bool sending_ = false;
};

// Sub-objects of a mail item (mail_parts.cc).
std::shared_ptr<mail::Recipients> MakeRecipients(std::shared_ptr<LocalMailItem> item);
std::shared_ptr<mail::Attachments> MakeAttachments(std::shared_ptr<LocalMailItem> item);
std::shared_ptr<mail::Links> MakeLinks(std::shared_ptr<LocalMailItem> item);
std::shared_ptr<mail::Inspector> MakeInspector(std::weak_ptr<LocalMailItem> item);

// "Name <a@b>", "<a@b>" or "a@b" as a recipient of type To. Empty, or with control
// characters: Error(kInvalidCall).
RecipientData ParseRecipient(std::string_view text);

}  // namespace vellumo::localmail
