#include "localmail/gmime_util.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "base/byte_search.h"
#include "base/error.h"
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

namespace {

// The bytes a stream holds from its start; the stream is left at its start.
std::string StreamBytes(GMimeStream* stream) {
  g_mime_stream_reset(stream);
  std::string bytes;
  const gint64 length = g_mime_stream_length(stream);
  size_t size = 0;
  for (size_t chunk = length > 0 ? static_cast<size_t>(length) + 1 : 65536;; chunk = 65536) {
    bytes.resize(size + chunk);
    const ssize_t got = g_mime_stream_read(stream, bytes.data() + size, chunk);
    if (got <= 0) break;
    size += static_cast<size_t>(got);
  }
  bytes.resize(size);
  g_mime_stream_reset(stream);
  return bytes;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view encoded) {
  // The value of each hex digit, either case; -1 for any other byte.
  static constexpr std::array<signed char, 256> kHexValue = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int c = 0; c < 10; ++c) values['0' + c] = static_cast<signed char>(c);
    for (int c = 0; c < 6; ++c) {
      values['A' + c] = static_cast<signed char>(10 + c);
      values['a' + c] = static_cast<signed char>(10 + c);
    }
    return values;
  }();
  // Never longer than the encoded text: each escape gives one byte, anything else one for one.
  std::string out(encoded.size(), '\0');
  char* o = out.data();
  const char* p = encoded.data();
  const char* const end = p + encoded.size();
  while (p < end) {
    // The text up to the next '=' as it is.
    const void* equals = std::memchr(p, '=', static_cast<size_t>(end - p));
    const char* const run_end = equals != nullptr ? static_cast<const char*>(equals) : end;
    std::memcpy(o, p, static_cast<size_t>(run_end - p));
    o += run_end - p;
    p = run_end;
    if (p == end) break;
    ++p;
    if (p == end) break;
    const auto first = static_cast<unsigned char>(*p++);
    if (first == '\n') continue;  // a soft break
    if (p == end) break;
    const auto second = static_cast<unsigned char>(*p++);
    if (kHexValue[first] >= 0 && kHexValue[second] >= 0) {
      *o++ = static_cast<char>((kHexValue[first] << 4) | kHexValue[second]);
    } else if (second == '\n' && first == '\r') {
      // a soft break before CR LF
    } else {
      // Not an escape: the three bytes as they are.
      *o++ = '=';
      *o++ = static_cast<char>(first);
      *o++ = static_cast<char>(second);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
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
    if (content != nullptr &&
        g_mime_data_wrapper_get_encoding(content) == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE) {
      // Most text arrives quoted-printable: decoded in one pass, not through GMime's filter.
      GMimeStream* raw = g_mime_data_wrapper_get_stream(content);
      return raw != nullptr ? DecodeQuotedPrintable(StreamBytes(raw)) : std::string();
    }
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

std::optional<GMimeContentEncoding> EightBitEncoding(std::string_view content) {
  if (std::memchr(content.data(), '\0', content.size()) != nullptr) {
    return GMIME_CONTENT_ENCODING_BASE64;
  }
  // A loop the compiler turns into vector instructions.
  size_t eight_bit = 0;
  for (const char c : content) eight_bit += static_cast<unsigned char>(c) >> 7;
  if (eight_bit == 0) return std::nullopt;
  // GMime's rule for the 7-bit constraint, in its own arithmetic.
  return eight_bit >=
                 static_cast<unsigned int>(static_cast<double>(content.size()) * (17.0 / 100.0))
             ? GMIME_CONTENT_ENCODING_BASE64
             : GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
}

namespace {

// GMime's classes of bytes for quoted-printable: safe bytes (printable ASCII but '=', and space
// and tab) are written as they are, blanks (space, tab) only once the next byte shows they do not
// end a line; the rest is escaped.
constexpr bool IsQpSafe(int c) { return (c >= 32 && c <= 126 && c != '=') || c == '\t'; }
constexpr bool IsQpBlank(int c) { return c == ' ' || c == '\t'; }

// IsQpSafe as a table, for the runs of safe bytes the encoder copies whole.
constexpr std::array<bool, 256> kQpSafe = [] {
  std::array<bool, 256> safe{};
  for (int c = 0; c < 256; ++c) safe[c] = IsQpSafe(c);
  return safe;
}();

unsigned char* PutQpEscape(unsigned char* out, int c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out[0] = '=';
  out[1] = kHex[(c >> 4) & 0xF];
  out[2] = kHex[c & 0xF];
  return out + 3;
}

unsigned char* PutSoftBreak(unsigned char* out) {
  out[0] = '=';
  out[1] = '\n';
  return out + 2;
}

// GMime's encoder (g_mime_encoding_quoted_encode_step and _close), fed the content in pieces
// as GMime's filter is; the output does not depend on where the pieces end.
class QpEncoder {
 public:
  // The most a step on `bytes` bytes of content and a close can write: every byte escaped, a
  // soft break after every 72 bytes of output, the byte the step before held back, and the
  // end's escape and soft break.
  static size_t Room(size_t bytes) { return 3 * bytes + 2 * (3 * bytes / 72 + 2) + 3 + 5; }

  // Writes the encoding of content to out, which has Room(content.size()); returns the end.
  unsigned char* Step(std::string_view content, unsigned char* out) {
    // The state in locals: the output's bytes could alias members, which the compiler would
    // then reload at every byte.
    size_t sofar = sofar_;
    int last = last_;
    const auto* p = reinterpret_cast<const unsigned char*>(content.data());
    const auto* const end = p + content.size();
    while (p < end) {
      const unsigned char c = *p++;
      if (last == -1 && kQpSafe[c]) {
        // With nothing held back, a run of safe bytes goes out as it is, cut by soft breaks
        // where the line reaches 75 bytes: a blank inside the run is held back and written when
        // the next byte comes, which is what writing it at once gives. Blanks that end the run
        // before a line end or the piece's end take the steps below.
        const unsigned char* const start = p - 1;
        const unsigned char* run_end = p;
        while (run_end < end && kQpSafe[*run_end]) ++run_end;
        if (run_end == end || *run_end == '\r' || *run_end == '\n') {
          while (run_end > start && IsQpBlank(run_end[-1])) --run_end;
        }
        if (run_end > start) {
          for (const unsigned char* from = start; from < run_end;) {
            if (sofar > 74) {
              out = PutSoftBreak(out);
              sofar = 0;
            }
            const size_t take = std::min<size_t>(static_cast<size_t>(run_end - from), 75 - sofar);
            std::memcpy(out, from, take);
            out += take;
            from += take;
            sofar += take;
          }
          p = run_end;
          continue;
        }
      }
      // The encoder's steps as they are, for escapes, line ends, blanks before a line end or a
      // piece's end, and CRs.
      if (c == '\r') {
        if (last != -1) {
          out = PutQpEscape(out, last);
          sofar += 3;
        }
        last = c;
      } else if (c == '\n') {
        if (last != -1 && last != '\r') out = PutQpEscape(out, last);
        *out++ = '\n';
        sofar = 0;
        last = -1;
      } else {
        if (last != -1) {
          if (IsQpSafe(last)) {
            *out++ = static_cast<unsigned char>(last);
            ++sofar;
          } else {
            out = PutQpEscape(out, last);
            sofar += 3;
          }
        }
        if (IsQpSafe(c)) {
          if (sofar > 74) {
            out = PutSoftBreak(out);
            sofar = 0;
          }
          if (IsQpBlank(c)) {
            last = c;
          } else {
            *out++ = c;
            ++sofar;
            last = -1;
          }
        } else {
          if (sofar > 72) {
            out = PutSoftBreak(out);
            sofar = 3;
          } else {
            sofar += 3;
          }
          out = PutQpEscape(out, c);
          last = -1;
        }
      }
    }
    sofar_ = sofar;
    last_ = last;
    return out;
  }

  unsigned char* Close(unsigned char* out) {
    if (last_ != -1) {
      // A blank or CR that ends the content is encoded, and a soft break follows so that the
      // line end a reader adds is no line end of the content.
      if (IsQpSafe(last_) && !IsQpBlank(last_)) {
        *out++ = static_cast<unsigned char>(last_);
      } else {
        out = PutQpEscape(out, last_);
      }
      out = PutSoftBreak(out);
      last_ = -1;
    }
    return out;
  }

 private:
  // The bytes on the current output line, and the byte held back (a blank or a CR) or -1.
  size_t sofar_ = 0;
  int last_ = -1;
};

}  // namespace

GObjectPtr<GMimeStream> QuotedPrintableStream(std::string_view content) {
  EnsureGMime();
  // The array grows as the encoding needs, from a little over the content's size: text is mostly
  // safe bytes, and room for every byte escaped would be three times the text.
  constexpr size_t kPiece = 16 << 10;
  GByteArray* bytes = g_byte_array_sized_new(0);
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_byte_array(bytes));
  size_t size = content.size() + content.size() / 8 + 256;
  size_t used = 0;
  QpEncoder encoder;
  for (size_t at = 0; at <= content.size(); at += kPiece) {
    const std::string_view piece = content.substr(at, kPiece);
    const size_t need = used + QpEncoder::Room(piece.size());
    if (need > G_MAXUINT) throw Error("The text is too large to encode");
    if (need > bytes->len) {
      size = std::max(size, std::min<size_t>(G_MAXUINT, std::max(need, 2 * size_t{bytes->len})));
      g_byte_array_set_size(bytes, static_cast<guint>(size));
    }
    unsigned char* end = encoder.Step(piece, bytes->data + used);
    if (at + kPiece > content.size()) end = encoder.Close(end);
    used = static_cast<size_t>(end - bytes->data);
  }
  g_byte_array_set_size(bytes, static_cast<guint>(used));
  return stream;
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
