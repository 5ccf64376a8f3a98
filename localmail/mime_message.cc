#include "localmail/mime_message.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>

#include "base/error.h"
#include "base/text.h"
#include "localmail/gmime_util.h"

namespace vellumo::localmail {
namespace {

GObjectPtr<GMimeObject> AsObject(gpointer owned) {
  return GObjectPtr<GMimeObject>(GMIME_OBJECT(owned));
}

bool IsType(GMimeObject* object, const char* type, const char* subtype) {
  return g_mime_content_type_is_type(g_mime_object_get_content_type(object), type, subtype);
}

bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Strings for GMime: valid UTF-8, and no NUL that would silently cut them short.
std::string ForGMime(std::string_view s) {
  std::string out = ToUtf8(s, "utf-8");
  std::erase(out, '\0');
  return out;
}

std::string PartText(GMimeObject* object) {
  const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
  return ToCrLf(ToUtf8(PartContent(object), charset == nullptr ? "" : charset));
}

// A UTF-8 text part; stored with LF line ends, written with CR LF like the rest.
GObjectPtr<GMimeObject> NewTextPart(const char* subtype, std::string_view text) {
  GObjectPtr<GMimeObject> part = AsObject(g_mime_text_part_new_with_subtype(subtype));
  GMimePart* mime_part = GMIME_PART(part.get());
  const std::string content = ToLf(ForGMime(text));
  g_mime_object_set_content_type_parameter(part.get(), "charset", "utf-8");
  // Quoted-printable content is made from the text itself; GMime reads the part's content to
  // choose for 7-bit text and to encode base64.
  const std::optional<GMimeContentEncoding> eight_bit = EightBitEncoding(content);
  if (eight_bit != GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE) SetContent(mime_part, content);
  const GMimeContentEncoding encoding =
      eight_bit ? *eight_bit
                : g_mime_part_get_best_content_encoding(mime_part, GMIME_ENCODING_CONSTRAINT_7BIT);
  g_mime_part_set_content_encoding(mime_part, encoding);
  // Encoded once here, not at every write: a send writes the message three or four times.
  // A part whose content is already in its transfer encoding is written as it is.
  if (encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE) {
    GObjectPtr<GMimeStream> encoded = QuotedPrintableStream(content);
    GObjectPtr<GMimeDataWrapper> wrapper(
        g_mime_data_wrapper_new_with_stream(encoded.get(), encoding));
    g_mime_part_set_content(mime_part, wrapper.get());
  } else if (encoding == GMIME_CONTENT_ENCODING_BASE64) {
    GObjectPtr<GMimeStream> encoded(g_mime_stream_mem_new());
    GObjectPtr<GMimeStream> filtered(g_mime_stream_filter_new(encoded.get()));
    GObjectPtr<GMimeFilter> encoder(g_mime_filter_basic_new(encoding, TRUE));
    g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), encoder.get());
    g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(mime_part), filtered.get());
    g_mime_stream_flush(filtered.get());
    g_mime_stream_reset(encoded.get());
    GObjectPtr<GMimeDataWrapper> wrapper(
        g_mime_data_wrapper_new_with_stream(encoded.get(), encoding));
    g_mime_part_set_content(mime_part, wrapper.get());
  }
  return part;
}

GObjectPtr<GMimeObject> NewMultipart(const char* subtype) {
  return AsObject(g_mime_multipart_new_with_subtype(subtype));
}

// Dropping these leaves nothing out: a blank, nameless text part is what a broken final
// boundary leaves behind.
bool IsEmptyLeftover(GMimeObject* object) {
  if (!GMIME_IS_TEXT_PART(object) || g_mime_part_get_filename(GMIME_PART(object)) != nullptr) {
    return false;
  }
  const std::string content = PartContent(object);
  return content.find_first_not_of(" \t\r\n") == std::string::npos;
}

