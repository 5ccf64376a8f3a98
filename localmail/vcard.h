// vCard files: the local client keeps each contact as one .vcf file.
//
// ParseVcards reads vCard 2.1, 3.0 and 4.0 as real programs write them (desktop mail clients,
// phones, address books, web mail) into VcardCards; WriteVcard writes one back. A card keeps every
// property in file order, so what the contact item does not model survives a rewrite.
//
// The model is normalised on reading, so that a card means the same whichever version it came from:
// - text is UTF-8: QUOTED-PRINTABLE values are decoded, CHARSET values converted (through GMime's
//   converters), and ENCODING=QUOTED-PRINTABLE and CHARSET parameters dropped;
// - a value is kept in 3.0/4.0 text form: backslash escapes (\n \, \; \\) stay as written and
//   line breaks decoded from quoted-printable become "\n". A 2.1 value is escaped as 3.0 needs:
//   a backslash that starts no escape becomes "\\", and ';' and ',' become "\;" and "\," except
//   where the property uses them as separators (N/ADR/ORG components, CATEGORIES/NICKNAME lists,
//   URIs). The typed accessors unescape; Text()/SetText() do it for any property;
// - base64 values (photos, keys) are kept undecoded, without the whitespace that folded them;
//   their ENCODING parameter reads "b";
// - 2.1 bare parameters become named ones: "WORK;PREF" is TYPE=WORK;TYPE=PREF and a bare
//   "QUOTED-PRINTABLE" or "BASE64" is an ENCODING; parameter names are upper-cased and values lose
//   their quotes and, in 3.0 and 4.0 cards, their ^n ^' ^^ escapes.
//
// WriteVcard writes vCard 4.0 for a card read as 4.0 (same syntax, UTF-8 only) and vCard 3.0 for
// everything else, 2.1 included (2.1 cannot hold UTF-8 text without QUOTED-PRINTABLE and CHARSET).
// Lines end in CR LF and are folded at 75 octets without splitting a UTF-8 sequence; parameter
// values are quoted and ^-escaped as needed. Parse(Write(card)) gives back the same properties.
//
// Thread safety: all functions are pure; a VcardCard is a plain value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo::localmail {

struct VcardParam {
  std::string name;                 // upper case: "TYPE", "PREF", "X-EVOLUTION-UI-SLOT"
  std::vector<std::string> values;  // unquoted and unescaped; at least one (possibly "")

  bool operator==(const VcardParam&) const = default;
};

struct VcardProperty {
  std::string group;  // "item1" for "item1.EMAIL"; "" when none
  std::string name;   // as written ("EMAIL", "Note"); compared ignoring case
  std::vector<VcardParam> params;
  std::string value;  // see the file comment

  // True when a TYPE parameter lists type (ignoring case), e.g. HasType("WORK").
  bool HasType(std::string_view type) const;
  // True for a preferred property: TYPE=PREF (2.1/3.0) or a PREF parameter (4.0).
  bool IsPreferred() const;
  // The first value of the named parameter, "" when absent.
  std::string Param(std::string_view name) const;

  bool operator==(const VcardProperty&) const = default;
};

// One contact card.
class VcardCard {
 public:
  VcardCard() = default;
  explicit VcardCard(std::string version) : version_(std::move(version)) {}

  // The VERSION the card was read with ("2.1", "3.0", "4.0"), "" when it had none. It decides
  // only the version WriteVcard writes (4.0 stays 4.0, the rest becomes 3.0).
  const std::string& version() const { return version_; }
  // Every property except BEGIN, END and VERSION, in file order.
  const std::vector<VcardProperty>& properties() const { return properties_; }
  std::vector<VcardProperty>& properties() { return properties_; }

  // The first property of that name (ignoring case), or null.
  const VcardProperty* Find(std::string_view name) const { return Pick(name); }
  VcardProperty* Find(std::string_view name) { return PickOrAdd(name, {}, false, false); }

  // The first property's value unescaped ("\n" becomes CR LF, "\," a comma, ...); "" when absent.
  std::string Text(std::string_view name) const;
  // Sets the first property's value to text, escaped; appends the property when there is none
  // (and text is not empty, so that clearing an absent field leaves the card alone).
  void SetText(std::string_view name, std::string_view text);

