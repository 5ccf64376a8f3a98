// The set-up wizard's vCard file: the version 2.1 card it writes from the profile typed on
// Step 2, and the reader that fills the profile fields from a card it found.
//
// Writing: VCardText gives the 14 lines, each ended by CR LF, in a fixed order (BEGIN, VERSION,
// N, FN, ORG, TITLE, three TEL lines, LABEL, ADR, URL, EMAIL, END); every value is the field's
// text trimmed of spaces, and an empty field still gives its line. Values are escaped the way
// vCard 2.1 readers undo it:
//   ";" is written "\;" so a name or address holding one keeps the N and ADR components apart;
//   "\" is written "\\" so a typed backslash never joins the escape of a following ";";
//   "," is written as typed: 2.1 gives it no meaning (N is "Family, Given" on purpose), and a
//       2.1 reader would show "\," with its backslash;
//   a line break inside a value becomes one blank: it would otherwise end the property line;
//   in the LABEL line, which declares QUOTED-PRINTABLE, "=" is written "=3D" so a reader does
//       not decode "=41" typed in an address as a character.
// Everything else, non-ASCII text included, is written as typed (UTF-8).
//
// Reading: ImportVCard reads a card line by line (a line ends at CR LF, CR or LF) and gives each
// line to ImportVCardLine, which knows the properties the wizard fills; see there.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vellumo::profilewizard {

// The profile fields a vCard carries (first-language column).
struct VCardFields {
  std::string full_name;
  std::string organization;
  std::string position;
  std::string telephone;
  std::string cell;
  std::string fax;
  std::string email;
  std::string website;
  std::string address1;
  std::string address2;
  std::string address3;

  bool operator==(const VCardFields&) const = default;
};

// The name with its last word first: "Ann Marie Lee" -> "Lee, Ann Marie". The text after the
// last space, ", ", then the text before it; a name without a space is returned unchanged.
std::string FixName(std::string_view name);

// The card's text: 14 lines, each ended by CR LF.
std::string VCardText(const VCardFields& fields);

// Writes VCardText(fields) to path, whole or not at all: the file is replaced in one step, so a
// failure leaves any earlier file as it was. The folder must exist. Throws the file system's
// Error.
void WriteVCard(FileSystem& fs, std::string_view path, const VCardFields& fields);

// Where the wizard creates the user's card: "C:\My Documents\" + the trimmed full name + ".vcf".
inline constexpr std::string_view kCreatedVCardFolder = "C:\\My Documents";
struct CreatedVCard {
  std::string name;  // "Ann Marie Lee.vcf"
  std::string path;  // "C:\My Documents\Ann Marie Lee.vcf"
};
// Creates the folder when missing and writes the card named after the trimmed full name. A full
// name that is empty or cannot be a file name (it holds \ / : * ? " < > | or a control
// character, or is "." or "..") throws Error(kBadFileName) naming the field and writes nothing;
// file system failures throw its Error.
[[nodiscard]] CreatedVCard CreateUserVCard(FileSystem& fs, const VCardFields& fields);

// Fills fields from one line of a card and returns whether the line was used. The property is
// found case-insensitively by these tests, in this order, the first that holds winning:
//   "FN:" full name, "ORG:" organisation, "TITLE:" position, "TEL;WORK;VOICE:" telephone,
//   "TEL;CELL;VOICE" cell, "TEL;WORK;FAX:" fax, "EMAIL;PREF;INTERNET:" e-mail,
//   "URL;WORK:" web site, "ADR;WORK" address.
// A test holds when its text stands in the property part of the line (before the line's first
// ":"); text inside a value ("NOTE:ask for FN: ...") never counts. The value is everything after
// the first ":" (for the lines the wizard writes that is the fixed cut after the property name;
// it also reads "ADR;WORK;PREF:" or "TEL;CELL;VOICE;PREF:" lines without taking parameters for
// data), with "\;", "\," and "\\" unescaped. The address value is split at each ";" that is not
// escaped, each "=0D=0A" in a part becomes ", ", parts are trimmed of spaces, and the non-empty
// ones fill address lines 1 to 3; a fourth and later part are joined to line 3 with ", ", so no
// part of the address is lost. The three lines are set together: one that finds no part becomes
// empty.
bool ImportVCardLine(std::string_view line, VCardFields& fields);

// Reads the card at path: the file's text (UTF-8; UTF-16 with a byte-order mark; otherwise
// Windows-1252) line by line through ImportVCardLine, starting from empty fields and ending at the
// first "END:VCARD" line, so a file of several cards gives the first card's fields and never a
// mix. On success fields holds exactly what the card gave (fields it does not carry are empty);
// when the file cannot be read the file system's Error is thrown and fields is left as it was.
void ImportVCard(FileSystem& fs, std::string_view path, VCardFields& fields);

}  // namespace vellumo::profilewizard