GMimeObject* RelatedRoot(GMimeMultipart* related) {
  const char* start = g_mime_object_get_content_type_parameter(GMIME_OBJECT(related), "start");
  if (start != nullptr) {
    std::string id(start);
    if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
    for (int i = 0; i < g_mime_multipart_get_count(related); ++i) {
      GMimeObject* child = g_mime_multipart_get_part(related, i);
      const char* child_id = g_mime_object_get_content_id(child);
      if (child_id != nullptr && id == child_id) return child;
    }
  }
  return g_mime_multipart_get_part(related, 0);
}

bool IsSealed(GMimeObject* object) {
  return GMIME_IS_MULTIPART(object) &&
         (IsType(object, "multipart", "report") || IsType(object, "multipart", "signed"));
}

// Headers of a body part that describe its bytes; the rest (Content-Language, Content-Class and
// the like) describe the message and move to whatever part becomes the message's body.
constexpr std::string_view kStructureHeaders[] = {
    "Content-Type",        "Content-Transfer-Encoding",
    "Content-Disposition", "Content-ID",
    "Content-Description", "Content-MD5",
    "Content-Length",      "MIME-Version"};

bool IsStructureHeader(std::string_view name) {
  return std::any_of(std::begin(kStructureHeaders), std::end(kStructureHeaders),
                     [&](std::string_view h) { return text::EqualsText(h, name); });
}

void CarryMessageHeaders(GMimeObject* from, GMimeObject* to) {
  GMimeHeaderList* list = g_mime_object_get_header_list(from);
  for (int i = 0; list != nullptr && i < g_mime_header_list_get_count(list); ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
    const char* name = g_mime_header_get_name(header);
    if (name == nullptr || IsStructureHeader(name) ||
        g_mime_object_get_header(to, name) != nullptr) {
      continue;
    }
    g_mime_object_append_header(to, name, "", nullptr);
    GMimeHeaderList* target = g_mime_object_get_header_list(to);
    GMimeHeader* copy =
        g_mime_header_list_get_header_at(target, g_mime_header_list_get_count(target) - 1);
    g_mime_header_set_raw_value(copy, g_mime_header_get_raw_value(header));
  }
}

// The bytes after the header block; "" when there is no empty line.
std::string_view RawBody(std::string_view bytes) {
  size_t line = 0;
  while (line < bytes.size()) {
    size_t end = bytes.find('\n', line);
    if (end == std::string_view::npos) return {};
    std::string_view text = bytes.substr(line, end - line);
    if (text.empty() || text == "\r") return bytes.substr(end + 1);
    line = end + 1;
  }
  return {};
}

GMimeAddressType AddressType(RecipientType type) {
  switch (type) {
    case RecipientType::kCc:
      return GMIME_ADDRESS_TYPE_CC;
    case RecipientType::kBcc:
      return GMIME_ADDRESS_TYPE_BCC;
    case RecipientType::kTo:
      break;
  }
  return GMIME_ADDRESS_TYPE_TO;
}

struct AddressEntry {
  InternetAddressList* list;  // the list holding it (a group's member list for group members)
  int index;
  InternetAddress* address;
  RecipientType type;
};

void CollectMailboxes(InternetAddressList* list, RecipientType type,
                      std::vector<AddressEntry>& out) {
  if (list == nullptr) return;
  for (int i = 0; i < internet_address_list_length(list); ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_GROUP(address)) {
      InternetAddressList* members =
          internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
      for (int j = 0; members != nullptr && j < internet_address_list_length(members); ++j) {
        InternetAddress* member = internet_address_list_get_address(members, j);
        if (INTERNET_ADDRESS_IS_MAILBOX(member)) out.push_back({members, j, member, type});
      }
    } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
      out.push_back({list, i, address, type});
    }
  }
}

MailAddress ToMailAddress(InternetAddress* address) {
  return {ToUtf8(CopyString(internet_address_get_name(address)), "utf-8"),
          ToUtf8(CopyString(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address))),
                 "utf-8")};
}

