// MimeMessage: one mail item of the local client, kept as a MIME message (RFC 5322 / 2045).
//
// The store reads a message file through FileSystem and hands the bytes to Parse; Serialize gives
// bytes back for the store or for transmission. GMime does the parsing and encoding; this class
// gives the mail item what it needs: decoded subject, addresses and bodies in UTF-8, attachments
// with safe file names, private X-Vellumo-* headers, and mutators that rebuild a well-formed body
// structure:
//   text only           text/plain
//   HTML only           text/html (in multipart/related with its inline parts, if it had any)
//   text and HTML       multipart/alternative (text/plain, HTML as above)
//   with attachments    multipart/mixed (the body above, then the attachments)
// New text parts are labelled charset=utf-8 and use 7bit, quoted-printable or base64 as GMime
// finds best under a 7-bit constraint; attachments are always base64. Headers the code does not
// touch are written back byte for byte (only line ends become CR LF), those of the old top-level
// part (Content-Language, Content-Class) included. A multipart/report or multipart/signed part
// after the body is one attachment, written back as it came. A message whose structure gives no
// part at all (a multipart without its boundary) is read as text/plain holding its raw body.
//
// Failures throw vellumo::Error. Not thread-safe; a MimeMessage is movable, not copyable (Parse
// its Serialize(false) for a copy).
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::localmail {

// The prefix of the headers that carry properties with no MIME equivalent.
inline constexpr std::string_view kPrivateHeaderPrefix = "X-Vellumo-";

// The object model's recipient types (olTo, olCC, olBCC).
enum class RecipientType { kTo = 1, kCc = 2, kBcc = 3 };

struct MailAddress {
  std::string name;     // display name, decoded; "" when none
  std::string address;  // "user@example.com"

  bool operator==(const MailAddress&) const = default;
};

struct MimeRecipient {
  std::string name;
  std::string address;
  RecipientType type = RecipientType::kTo;

  bool operator==(const MimeRecipient&) const = default;
};

struct MimeAttachment {
  std::string file_name;   // SafeAttachmentName of the part's name; never empty
  std::string mime_type;   // "application/pdf"
  std::string content_id;  // without angle brackets; "" when none
  std::string content;     // decoded from its transfer encoding
};

class MimeMessage;
namespace internal {
// The message as GMime writes it in one piece, nothing kept from an earlier write: what
// Serialize must give, for the tests to hold it to.
std::string SerializeWhole(const MimeMessage& message, bool strip_private);
}  // namespace internal

class MimeMessage {
 public:
  // An empty message: MIME-Version and an empty text/plain body, no other header.
  MimeMessage();
  ~MimeMessage();
  MimeMessage(MimeMessage&&) noexcept;
  MimeMessage& operator=(MimeMessage&&) noexcept;

  // The message in bytes (never a path). Real-world damage (bad boundaries, unknown charsets,
  // broken base64, odd headers) loads as well as it can; input with no header at all is not a
  // message: Error "<name_for_errors>: not a MIME message". NUL bytes, which no mail may carry,
  // are dropped.
  [[nodiscard]] static MimeMessage Parse(std::string_view bytes, std::string_view name_for_errors);

  // The message with CR LF line ends. strip_private gives the form for transmission: every
  // X-Vellumo-* header and the Bcc header are left out (blind copies travel in the envelope only).
  [[nodiscard]] std::string Serialize(bool strip_private) const;
  // The header block of Serialize(strip_private): every header line with its CR LF, without the
  // empty line after them.
  [[nodiscard]] std::string Headers(bool strip_private) const;

  // Decoded to UTF-8; "" when absent. SetSubject writes encoded words when needed.
  std::string Subject() const;
  void SetSubject(std::string_view subject);

  // The first From mailbox; empty when none.
  MailAddress From() const;
  void SetFrom(const MailAddress& from);

  // To, then Cc, then Bcc recipients in header order; group members are listed one by one.
  std::vector<MimeRecipient> Recipients() const;
  // Appends to the header of its type. An empty address, or a name or address with control
  // characters, is kInvalidCall (SetFrom likewise; SetFrom with no address clears From).
  void AddRecipient(const MimeRecipient& recipient);
  // Index into Recipients(); out of range: Error kSubscriptOutOfRange.
  void RemoveRecipient(size_t index);

  // The Date header; nullopt when absent or unreadable.
  std::optional<std::chrono::sys_seconds> Date() const;
  // Writes the date in the given zone (offset from UTC).
  void SetDate(std::chrono::sys_seconds when, std::chrono::minutes utc_offset = {});

  // Without angle brackets; "" when absent.
  std::string MessageId() const;
  void SetMessageId(std::string_view id);

  // Any header by name (ignoring case): the first one's value, unfolded and decoded to UTF-8.
  // The top-level Content-* headers are found too.
  std::optional<std::string> Header(std::string_view name) const;
  // Replaces the header (or appends it); values with control characters or non-ASCII text are
  // written as encoded words, so a value can never break the header block. A name that is not a
  // header name, or one the body structure owns (Content-*, MIME-Version), is kInvalidCall.
  void SetHeader(std::string_view name, std::string_view value);
  // Removes every header of that name.
  void RemoveHeader(std::string_view name);

  // X-Vellumo-<name> headers.
  std::optional<std::string> PrivateHeader(std::string_view name) const;
  void SetPrivateHeader(std::string_view name, std::string_view value);
  void RemovePrivateHeader(std::string_view name);
  // The <name> part of every private header, in header order.
  std::vector<std::string> PrivateHeaderNames() const;

  // The first text/plain part that is not an attachment, decoded to UTF-8 with CR LF line
  // ends; "" when there is none.
  std::string TextBody() const;
  // The first text/html part that is not an attachment, likewise (CR LF line ends too).
  std::string HtmlBody() const;
  // Replace the part and rebuild the body structure; "" removes that part. With neither text
  // nor HTML the body is an empty text/plain part. Without HTML, inline related parts go too.
  void SetTextBody(std::string_view text);
  void SetHtmlBody(std::string_view html);
  // Both parts at once (one rebuild), as the two calls above.
  void SetBodies(std::string_view text, std::string_view html);

  // Every part that is neither a body nor an inline part of the HTML, in message order;
  // an attached message counts as one attachment (message/rfc822, its bytes), and so does a
  // report or signed part after the body (its bytes with its headers).
  std::vector<MimeAttachment> Attachments() const;
  // The parts shown inside the HTML (multipart/related: cid: images and the like).
  std::vector<MimeAttachment> InlineParts() const;
  // Adds an attachment; the name is made safe, and an empty mime_type is guessed from its
  // extension. A mime_type that is not "type/subtype" is kInvalidCall.
  void AddAttachment(std::string_view file_name, std::string_view bytes,
                     std::string_view mime_type = {});
  // Index into Attachments(); out of range: Error kSubscriptOutOfRange.
  void RemoveAttachment(size_t index);

  // Changes with every call of a setter above, to a number no other state of any message had:
  // an unchanged revision means unchanged bytes.
  uint64_t Revision() const;

 private:
  friend std::string internal::SerializeWhole(const MimeMessage&, bool);
  struct Impl;
  explicit MimeMessage(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A file name safe to save anywhere: the last path component (after '/' or '\'), without control
// characters, leading dots or spaces, or trailing dots or spaces; characters Windows forbids in
// names (: * ? " < > |) become '_'; at most 255 bytes (the extension kept). Nothing left:
// "attachment". "..\..\x" gives "x".
std::string SafeAttachmentName(std::string_view name);

// The MIME type for a file name's extension (ignoring case); application/octet-stream when
// unknown.
std::string GuessMimeType(std::string_view file_name);

}  // namespace vellumo::localmail
