#include "common/compose/placeholders.h"

#include <map>
#include <span>
#include <string>
#include <utility>

#include "common/compose/fill_tables.h"
#include "common/text/text.h"

namespace vellumo::compose {
namespace {

// The settings of one fill, each read once however often the fill uses it.
class Values {
 public:
  explicit Values(const Settings& settings) : settings_(settings) {}

  const std::string& Get(std::string_view section, std::string_view key,
                         std::string_view default_value = {}) {
    std::pair<std::string, std::string> id{std::string(section), std::string(key)};
    auto found = cache_.find(id);
    if (found == cache_.end()) {
      found =
          cache_.emplace(std::move(id), settings_.GetSetting(kVellumo, section, key, default_value))
              .first;
    }
    return found->second;
  }
  const std::string& Get(const FieldFill& field) {
    return Get(field.section, field.key, field.default_value);
  }
  bool IsTrue(std::string_view section, std::string_view key) {
    return Get(section, key, "False") == "True";
  }

 private:
  const Settings& settings_;
  std::map<std::pair<std::string, std::string>, std::string> cache_;
};

std::string Fill(std::string text, const FieldFill& field, Values& values) {
  std::string with(field.prefix);
  with.append(values.Get(field));
  return text::Replace(text, field.find, with);
}

std::string FillAll(std::string text, std::span<const FieldFill> fields, Values& values) {
  for (const FieldFill& field : fields) text = Fill(std::move(text), field, values);
  return text;
}

std::string ReplaceAll(std::string text, std::span<const Replacement> replacements) {
  for (const Replacement& r : replacements) text = text::Replace(text, r.find, r.with);
  return text;
}

std::string FillFamily(std::string text, const EmptyLineFamily& family, Values& values) {
  const bool empty = values.Get(kAdminSettings, family.key).empty();
  if (empty) text = ReplaceAll(std::move(text), family.patterns);
  text = FillAll(std::move(text), family.fills, values);
  if (!family.label.find.empty()) {
    text = empty ? text::Replace(text, family.label.find, "")
                 : Fill(std::move(text), family.label, values);
  }
  return text;
}

std::string FillEmptyStringFamily(std::string text, const EmptyStringFamily& family,
                                  Values& values) {
  const std::string& value = values.Get(kAdminSettings, family.key);
  if (value.empty()) {
    for (const EmptyStringSetting& s : family.settings) {
      text = text::Replace(text, values.Get(kAdminSettings, s.find_key, s.find_default),
                           values.Get(kAdminSettings, s.with_key, s.with_default));
    }
  }
  return text::Replace(text, family.placeholder, value);
}

std::string Substitute(std::string text, Values& values) {
  for (const UserSubstitution& pair : kUserSubstitutions) {
    const std::string& code = values.Get(kTemplateSettings, pair.code_key);
    const std::string& swap = values.Get(kTemplateSettings, pair.swap_key);
    if (!code.empty() && !swap.empty()) text = text::Replace(text, code, swap);
  }
  return text;
}

}  // namespace

std::string FillCompositionPlaceholders(const Settings& settings, std::string_view text_in) {
  Values values(settings);
  const std::string quote = values.IsTrue(kUserSettings, "SendQuote")
                                ? values.Get(kUserSettings, "SendQuoteString")
                                : std::string();
  std::string text = text::Replace(text_in, "[#SigQuote#]", quote);
  if (values.IsTrue(kUserSettings, "RTFOnly")) text = text::Replace(text, "file://", "http://");
  text = FillAll(std::move(text), kCompositionNameFields, values);
  text = FillFamily(std::move(text), kPositionFamily, values);
  text = FillFamily(std::move(text), kTelephoneFamily, values);
  text = FillFamily(std::move(text), kFaxFamily, values);
  text = FillAll(std::move(text), kAddressFields, values);
  text = FillFamily(std::move(text), kCellFamily, values);
  text = FillAll(std::move(text), kCompositionOtherFields, values);
  if (values.IsTrue(kAdminSettings, "WipeoutRemoveConvertedBR")) {
    text = text::Replace(text, "<BR>\r\n<BR>", "\r\n<BR>");
  }
  return Fill(std::move(text), kBackgroundColourField, values);
}

std::string FillSignatureFilePlaceholders(const Settings& settings, std::string_view text_in) {
  Values values(settings);
  std::string text = FillAll(std::string(text_in), kSignatureFileFirstFields, values);
  text = FillEmptyStringFamily(std::move(text), kSignatureFileFax, values);
  text = FillEmptyStringFamily(std::move(text), kSignatureFileCell, values);
  text = FillAll(std::move(text), kSignatureFileLinkFields, values);
  text = FillAll(std::move(text), kAddressFields, values);
  text = FillAll(std::move(text), kSignatureFileRtfAddressFields, values);
  text = ReplaceAll(std::move(text), kSignatureFileLeftovers);
  return Substitute(std::move(text), values);
}

std::string ApplyUserSubstitutions(const Settings& settings, std::string_view text) {
  Values values(settings);
  return Substitute(std::string(text), values);
}

}  // namespace vellumo::compose