GObjectPtr<InternetAddress> NewMailbox(const std::string& name, const std::string& address) {
  if (address.empty() || HasControl(address) || HasControl(name)) {
    throw Error(ErrorCode::kInvalidCall, "mail address '" + ForGMime(address) + "'");
  }
  const std::string clean_name = ForGMime(name);
  GObjectPtr<InternetAddress> mailbox(
      internet_address_mailbox_new(clean_name.c_str(), ForGMime(address).c_str()));
  internet_address_set_charset(mailbox.get(), "utf-8");
  return mailbox;
}

void CheckHeaderName(std::string_view name) {
  const bool well_formed = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return c > 32 && c < 127 && c != ':';
  });
  if (!well_formed || text::StartsWithText(name, "Content-") ||
      text::EqualsText(name, "MIME-Version")) {
    throw Error(ErrorCode::kInvalidCall, "header '" + ForGMime(name) + "'");
  }
}

bool IsToken(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           std::strchr("!#$&^_.+-", c) != nullptr;
  });
}

// Every state of every message has its own number, also across messages: a message put in place
// of another can never be taken for it.
uint64_t NextRevision() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

struct MimeMessage::Impl {
  uint64_t revision = NextRevision();
  // The decoded bodies, kept until the message changes: readers ask for them again and again.
  mutable std::optional<std::string> text_body;
  mutable std::optional<std::string> html_body;

  // The body part as written (CR LF line ends), kept until the body changes: a send writes the
  // message five or six times, mostly with only a header changed in between.
  mutable std::optional<std::string> written_body;

  void Changed() {
    revision = NextRevision();
    text_body.reset();
    html_body.reset();
    written_body.reset();
  }
  // A change of the top-level headers alone (never a Content-* header: those are the body's).
  void HeadersChanged() { revision = NextRevision(); }

  GObjectPtr<GMimeMessage> message;
  GObjectPtr<GMimeObject> text;
  GObjectPtr<GMimeObject> html;
  std::vector<GObjectPtr<GMimeObject>> related;  // inline parts of the HTML
  std::vector<GObjectPtr<GMimeObject>> attachments;

  GMimeObject* object() const { return GMIME_OBJECT(message.get()); }

  // Sorts the parts of a parsed message into bodies, inline parts and attachments.
  void Walk(GMimeObject* object) {
    // A report or a signed part beside the body is a whole: its parts mean something only
    // together (and a signature only over the exact bytes), so it is kept as one attachment.
    if ((text || html) && IsSealed(object)) {
      attachments.push_back(RefObject(object));
      return;
    }
    if (GMIME_IS_MULTIPART(object)) {
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      const int count = g_mime_multipart_get_count(multipart);
      GMimeObject* root = nullptr;
      bool root_gave_html = false;
      if (count > 0 && IsType(object, "multipart", "related")) {
        root = RelatedRoot(multipart);
        const GMimeObject* html_before = html.get();
        Walk(root);
        root_gave_html = html.get() != html_before;
      }
      for (int i = 0; i < count; ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        if (child == root) continue;
        if (root_gave_html && GMIME_IS_PART(child)) {
          related.push_back(RefObject(child));
        } else {
          Walk(child);
        }
      }
      return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
      attachments.push_back(RefObject(object));
      return;
    }
    if (!GMIME_IS_PART(object)) return;
    const bool is_attachment = g_mime_part_is_attachment(GMIME_PART(object));
    if (!is_attachment && !text && IsType(object, "text", "plain")) {
      text = RefObject(object);
    } else if (!is_attachment && !html && IsType(object, "text", "html")) {
      html = RefObject(object);
    } else if (!IsEmptyLeftover(object)) {
      attachments.push_back(RefObject(object));
    }
  }

