#include "localmail/mail_tool.h"

#include <ostream>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/local_contact_item.h"
#include "localmail/local_folders.h"
#include "localmail/local_mail_item.h"
#include "localmail/vcard.h"
#include "platform/mailclient/folders.h"

namespace vellumo::localmail {
namespace {

// A value on one line of a listing: tabs and line ends would break the columns.
std::string Cell(std::string_view value) {
  std::string out;
  for (char c : value) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
  return out;
}

std::string TypeName(mail::RecipientType type) {
  switch (type) {
    case mail::RecipientType::kCc:
      return "Cc";
    case mail::RecipientType::kBcc:
      return "Bcc";
    default:
      return "To";
  }
}

std::string AddressList(mail::MailItem& item) {
  std::vector<std::string> addresses;
  auto recipients = item.Recipients();
  for (int i = 1; i <= recipients->Count(); ++i)
    addresses.push_back(recipients->Item(i)->Address());
  return text::Join(addresses, ", ");
}

void PrintTree(mail::Folders& folders, int depth, std::ostream& out) {
  for (int i = 1; i <= folders.Count(); ++i) {
    std::shared_ptr<mail::Folder> folder = folders.Item(i);
    const bool contacts = folder->DefaultItemType() == mail::ItemType::kContact;
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << folder->Name() << " ("
        << folder->Items()->Count() << (contacts ? " contacts)" : " items)") << '\n';
    PrintTree(*folder->Folders(), depth + 1, out);
  }
}

void ShowMail(LocalMailItem& item, std::ostream& out) {
  const MimeMessage& message = item.message();
  out << "EntryID: " << item.EntryID() << '\n';
  out << "Folder: " << item.Parent()->Name() << '\n';
  out << "MessageClass: " << item.MessageClass() << '\n';
  const MailAddress from = message.From();
  if (!from.address.empty()) {
    out << "From: " << (from.name.empty() ? from.address : from.name + " <" + from.address + ">")
        << '\n';
  }
  auto recipients = item.Recipients();
  for (int i = 1; i <= recipients->Count(); ++i) {
    auto r = recipients->Item(i);
    out << TypeName(r->Type()) << ": "
        << (r->Name() == r->Address() ? r->Address() : r->Name() + " <" + r->Address() + ">")
        << '\n';
  }
  out << "Subject: " << Cell(item.Subject()) << '\n';
  if (auto date = message.Header("Date")) out << "Date: " << Cell(*date) << '\n';
  if (!item.BillingInformation().empty()) {
    out << "BillingInformation: " << Cell(item.BillingInformation()) << '\n';
  }
  if (!item.Categories().empty()) out << "Categories: " << Cell(item.Categories()) << '\n';
  auto properties = item.UserProperties();
  for (int i = 1; i <= properties->Count(); ++i) {
    out << "UserProperty: " << Cell(properties->Item(i)->Name()) << " = "
        << Cell(properties->Item(i)->Value()) << '\n';
  }
  for (const auto& attachment : item.attachments()) {
    out << "Attachment: " << Cell(attachment->file_name) << " (" << attachment->mime_type << ", "
        << attachment->content.size() << " bytes)\n";
  }
  if (auto error = message.PrivateHeader(header::kSendError)) {
    out << "SendError: " << Cell(*error) << '\n';
  }
  out << "\n--- Body ---\n" << text::Replace(item.Body(), "\r\n", "\n");
  const std::string html = item.HTMLBody();
  if (!html.empty()) out << "\n--- HTMLBody ---\n" << text::Replace(html, "\r\n", "\n");
  out << '\n';
}

void ShowContact(mail::ContactItem& contact, std::ostream& out) {
  out << "EntryID: " << contact.EntryID() << '\n';
  out << "Folder: " << contact.Parent()->Name() << '\n';
  for (std::string_view name : mail::kContactTextProperties) {
    const std::string value = contact.Property(name);
    if (!value.empty()) out << name << ": " << Cell(value) << '\n';
  }
  for (std::string_view name : {mail::prop::kCategories, mail::prop::kBillingInformation}) {
    const std::string value = contact.Property(name);
    if (!value.empty()) out << name << ": " << Cell(value) << '\n';
  }
  const std::string note = contact.Body();
  if (!note.empty()) out << "\n--- Body ---\n" << text::Replace(note, "\r\n", "\n") << '\n';
}

}  // namespace

SendOutcome SendMessageBytes(LocalMailClient& client, std::string_view bytes, std::string_view name,
                             const std::vector<std::string>& extra_to) {
  std::shared_ptr<LocalMailItem> item = client.ImportMessage(bytes, name);
  for (const std::string& to : extra_to) item->Recipients()->Add(to);
  if (item->MessageEnvelope().recipients.empty()) {
    throw Error(std::string(name) +
                ": the message has no recipient (To, Cc or Bcc); nothing was stored");
  }
  item->Save();
  SendOutcome outcome;
  outcome.entry_id = item->EntryID();
  try {
    item->Send();
  } catch (const QueuedError& e) {
    outcome.status = SendStatus::kQueued;
    outcome.reason = e.reason();
    return outcome;
  }
  outcome.status = item->gone() ? SendStatus::kSent : SendStatus::kCancelled;
  return outcome;
}

std::string SendmailInput(std::string_view input, bool ignore_dots) {
  if (ignore_dots) return std::string(input);
  size_t start = 0;
  while (start < input.size()) {
    size_t end = input.find('\n', start);
    const size_t line_end = end == std::string_view::npos ? input.size() : end;
    std::string_view line = input.substr(start, line_end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == ".") return std::string(input.substr(0, start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::string(input);
}

int RunSendmail(LocalMailClient& client, std::string_view input, const SendmailOptions& options,
                std::ostream& err) {
  if (!options.extract_recipients && options.addresses.empty()) {
    err << "sendmail: recipient names must be given (or -t to take them from the message)\n";
    return kExitUsage;
  }
  std::shared_ptr<LocalMailItem> item;
  try {
    item = client.ImportMessage(SendmailInput(input, options.ignore_dots), "standard input");
  } catch (const Error& e) {
    err << "sendmail: " << e.what() << '\n';
    return kExitDataError;
  }
  try {
    std::vector<std::string> recipients;
    if (options.extract_recipients) recipients = item->MessageEnvelope().recipients;
    recipients.insert(recipients.end(), options.addresses.begin(), options.addresses.end());
    if (recipients.empty()) {
      err << "sendmail: no recipient addresses found in the message headers\n";
      return kExitUsage;
    }
    item->SetFromIfMissing(options.full_name, options.from);
    item->SetEnvelope(options.from, recipients);
    item->Save();
    item->Send();
  } catch (const QueuedError& e) {
    err << "sendmail: queued: " << e.reason() << '\n';
    return kExitTempFail;
  } catch (const Error& e) {
    err << "sendmail: " << e.what() << '\n';
    return kExitTempFail;
  }
  // Delivered: what went wrong afterwards (filing) is for the user, not a failure of the caller's.
  for (const std::string& problem : client.TakeProblems()) {
    err << "sendmail: warning: " << problem << '\n';
  }
  if (!item->gone()) {
    err << "sendmail: the send was cancelled; the message is kept in Drafts\n";
    return kExitUnavailable;
  }
  return kExitOk;
}

void PrintFolderTree(LocalMailClient& client, std::ostream& out) {
  PrintTree(*client.GetNamespace("MAPI")->Folders(), 0, out);
}

void PrintItems(LocalMailClient& client, std::string_view folder_path, std::string_view filter,
                std::string_view sort, std::ostream& out, std::ostream& err) {
  std::shared_ptr<mail::Folder> folder = client.FindFolder(folder_path);
  std::shared_ptr<mail::Items> items = folder->Items();
  for (const std::string& problem : client.TakeProblems()) err << "warning: " << problem << '\n';
  if (!filter.empty()) items = items->Restrict(filter);
  if (!sort.empty()) items->Sort(sort, false);
  for (auto item = items->GetFirst(); item; item = items->GetNext()) {
    if (auto contact = mail::AsContactItem(item)) {
      out << Cell(contact->EntryID()) << '\t' << Cell(contact->FullName()) << '\t'
          << Cell(contact->Email1Address()) << '\t' << Cell(contact->Categories()) << '\n';
    } else if (auto message = std::dynamic_pointer_cast<LocalMailItem>(item)) {
      out << Cell(message->EntryID()) << '\t' << Cell(message->Subject()) << '\t'
          << Cell(AddressList(*message)) << '\t'
          << Cell(message->message().PrivateHeader(header::kSendError).value_or("")) << '\n';
    }
  }
}

void ShowItem(LocalMailClient& client, std::string_view folder_path, std::string_view entry_id,
              std::ostream& out) {
  std::shared_ptr<mail::Folder> folder = client.FindFolder(folder_path);
  std::shared_ptr<mail::Item> item = client.FindItem(*folder, entry_id);
  if (!item) {
    throw Error("No item " + std::string(entry_id) + " in " + std::string(folder_path));
  }
  if (auto message = std::dynamic_pointer_cast<LocalMailItem>(item)) {
    ShowMail(*message, out);
  } else if (auto contact = mail::AsContactItem(item)) {
    ShowContact(*contact, out);
  }
}

ContactImport ImportContacts(LocalMailClient& client, std::string_view bytes, std::string_view name,
                             std::string_view folder_path) {
  // Every card is read before anything is written: a bad file stores nothing.
  std::vector<VcardCard> cards = ParseVcards(bytes, name);
  auto folder = std::dynamic_pointer_cast<LocalFolder>(
      client.FindFolder(folder_path.empty() ? "Contacts" : folder_path));
  if (!folder || folder->DefaultItemType() != mail::ItemType::kContact) {
    throw Error(std::string(folder_path) + " is not a contacts folder");
  }
  std::vector<std::shared_ptr<mail::Item>> existing = folder->LoadItems();
  ContactImport result;
  for (VcardCard& card : cards) {
    std::shared_ptr<LocalContactItem> contact;
    const std::string uid = card.EntryID();
    for (const auto& item : existing) {
      if (!uid.empty() && item->EntryID() == uid) {
        contact = std::dynamic_pointer_cast<LocalContactItem>(item);
      }
    }
    if (contact) {
      ++result.updated;
    } else {
      contact =
          std::static_pointer_cast<LocalContactItem>(folder->NewItem(mail::ItemType::kContact));
      ++result.added;
    }
    contact->ReplaceCard(std::move(card));
    contact->Save();
    existing.push_back(contact);
  }
  return result;
}

TransportConfig ConfigureTransport(Registry& registry, std::string_view url, std::string_view user,
                                   std::string_view password, std::string_view starttls,
                                   bool verify_tls) {
  TransportConfig config = ParseTransportUrl(url);
  config.verify_tls = verify_tls;
  if (!user.empty()) config.user = std::string(user);
  if (!password.empty()) config.password = std::string(password);
  config.starttls = ParseStartTls(starttls);
  if (config.kind != TransportKind::kSmtp && (!config.user.empty() || !config.password.empty())) {
    throw Error("A user and password are only used with smtp:// and smtps:// transports");
  }
  WriteTransportConfig(registry, config);
  return config;
}

}  // namespace vellumo::localmail
