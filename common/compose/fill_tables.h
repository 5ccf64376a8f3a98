// The tables of the two signature fills (placeholders.h): which setting fills which placeholder,
// in which order, and the empty-line patterns that take a field's whole labelled line away when
// its value is empty. Plain data, walked once by placeholders.cc; each table reads line by line
// like the behaviour it encodes. All matching is case-sensitive.
#pragma once

#include <span>
#include <string_view>

namespace vellumo::compose {

inline constexpr std::string_view kAdminSettings = "Admin Settings";
inline constexpr std::string_view kUserSettings = "User Settings";
inline constexpr std::string_view kTemplateSettings = "Template Settings";

// Every `find` becomes `with`.
struct Replacement {
  std::string_view find;
  std::string_view with;
};

// Every `find` becomes prefix & the value of setting `key` (application "Vellumo").
struct FieldFill {
  std::string_view find;
  std::string_view key;
  std::string_view default_value = {};
  std::string_view section = kAdminSettings;
  std::string_view prefix = {};
};

// A field of the composition fill whose labelled line goes away when its value is empty.
// When the value of setting `key` is empty: `patterns` in order, then `fills` (each with its own
// value), then every `label.find` removed. Otherwise: `fills`, then `label` filled.
struct EmptyLineFamily {
  std::string_view key;
  std::span<const Replacement> patterns;
  std::span<const FieldFill> fills;
  FieldFill label;  // label.find empty: the field has no label
};

// A field of the signature-file fill whose empty value removes patterns held in settings: when
// `key` is empty, every value of setting find_key (default find_default) becomes the value of
// with_key (default with_default), pair by pair; then `placeholder` is filled with the value.
struct EmptyStringSetting {
  std::string_view find_key;
  std::string_view find_default;
  std::string_view with_key;
  std::string_view with_default;
};
struct EmptyStringFamily {
  std::string_view key;
  std::string_view placeholder;
  std::span<const EmptyStringSetting> settings;
};

// A user substitution pair of section "Template Settings": when both values are not empty, every
// code value becomes the swap value.
struct UserSubstitution {
  std::string_view code_key;
  std::string_view swap_key;
};

// The eight address placeholders, English then French; both fills use them.
extern const std::span<const FieldFill> kAddressFields;

// Composition fill, in its order of use.
extern const std::span<const FieldFill> kCompositionNameFields;  // full name, English and French
extern const EmptyLineFamily kPositionFamily;
extern const EmptyLineFamily kTelephoneFamily;
extern const EmptyLineFamily kFaxFamily;
extern const EmptyLineFamily kCellFamily;
extern const std::span<const FieldFill> kCompositionOtherFields;  // e-mail ... JPEG files
extern const FieldFill kBackgroundColourField;

// Signature-file fill, in its order of use.
extern const std::span<const FieldFill> kSignatureFileFirstFields;  // names ... labels
extern const EmptyStringFamily kSignatureFileFax;
extern const EmptyStringFamily kSignatureFileCell;
// Repairs of broken links, then e-mail, web site and display names (with their RTF-split form).
extern const std::span<const FieldFill> kSignatureFileLinkFields;
extern const std::span<const FieldFill> kSignatureFileRtfAddressFields;
extern const std::span<const Replacement> kSignatureFileLeftovers;

extern const std::span<const UserSubstitution> kUserSubstitutions;

}  // namespace vellumo::compose