  void Rebuild() {
    for (GMimeObject* part : {text.get(), html.get()}) {
      if (part != nullptr) MakeSevenBitSafe(part);
    }
    for (const auto& part : related) MakeSevenBitSafe(part.get());
    for (const auto& part : attachments) MakeSevenBitSafe(part.get());
    GObjectPtr<GMimeObject> html_node;
    if (html && related.empty()) {
      html_node = RefObject(html.get());
    } else if (html) {
      html_node = NewMultipart("related");
      g_mime_object_set_content_type_parameter(html_node.get(), "type", "text/html");
      g_mime_multipart_add(GMIME_MULTIPART(html_node.get()), html.get());
      for (const auto& part : related) {
        g_mime_multipart_add(GMIME_MULTIPART(html_node.get()), part.get());
      }
    } else {
      related.clear();  // nothing shows them any more
    }
    GObjectPtr<GMimeObject> body;
    if (text && html_node) {
      body = NewMultipart("alternative");
      g_mime_multipart_add(GMIME_MULTIPART(body.get()), text.get());
      g_mime_multipart_add(GMIME_MULTIPART(body.get()), html_node.get());
    } else if (html_node) {
      body = std::move(html_node);
    } else {
      if (!text) text = NewTextPart("plain", "");
      body = RefObject(text.get());
    }
    if (!attachments.empty()) {
      GObjectPtr<GMimeObject> mixed = NewMultipart("mixed");
      g_mime_multipart_add(GMIME_MULTIPART(mixed.get()), body.get());
      for (const auto& part : attachments) {
        g_mime_multipart_add(GMIME_MULTIPART(mixed.get()), part.get());
      }
      body = std::move(mixed);
    }
    GMimeObject* old_body = g_mime_message_get_mime_part(message.get());
    if (old_body != nullptr && old_body != body.get()) CarryMessageHeaders(old_body, body.get());
    g_mime_message_set_mime_part(message.get(), body.get());
  }

  std::vector<AddressEntry> Entries() const {
    std::vector<AddressEntry> entries;
    for (RecipientType type : {RecipientType::kTo, RecipientType::kCc, RecipientType::kBcc}) {
      CollectMailboxes(g_mime_message_get_addresses(message.get(), AddressType(type)), type,
                       entries);
    }
    return entries;
  }

  static MimeAttachment Describe(GMimeObject* object) {
    MimeAttachment a;
    std::string name;
    if (GMIME_IS_PART(object)) {
      name = CopyString(g_mime_part_get_filename(GMIME_PART(object)));
    } else {
      name = CopyString(g_mime_object_get_content_disposition_parameter(object, "filename"));
      GMimeMessage* inner = GMIME_IS_MESSAGE_PART(object)
                                ? g_mime_message_part_get_message(GMIME_MESSAGE_PART(object))
                                : nullptr;
      const char* subject = inner != nullptr ? g_mime_message_get_subject(inner) : nullptr;
      if (name.empty()) name = (subject != nullptr && *subject != '\0') ? subject : "message";
      if (!text::EqualsText(text::Right(name, 4), ".eml")) name += ".eml";
    }
    a.file_name = SafeAttachmentName(name);
    a.mime_type = text::LCase(
        TakeString(g_mime_content_type_get_mime_type(g_mime_object_get_content_type(object))));
    a.content_id = CopyString(g_mime_object_get_content_id(object));
    a.content = PartContent(object);
    return a;
  }
};

MimeMessage::MimeMessage() : impl_(std::make_unique<Impl>()) {
  EnsureGMime();
  impl_->message.reset(g_mime_message_new(FALSE));
  impl_->Rebuild();
}

MimeMessage::MimeMessage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MimeMessage::~MimeMessage() = default;
MimeMessage::MimeMessage(MimeMessage&&) noexcept = default;
MimeMessage& MimeMessage::operator=(MimeMessage&&) noexcept = default;

MimeMessage MimeMessage::Parse(std::string_view bytes, std::string_view name_for_errors) {
  EnsureGMime();
  // No mail may carry NUL (RFC 5322; SMTP cannot move binary parts), and GMime's C strings cut
  // headers at one, losing what follows: drop them.
  std::string without_nul;
  if (bytes.find('\0') != std::string_view::npos) {
    without_nul = std::string(bytes);
    std::erase(without_nul, '\0');
    bytes = without_nul;
  }
  GObjectPtr<GMimeStream> stream = MemoryStream(bytes);
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
  GMimeMessage* message = g_mime_parser_construct_message(parser.get(), nullptr);
  if (message == nullptr) throw Error(std::string(name_for_errors) + ": not a MIME message");
  auto impl = std::make_unique<Impl>();
  impl->message.reset(message);
  EndHeaderLines(GMIME_OBJECT(message));
  if (GMimeObject* body = g_mime_message_get_mime_part(message)) impl->Walk(body);
  // A structure that cannot be read (a multipart without its boundary) gives no part at all:
  // its bytes are still what the sender wrote, so they become the text.
  if (!impl->text && !impl->html && impl->attachments.empty() && impl->related.empty()) {
    const std::string_view raw = RawBody(bytes);
    if (raw.find_first_not_of(" \t\r\n") != std::string_view::npos) {
      impl->text = NewTextPart("plain", ToCrLf(ToUtf8(raw, "")));
      impl->Rebuild();
    }
  }
  return MimeMessage(std::move(impl));
}

