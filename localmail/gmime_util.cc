#include "localmail/gmime_util.h"

#include <cerrno>
#include <mutex>

#include "base/byte_search.h"
#include "base/text.h"

namespace vellumo::localmail {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

enum class CharsetKind { kUnlabelled, kUtf8, kWindows1252, kOther };

CharsetKind Classify(std::string_view charset) {
  std::string name = text::LCase(text::Trim(charset));
  // Quoted names survive sloppy header parsing now and then.
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    name = name.substr(1, name.size() - 2);
  }
  static constexpr std::string_view kUnlabelled[] = {"",         "us-ascii",       "ascii",
                                                     "us_ascii", "ansi_x3.4-1968", "iso646-us"};
  static constexpr std::string_view kUtf8[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
  static constexpr std::string_view kWindows1252[] = {
      "iso-8859-1", "iso8859-1",    "iso_8859-1", "latin1",         "latin-1", "l1",
      "cp819",      "windows-1252", "cp1252",     "windows-cp1252", "x-cp1252"};
  for (std::string_view n : kUnlabelled) {
    if (name == n) return CharsetKind::kUnlabelled;
  }
  for (std::string_view n : kUtf8) {
    if (name == n) return CharsetKind::kUtf8;
  }
  for (std::string_view n : kWindows1252) {
    if (name == n) return CharsetKind::kWindows1252;
  }
  return CharsetKind::kOther;
}

// Valid UTF-8 stays; each byte that starts no valid sequence becomes U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view bytes) {
  if (text::IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 16);
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length <= bytes.size() && text::IsValidUtf8(bytes.substr(i, length))) {
      out += bytes.substr(i, length);
      i += length;
    } else {
      out += kReplacementCharacter;
      ++i;
    }
  }
  return out;
}

std::string Unlabelled(std::string_view bytes) {
  if (text::IsValidUtf8(bytes)) return std::string(bytes);
  return text::Windows1252ToUtf8(bytes);
}

// Converts with iconv, replacing what the charset cannot decode so that one bad byte never costs
// the whole text. False when the charset is unknown.
bool Convert(std::string_view bytes, const std::string& charset, std::string& out) {
  EnsureGMime();
  iconv_t cd = g_mime_iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(bytes.size() + bytes.size() / 2);
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  while (in_left > 0) {
    char* o = buffer;
    size_t o_left = sizeof buffer;
    const size_t result = g_mime_iconv(cd, &in, &in_left, &o, &o_left);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (result == static_cast<size_t>(-1) && error != E2BIG) {
      // An invalid or truncated sequence: skip one byte so the loop always advances.
      out += kReplacementCharacter;
      ++in;
      --in_left;
    }
  }
  char* o = buffer;
  size_t o_left = sizeof buffer;
  g_mime_iconv(cd, nullptr, nullptr, &o, &o_left);  // flush a stateful charset's shift state
  out.append(buffer, static_cast<size_t>(o - buffer));
  g_mime_iconv_close(cd);
  return true;
}

}  // namespace

void EnsureGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

std::string TakeString(char* owned) {
  GCharPtr holder(owned);
  return owned == nullptr ? std::string() : std::string(owned);
}

std::string CopyString(const char* borrowed) {
  return borrowed == nullptr ? std::string() : std::string(borrowed);
}

GObjectPtr<GMimeStream> MemoryStream(std::string_view bytes) {
  EnsureGMime();
  return GObjectPtr<GMimeStream>(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
}

std::string MemoryStreamBytes(GMimeStream* stream) {
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  if (array == nullptr || array->len == 0) return {};
  return std::string(reinterpret_cast<const char*>(array->data), array->len);
}

std::string ToUtf8(std::string_view bytes, std::string_view charset) {
  std::string converted;
  switch (Classify(charset)) {
    case CharsetKind::kUnlabelled:
      return Unlabelled(bytes);
    case CharsetKind::kWindows1252:
      return text::Windows1252ToUtf8(bytes);
    case CharsetKind::kUtf8:
      return ReplaceInvalidUtf8(bytes);
    case CharsetKind::kOther:
      if (Convert(bytes, std::string(text::Trim(charset)), converted)) {
        return ReplaceInvalidUtf8(converted);
      }
      return Unlabelled(bytes);
  }
  return Unlabelled(bytes);
}

std::string PartContent(GMimeObject* object) {
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  if (GMIME_IS_MESSAGE_PART(object)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
    if (inner != nullptr) g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, stream.get());
  } else if (GMIME_IS_MULTIPART(object)) {
    g_mime_object_write_to_stream(object, nullptr, stream.get());
  } else if (GMIME_IS_PART(object)) {
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
    if (content != nullptr) g_mime_data_wrapper_write_to_stream(content, stream.get());
  }
  return MemoryStreamBytes(stream.get());
}

void SetContent(GMimePart* part, std::string_view bytes) {
  GObjectPtr<GMimeStream> stream = MemoryStream(bytes);
  GObjectPtr<GMimeDataWrapper> wrapper(
      g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, wrapper.get());
}

void MakeSevenBitSafe(GMimeObject* object) {
  if (!GMIME_IS_PART(object) || g_mime_part_get_content(GMIME_PART(object)) == nullptr) return;
  GMimePart* part = GMIME_PART(object);
  const GMimeContentEncoding current = g_mime_part_get_content_encoding(part);
  if (current == GMIME_CONTENT_ENCODING_BASE64 ||
      current == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
      current == GMIME_CONTENT_ENCODING_UUENCODE) {
    return;
  }
  const GMimeContentEncoding best =
      g_mime_part_get_best_content_encoding(part, GMIME_ENCODING_CONSTRAINT_7BIT);
  if (best == GMIME_CONTENT_ENCODING_7BIT && current != GMIME_CONTENT_ENCODING_8BIT &&
      current != GMIME_CONTENT_ENCODING_BINARY) {
    return;
  }
  g_mime_part_set_content_encoding(part, best);
}

void EndHeaderLines(GMimeObject* object) {
  GMimeHeaderList* list = g_mime_object_get_header_list(object);
  for (int i = 0; list != nullptr && i < g_mime_header_list_get_count(list); ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
    const std::string raw = CopyString(g_mime_header_get_raw_value(header));
    if (!raw.ends_with('\n')) g_mime_header_set_raw_value(header, (raw + "\n").c_str());
  }
  if (GMIME_IS_MESSAGE(object)) {
    GMimeObject* body = g_mime_message_get_mime_part(GMIME_MESSAGE(object));
    if (body != nullptr) EndHeaderLines(body);
  } else if (GMIME_IS_MULTIPART(object)) {
    for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(object)); ++i) {
      EndHeaderLines(g_mime_multipart_get_part(GMIME_MULTIPART(object), i));
    }
  } else if (GMIME_IS_MESSAGE_PART(object)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
    if (inner != nullptr) EndHeaderLines(GMIME_OBJECT(inner));
  }
}

namespace {

// text with each line end (CR LF, CR or LF) written as line_end; the lines between are copied
// whole.
std::string WithLineEnds(std::string_view text, std::string_view line_end) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  size_t from = 0;
  for (size_t end = text::internal::FindLineEnd(text, 0); end != std::string_view::npos;
       end = text::internal::FindLineEnd(text, from)) {
    out.append(text.substr(from, end - from)).append(line_end);
    from = end + 1;
    if (text[end] == '\r' && from < text.size() && text[from] == '\n') ++from;
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace

std::string ToCrLf(std::string_view text) { return WithLineEnds(text, "\r\n"); }

std::string ToLf(std::string_view text) { return WithLineEnds(text, "\n"); }

}  // namespace vellumo::localmail