  // The fields of the contact item. Getters answer "" for what the card lacks; setters update
  // the property (or the one component of it) or insert it. Line breaks read as CR LF.
  std::string FullName() const { return Text("FN"); }  // FN
  void SetFullName(std::string_view v) { SetText("FN", v); }
  std::string LastName() const { return Component("N", {}, 0); }  // N: family;given;...
  void SetLastName(std::string_view v) { SetComponent("N", {}, 0, v, 5); }
  std::string FirstName() const { return Component("N", {}, 1); }
  void SetFirstName(std::string_view v) { SetComponent("N", {}, 1, v, 5); }
  std::string Title() const { return Text("TITLE"); }
  void SetTitle(std::string_view v) { SetText("TITLE", v); }
  std::string CompanyName() const { return Component("ORG", {}, 0); }  // first ORG component
  void SetCompanyName(std::string_view v) { SetComponent("ORG", {}, 0, v, 1); }
  std::string Body() const { return Text("NOTE"); }  // NOTE
  void SetBody(std::string_view v) { SetText("NOTE", v); }
  std::string EntryID() const { return Text("UID"); }  // UID
  void SetEntryID(std::string_view v) { SetText("UID", v); }
  std::string Account() const { return Text("X-VELLUMO-ACCOUNT"); }
  void SetAccount(std::string_view v) { SetText("X-VELLUMO-ACCOUNT", v); }
  std::string BillingInformation() const { return Text("X-VELLUMO-BILLING"); }
  void SetBillingInformation(std::string_view v) { SetText("X-VELLUMO-BILLING", v); }
  // User1..User4: X-VELLUMO-USER1..4. REQUIRES: 1 <= n <= 4 (else Error kSubscriptOutOfRange).
  std::string User(int n) const;
  void SetUser(int n, std::string_view v);

  // The preferred EMAIL, else the first one.
  std::string Email1Address() const;
  void SetEmail1Address(std::string_view address);

  // CATEGORIES of every CATEGORIES property, in order, empty ones dropped.
  std::vector<std::string> Categories() const;
  // One CATEGORIES property holding the list (others removed); an empty list removes them all.
  void SetCategories(const std::vector<std::string>& categories);

  // The city (locality, fourth component) of the ADR property typed WORK.
  std::string BusinessAddressCity() const { return Component("ADR", "WORK", 3); }
  void SetBusinessAddressCity(std::string_view v) { SetComponent("ADR", "WORK", 3, v, 7); }

  bool operator==(const VcardCard&) const = default;

 private:
  // The first property of that name (and, when type is given, of that TYPE); with prefer, the
  // first preferred one if any. PickOrAdd appends an empty one (typed) when none fits and add.
  const VcardProperty* Pick(std::string_view name, std::string_view type = {},
                            bool prefer = false) const;
  VcardProperty* PickOrAdd(std::string_view name, std::string_view type, bool prefer, bool add);
  std::string Component(std::string_view name, std::string_view type, size_t index) const;
  // Sets one ';'-separated component, padding the value to at least min_components.
  void SetComponent(std::string_view name, std::string_view type, size_t index, std::string_view v,
                    size_t min_components);

  std::string version_;
  std::vector<VcardProperty> properties_;
};

// Every card of a .vcf file (bytes as read; UTF-8 with or without BOM, UTF-16 with or without
// BOM, or legacy 8-bit). Throws Error naming name_for_errors and the line for: no card at all,
// text outside a card, a card without END:VCARD, a line that is not a property (no ':'), a bad
// property or parameter name, an unterminated quoted parameter value. A line holding only a
// standard or X- property name (some exporters write "FN" for an empty field) reads as that
// property, empty.
[[nodiscard]] std::vector<VcardCard> ParseVcards(std::string_view bytes,
                                                 std::string_view name_for_errors);

// The card as a vCard 3.0 (or 4.0, see above) file with CR LF line ends.
[[nodiscard]] std::string WriteVcard(const VcardCard& card);

// Helpers for structured values, exposed for the contact code and the tests.
// Splits a raw value at unescaped separators (';' or ','), keeping escapes in the pieces.
std::vector<std::string> SplitVcardValue(std::string_view raw, char separator);
// Unescapes one text value: \n and \N become CR LF; a backslash before punctuation (\\ \, \;
// and the \: \" some writers add) gives that character; any other backslash is kept as written.
std::string UnescapeVcardText(std::string_view raw);
// Escapes text for a value: backslash, comma, semicolon, and line breaks (as \n).
std::string EscapeVcardText(std::string_view text);

}  // namespace vellumo::localmail