namespace {

// CR LF line ends; strip_private hides every X-Vellumo-* header and Bcc.
FormatOptionsPtr WriteOptions(const MimeMessage& message, bool strip_private) {
  FormatOptionsPtr options(g_mime_format_options_new());
  g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
  if (strip_private) {
    for (const std::string& name : message.PrivateHeaderNames()) {
      g_mime_format_options_add_hidden_header(options.get(),
                                              (std::string(kPrivateHeaderPrefix) + name).c_str());
    }
    g_mime_format_options_add_hidden_header(options.get(), "Bcc");
  }
  return options;
}

}  // namespace

std::string MimeMessage::Headers(bool strip_private) const {
  FormatOptionsPtr options = WriteOptions(*this, strip_private);
  // The message's headers merged with the body part's top-level Content-* headers, as GMime
  // writes them in front of the whole message.
  char* headers = g_mime_object_get_headers(impl_->object(), options.get());
  if (headers == nullptr) throw Error("The message could not be written");
  std::string out(headers);
  g_free(headers);
  return out;
}

std::string MimeMessage::Serialize(bool strip_private) const {
  if (!impl_->written_body) {
    std::string body;
    if (GMimeObject* part = g_mime_message_get_mime_part(impl_->message.get())) {
      // What GMime writes after the headers when it writes the whole message (hidden headers
      // apply to the top level only).
      FormatOptionsPtr options = WriteOptions(*this, false);
      GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
      if (g_mime_object_write_content_to_stream(part, options.get(), stream.get()) < 0) {
        throw Error("The message could not be written");
      }
      body = MemoryStreamBytes(stream.get());
    }
    impl_->written_body = std::move(body);
  }
  std::string out = Headers(strip_private);
  out.reserve(out.size() + 2 + impl_->written_body->size());
  out += "\r\n";
  out += *impl_->written_body;
  return out;
}

namespace internal {

std::string SerializeWhole(const MimeMessage& message, bool strip_private) {
  FormatOptionsPtr options = WriteOptions(message, strip_private);
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  if (g_mime_object_write_to_stream(message.impl_->object(), options.get(), stream.get()) < 0) {
    throw Error("The message could not be written");
  }
  return MemoryStreamBytes(stream.get());
}

}  // namespace internal

std::string MimeMessage::Subject() const {
  return ToUtf8(CopyString(g_mime_message_get_subject(impl_->message.get())), "utf-8");
}

void MimeMessage::SetSubject(std::string_view subject) {
  impl_->HeadersChanged();
  g_mime_message_set_subject(impl_->message.get(), ForGMime(subject).c_str(), "utf-8");
}

MailAddress MimeMessage::From() const {
  std::vector<AddressEntry> from;
  CollectMailboxes(g_mime_message_get_from(impl_->message.get()), RecipientType::kTo, from);
  return from.empty() ? MailAddress{} : ToMailAddress(from.front().address);
}

void MimeMessage::SetFrom(const MailAddress& from) {
  impl_->HeadersChanged();
  InternetAddressList* list = g_mime_message_get_from(impl_->message.get());
  if (from.address.empty()) {
    internet_address_list_clear(list);
    return;
  }
  GObjectPtr<InternetAddress> mailbox = NewMailbox(from.name, from.address);
  internet_address_list_clear(list);
  internet_address_list_add(list, mailbox.get());
}

