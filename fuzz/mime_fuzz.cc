// Fuzz target for MIME messages: any bytes either load or give a vellumo::Error; a loaded message
// answers every accessor, survives a body rebuild, and what it writes loads again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "localmail/mime_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumo::localmail;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    MimeMessage message = MimeMessage::Parse(bytes, "fuzz.eml");
    size_t total = message.Subject().size() + message.From().address.size() +
                   message.MessageId().size() + message.TextBody().size() +
                   message.HtmlBody().size() + message.PrivateHeaderNames().size();
    for (const MimeRecipient& r : message.Recipients()) total += r.address.size();
    for (const MimeAttachment& a : message.Attachments()) total += a.content.size();
    for (const MimeAttachment& a : message.InlineParts()) total += a.file_name.size();
    (void)message.Date();
    const std::string stored = message.Serialize(false);
    (void)message.Serialize(true);
    (void)MimeMessage::Parse(stored, "stored.eml");

    message.SetHtmlBody(message.TextBody() + "<p>" + std::to_string(total) + "</p>");
    message.AddAttachment("a.txt", "x");
    if (!message.Recipients().empty()) message.RemoveRecipient(0);
    const MimeMessage back = MimeMessage::Parse(message.Serialize(true), "rebuilt.eml");
    if (back.Attachments().empty()) std::abort();  // the one just added must be there
  } catch (const vellumo::Error&) {
  }
  return 0;
}
