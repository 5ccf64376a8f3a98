// What the vellumo program's mail commands do (send, sendmail, folders, items, show, contacts
// import, transport set), over an open LocalMailClient. The program only parses its command line
// and prints; everything that decides is here, so it is tested with the in-memory platform.
//
// Failures throw vellumo::Error with a text for the user, naming the file or folder involved,
// except where a result says otherwise. Not thread-safe.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/client_config.h"
#include "localmail/local_client.h"

namespace vellumo {
class Registry;
}

namespace vellumo::localmail {

enum class SendStatus { kSent, kCancelled, kQueued };

struct SendOutcome {
  SendStatus status = SendStatus::kSent;
  std::string entry_id;
  std::string reason;  // kQueued: why
};

// `vellumo send`: the message enters Drafts (extra_to added as To recipients) and is sent.
// Sent: filed (or deleted); cancelled by an ItemSend handler: left in Drafts; queued: kept in
// the Outbox with the reason. Not a message, or one without any recipient: Error naming name,
// and nothing is stored.
[[nodiscard]] SendOutcome SendMessageBytes(LocalMailClient& client, std::string_view bytes,
                                           std::string_view name,
                                           const std::vector<std::string>& extra_to);

// sendmail's exit codes (sysexits).
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitDataError = 65;
inline constexpr int kExitUnavailable = 69;
inline constexpr int kExitTempFail = 75;

struct SendmailOptions {
  bool extract_recipients = false;  // -t: recipients from To, Cc and Bcc (and the addresses)
  bool ignore_dots = false;         // -i / -oi: a line of one '.' does not end the message
  std::string from;                 // -f: envelope sender
  std::string full_name;            // -F: the sender's name, for a From the message lacks
  std::vector<std::string> addresses;
};

// The message as sendmail reads it from standard input: without ignore_dots, up to a line
// holding only '.'.
std::string SendmailInput(std::string_view input, bool ignore_dots);

// `vellumo sendmail`: sends input as mail programs expect of a sendmail command. Returns the
// exit code (0 sent; 64 no recipients; 65 not a message; 69 cancelled by an ItemSend handler;
// 75 queued in the Outbox or not stored) and writes the reason for any other code to err.
[[nodiscard]] int RunSendmail(LocalMailClient& client, std::string_view input,
                              const SendmailOptions& options, std::ostream& err);

// `vellumo folders`: the folder tree, one folder a line, indented by depth, with its count.
void PrintFolderTree(LocalMailClient& client, std::ostream& out);

// `vellumo items FOLDER`: one line per item, fields separated by tabs (mail: EntryID, subject,
// recipients, the send error of a queued message; contacts: EntryID, full name, e-mail address,
// categories). filter ("" none) restricts as Items::Restrict; sort ("" none) orders by a field.
// Files that could not be read are reported to err.
void PrintItems(LocalMailClient& client, std::string_view folder, std::string_view filter,
                std::string_view sort, std::ostream& out, std::ostream& err);

// `vellumo show FOLDER ENTRYID`: the decoded message or contact. Unknown id: Error naming it.
void ShowItem(LocalMailClient& client, std::string_view folder, std::string_view entry_id,
              std::ostream& out);

struct ContactImport {
  int added = 0;
  int updated = 0;  // cards whose UID a contact of the folder already had
};
// `vellumo contacts import`: every card of a .vcf file becomes a contact file in folder
// (default "Contacts"). A file that is not valid vCard: Error naming it and the line; nothing is
// stored.
[[nodiscard]] ContactImport ImportContacts(LocalMailClient& client, std::string_view bytes,
                                           std::string_view name, std::string_view folder);

// `vellumo transport set`: parses url (ParseTransportUrl); user and password given here win
// over those in the URL; starttls "" keeps the default; verify_tls false accepts any server
// certificate (a test server's own). Stores and returns the settings.
TransportConfig ConfigureTransport(Registry& registry, std::string_view url, std::string_view user,
                                   std::string_view password, std::string_view starttls,
                                   bool verify_tls = true);

}  // namespace vellumo::localmail