std::vector<MimeRecipient> MimeMessage::Recipients() const {
  std::vector<MimeRecipient> out;
  for (const AddressEntry& e : impl_->Entries()) {
    MailAddress a = ToMailAddress(e.address);
    out.push_back({std::move(a.name), std::move(a.address), e.type});
  }
  return out;
}

void MimeMessage::AddRecipient(const MimeRecipient& recipient) {
  impl_->HeadersChanged();
  GObjectPtr<InternetAddress> mailbox = NewMailbox(recipient.name, recipient.address);
  internet_address_list_add(
      g_mime_message_get_addresses(impl_->message.get(), AddressType(recipient.type)),
      mailbox.get());
}

void MimeMessage::RemoveRecipient(size_t index) {
  impl_->HeadersChanged();
  const std::vector<AddressEntry> entries = impl_->Entries();
  if (index >= entries.size()) {
    throw Error(ErrorCode::kSubscriptOutOfRange, "recipient " + std::to_string(index));
  }
  internet_address_list_remove_at(entries[index].list, entries[index].index);
}

std::optional<std::chrono::sys_seconds> MimeMessage::Date() const {
  GDateTime* date = g_mime_message_get_date(impl_->message.get());
  if (date == nullptr) return std::nullopt;
  return std::chrono::sys_seconds(std::chrono::seconds(g_date_time_to_unix(date)));
}

void MimeMessage::SetDate(std::chrono::sys_seconds when, std::chrono::minutes utc_offset) {
  impl_->HeadersChanged();
  GDateTime* utc = g_date_time_new_from_unix_utc(when.time_since_epoch().count());
  if (utc == nullptr || std::chrono::abs(utc_offset) >= std::chrono::hours(24)) {
    if (utc != nullptr) g_date_time_unref(utc);
    throw Error(ErrorCode::kInvalidCall, "date");
  }
  GTimeZone* zone = g_time_zone_new_offset(static_cast<gint32>(utc_offset.count() * 60));
  GDateTime* local = g_date_time_to_timezone(utc, zone);
  g_time_zone_unref(zone);
  g_date_time_unref(utc);
  if (local == nullptr) throw Error(ErrorCode::kInvalidCall, "date");
  g_mime_message_set_date(impl_->message.get(), local);
  g_date_time_unref(local);
}

std::string MimeMessage::MessageId() const {
  return ToUtf8(CopyString(g_mime_message_get_message_id(impl_->message.get())), "");
}

void MimeMessage::SetMessageId(std::string_view id) {
  impl_->HeadersChanged();
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  const bool ok = !id.empty() && std::none_of(id.begin(), id.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 32 || c == 0x7F || c == '<' || c == '>';
  });
  if (!ok) throw Error(ErrorCode::kInvalidCall, "message id");
  g_mime_message_set_message_id(impl_->message.get(), std::string(id).c_str());
}

std::optional<std::string> MimeMessage::Header(std::string_view name) const {
  const std::string n(name);
  const char* value = g_mime_object_get_header(impl_->object(), n.c_str());
  // GMime keeps the top-level Content-* headers with the body part, not the message.
  GMimeObject* body = g_mime_message_get_mime_part(impl_->message.get());
  if (value == nullptr && body != nullptr) value = g_mime_object_get_header(body, n.c_str());
  if (value == nullptr) return std::nullopt;
  return ToUtf8(value, "");
}

void MimeMessage::SetHeader(std::string_view name, std::string_view value) {
  impl_->HeadersChanged();
  CheckHeaderName(name);
  g_mime_object_set_header(impl_->object(), std::string(name).c_str(), ForGMime(value).c_str(),
                           "utf-8");
}

void MimeMessage::RemoveHeader(std::string_view name) {
  if (text::StartsWithText(name, "Content-")) {
    impl_->Changed();
  } else {
    impl_->HeadersChanged();
  }
  const std::string n(name);
  while (g_mime_object_remove_header(impl_->object(), n.c_str())) {
  }
}

