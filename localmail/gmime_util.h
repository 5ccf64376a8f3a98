// Small RAII helpers over the GMime and GLib C API, a few part-level helpers for the MIME code, and
// the one charset conversion that both the MIME code and the vCard reader use.
//
// Only the local mail client's own .cc files include this header; nothing above the platform layer
// sees a GObject. Every function that touches GMime calls EnsureGMime() first, so callers never
// initialise the library themselves. Thread safety: EnsureGMime and ToUtf8 may be called from any
// thread; the owning pointers are as thread-safe as the objects they hold (not at all).
#pragma once

#include <gmime/gmime.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo::localmail {

// Initialises GMime once per process (std::call_once); later calls return at once.
void EnsureGMime();

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
// Owns one reference to a GObject (GMimeMessage, GMimePart, GMimeStream, ...).
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes a new reference to an object the caller only borrows. Null stays null.
template <typename T>
GObjectPtr<T> RefObject(T* object) {
  if (object != nullptr) g_object_ref(object);
  return GObjectPtr<T>(object);
}

struct GFreeDeleter {
  void operator()(gpointer memory) const { g_free(memory); }
};
// A string GLib or GMime returned for the caller to g_free.
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

// Copies a g_malloc'ed string and frees it; null gives "".
std::string TakeString(char* owned);
// Copies a borrowed C string; null gives "".
std::string CopyString(const char* borrowed);

struct FormatOptionsDeleter {
  void operator()(GMimeFormatOptions* options) const { g_mime_format_options_free(options); }
};
using FormatOptionsPtr = std::unique_ptr<GMimeFormatOptions, FormatOptionsDeleter>;

// A memory stream holding a copy of bytes, positioned at the start.
GObjectPtr<GMimeStream> MemoryStream(std::string_view bytes);
// Everything a memory stream (GMimeStreamMem) holds.
std::string MemoryStreamBytes(GMimeStream* stream);

// encoded decoded from quoted-printable, byte for byte as GMime's decoder does it: =XX in either
// case gives the byte, '=' before LF or CR LF is a soft break, any other byte pair after '=' stays
// as it is, and an '=' sequence cut short by the end is dropped.
std::string DecodeQuotedPrintable(std::string_view encoded);
// The decoded bytes of a leaf part (transfer encoding undone); an attached message
// (message/rfc822) as its bytes; a multipart as its bytes with its own headers.
std::string PartContent(GMimeObject* object);
// Replaces a part's content with bytes, transfer encoding left to the caller.
void SetContent(GMimePart* part, std::string_view bytes);
// The transfer encoding g_mime_part_get_best_content_encoding would choose under the 7-bit
// constraint for a part holding content with a NUL or an 8-bit byte, from one count of those
// bytes. nullopt for 7-bit content, where line lengths and "From " lines decide: GMime itself
// must read that.
std::optional<GMimeContentEncoding> EightBitEncoding(std::string_view content);
// content in quoted-printable, byte for byte as GMime's encoder writes it (LF line ends, soft
// breaks before column 76, a blank before a line end encoded), in one pass, as a memory stream
// positioned at the start.
GObjectPtr<GMimeStream> QuotedPrintableStream(std::string_view content);
// A part moved into a rebuilt body must still cross SMTP: 8bit or binary content (or content
// mislabelled 7bit) gets quoted-printable or base64 as GMime finds best. Its decoded bytes stay.
void MakeSevenBitSafe(GMimeObject* object);
// A header cut short (the last line of a truncated file) has no line end, and GMime would write
// the next header onto its line: gives every header of object and its descendants one.
void EndHeaderLines(GMimeObject* object);

// Text in the named charset as UTF-8. The result is always valid UTF-8, whatever the input:
// - no charset, us-ascii or an unknown charset: valid UTF-8 is kept, anything else is read as
//   Windows-1252 (what mislabelled mail and old vCards really hold);
// - utf-8: invalid sequences become U+FFFD;
// - iso-8859-1: read as Windows-1252, its superset (Windows mailers label the one as the other);
// - any other charset: converted with GMime's iconv; bytes the charset cannot decode become
//   U+FFFD.
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// Text with every line end (CR LF, CR or LF) written as CR LF / as LF.
std::string ToCrLf(std::string_view text);
std::string ToLf(std::string_view text);

}  // namespace vellumo::localmail