std::optional<std::string> MimeMessage::PrivateHeader(std::string_view name) const {
  return Header(std::string(kPrivateHeaderPrefix) + std::string(name));
}

void MimeMessage::SetPrivateHeader(std::string_view name, std::string_view value) {
  SetHeader(std::string(kPrivateHeaderPrefix) + std::string(name), value);
}

void MimeMessage::RemovePrivateHeader(std::string_view name) {
  RemoveHeader(std::string(kPrivateHeaderPrefix) + std::string(name));
}

std::vector<std::string> MimeMessage::PrivateHeaderNames() const {
  std::vector<std::string> names;
  GMimeHeaderList* list = g_mime_object_get_header_list(impl_->object());
  for (int i = 0; i < g_mime_header_list_get_count(list); ++i) {
    const std::string name =
        CopyString(g_mime_header_get_name(g_mime_header_list_get_header_at(list, i)));
    if (name.size() <= kPrivateHeaderPrefix.size() ||
        !text::StartsWithText(name, kPrivateHeaderPrefix)) {
      continue;
    }
    std::string suffix = name.substr(kPrivateHeaderPrefix.size());
    if (std::none_of(names.begin(), names.end(),
                     [&](const std::string& n) { return text::EqualsText(n, suffix); })) {
      names.push_back(std::move(suffix));
    }
  }
  return names;
}

std::string MimeMessage::TextBody() const {
  if (!impl_->text_body) impl_->text_body = impl_->text ? PartText(impl_->text.get()) : "";
  return *impl_->text_body;
}

std::string MimeMessage::HtmlBody() const {
  if (!impl_->html_body) impl_->html_body = impl_->html ? PartText(impl_->html.get()) : "";
  return *impl_->html_body;
}

uint64_t MimeMessage::Revision() const { return impl_->revision; }

void MimeMessage::SetTextBody(std::string_view body) {
  impl_->Changed();
  impl_->text = body.empty() ? nullptr : NewTextPart("plain", body);
  impl_->Rebuild();
}

void MimeMessage::SetHtmlBody(std::string_view html) {
  impl_->Changed();
  impl_->html = html.empty() ? nullptr : NewTextPart("html", html);
  impl_->Rebuild();
}

void MimeMessage::SetBodies(std::string_view text, std::string_view html) {
  impl_->Changed();
  impl_->text = text.empty() ? nullptr : NewTextPart("plain", text);
  impl_->html = html.empty() ? nullptr : NewTextPart("html", html);
  impl_->Rebuild();
}

std::vector<MimeAttachment> MimeMessage::Attachments() const {
  std::vector<MimeAttachment> out;
  for (const auto& part : impl_->attachments) out.push_back(Impl::Describe(part.get()));
  return out;
}

std::vector<MimeAttachment> MimeMessage::InlineParts() const {
  std::vector<MimeAttachment> out;
  for (const auto& part : impl_->related) out.push_back(Impl::Describe(part.get()));
  return out;
}

void MimeMessage::AddAttachment(std::string_view file_name, std::string_view bytes,
                                std::string_view mime_type) {
  impl_->Changed();
  const std::string name = SafeAttachmentName(file_name);
  const std::string type = mime_type.empty() ? GuessMimeType(name) : text::LCase(mime_type);
  const size_t slash = type.find('/');
  if (slash == std::string::npos || !IsToken(type.substr(0, slash)) ||
      !IsToken(type.substr(slash + 1))) {
    throw Error(ErrorCode::kInvalidCall, "mime type '" + ForGMime(mime_type) + "'");
  }
  GObjectPtr<GMimeObject> part = AsObject(
      g_mime_part_new_with_type(type.substr(0, slash).c_str(), type.substr(slash + 1).c_str()));
  SetContent(GMIME_PART(part.get()), bytes);
  g_mime_object_set_disposition(part.get(), "attachment");
  g_mime_part_set_filename(GMIME_PART(part.get()), name.c_str());
  // base64 keeps the bytes exact: line ends in text files are not the transport's to change.
  g_mime_part_set_content_encoding(GMIME_PART(part.get()), GMIME_CONTENT_ENCODING_BASE64);
  impl_->attachments.push_back(std::move(part));
  impl_->Rebuild();
}

void MimeMessage::RemoveAttachment(size_t index) {
  impl_->Changed();
  if (index >= impl_->attachments.size()) {
    throw Error(ErrorCode::kSubscriptOutOfRange, "attachment " + std::to_string(index));
  }
  impl_->attachments.erase(impl_->attachments.begin() + static_cast<std::ptrdiff_t>(index));
  impl_->Rebuild();
}

std::string SafeAttachmentName(std::string_view name) {
  const std::string utf8 = ToUtf8(name, "");
  const size_t slash = utf8.find_last_of("/\\");
  const std::string_view base = slash == std::string::npos
                                    ? std::string_view(utf8)
                                    : std::string_view(utf8).substr(slash + 1);
  auto byte = [&](size_t i) { return i < base.size() ? static_cast<unsigned char>(base[i]) : 0; };
  std::string out;
  for (size_t i = 0; i < base.size(); ++i) {
    const unsigned char c = byte(i);
    if (c < 0x20 || c == 0x7F) continue;
    if (c == 0xC2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) {  // C1 controls
      ++i;
      continue;
    }
    // Bidirectional overrides (U+202A..U+202E, U+2066..U+2069) disguise an extension.
    if (c == 0xE2 && ((byte(i + 1) == 0x80 && byte(i + 2) >= 0xAA && byte(i + 2) <= 0xAE) ||
                      (byte(i + 1) == 0x81 && byte(i + 2) >= 0xA6 && byte(i + 2) <= 0xA9))) {
      i += 2;
      continue;
    }
    out += std::strchr(":*?\"<>|", c) != nullptr ? '_' : static_cast<char>(c);
  }
  const size_t first = out.find_first_not_of(". ");
  out = first == std::string::npos ? std::string() : out.substr(first);
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  constexpr size_t kMaxBytes = 255;
  if (out.size() > kMaxBytes) {
    const size_t dot = out.rfind('.');
    const std::string extension =
        dot != std::string::npos && out.size() - dot <= 16 ? out.substr(dot) : std::string();
    size_t cut = kMaxBytes - extension.size();
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + extension;
  }
  return out.empty() ? "attachment" : out;
}

std::string GuessMimeType(std::string_view file_name) {
  struct Entry {
    std::string_view extension;
    std::string_view type;
  };
  // clang-format off
  static constexpr Entry kTypes[] = {
      {"txt", "text/plain"}, {"htm", "text/html"}, {"html", "text/html"}, {"css", "text/css"},
      {"csv", "text/csv"}, {"vcf", "text/vcard"}, {"ics", "text/calendar"},
      {"xml", "application/xml"}, {"json", "application/json"}, {"rtf", "application/rtf"},
      {"pdf", "application/pdf"}, {"zip", "application/zip"}, {"gz", "application/gzip"},
      {"7z", "application/x-7z-compressed"}, {"doc", "application/msword"},
      {"dot", "application/msword"}, {"xls", "application/vnd.ms-excel"},
      {"ppt", "application/vnd.ms-powerpoint"},
      {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"pptx", "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
      {"odt", "application/vnd.oasis.opendocument.text"},
      {"ods", "application/vnd.oasis.opendocument.spreadsheet"},
      {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"png", "image/png"}, {"gif", "image/gif"},
      {"bmp", "image/bmp"}, {"tif", "image/tiff"}, {"tiff", "image/tiff"},
      {"svg", "image/svg+xml"}, {"ico", "image/vnd.microsoft.icon"}, {"webp", "image/webp"},
      {"wav", "audio/wav"}, {"mp3", "audio/mpeg"}, {"mp4", "video/mp4"},
      {"avi", "video/x-msvideo"},
  };
  // clang-format on
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return "application/octet-stream";
  const std::string extension = text::LCase(file_name.substr(dot + 1));
  for (const Entry& e : kTypes) {
    if (e.extension == extension) return std::string(e.type);
  }
  return "application/octet-stream";
}

}  // namespace vellumo::localmail
