#include "common/compose/short_signature.h"

#include <string>
#include <utility>

#include "base/text.h"
#include "common/settings/keys.h"

namespace vellumo::compose {
namespace {

// The column fill: one `fill` per character the value lacks of the column width.
std::string Filled(std::string_view value, std::string_view fill) {
  std::string out(value);
  for (int64_t missing = kLayoutColumnWidth - text::Len(value); missing > 0; --missing) {
    out.append(fill);
  }
  return out;
}

// A labelled number after the column; nothing at all when there is no number.
std::string Labelled(std::string_view prefix, std::string_view value) {
  if (value.empty()) return "";
  return std::string(prefix).append(value);
}

}  // namespace

SignatureProfile ReadSignatureProfile(const Settings& settings) {
  SignatureProfile profile;
  profile.full_name = settings.Get(keys::SigFullname);
  profile.organization = settings.Get(keys::SigOrganizationName);
  profile.position = settings.Get(keys::SigPosition);
  profile.email = settings.Get(keys::SigEmail);
  profile.address = {settings.Get(keys::SigAddress), settings.Get(keys::SigAddress2),
                     settings.Get(keys::SigAddress3), settings.Get(keys::SigAddress4)};
  profile.telephone = settings.Get(keys::SigTelephone);
  profile.fax = settings.Get(keys::SigFax);
  profile.cell = settings.Get(keys::SigCell);
  return profile;
}

std::array<std::string, 7> LayoutRows(const SignatureProfile& profile, std::string_view fill) {
  // The prefixes are all 11 characters wide so the numbers line up in a fixed-width font.
  return {
      profile.full_name,
      Filled(profile.organization, fill),
      Filled(profile.position, fill) + profile.email,
      Filled(profile.address[0], fill) + Labelled("Telephone: ", profile.telephone),
      Filled(profile.address[1], fill) + Labelled("Fax:       ", profile.fax),
      Filled(profile.address[2], fill) + Labelled("Cell:      ", profile.cell),
      profile.address[3],
  };
}

std::string CompactSignatureBlock(const SignatureProfile& profile) {
  const std::array<std::string, 7> rows = LayoutRows(profile, "&nbsp;");
  std::string out;
  for (size_t i = 0; i + 1 < rows.size(); ++i) out.append(rows[i]).append("<br>");
  out.append(rows.back());
  return out;
}

std::string ShortTextSignature(const SignatureProfile& profile) {
  std::string out = profile.full_name + ", " + profile.telephone;
  if (!profile.cell.empty()) out.append(", Cell ").append(profile.cell);
  out.append(text::kCrLf).append(profile.position);
  return out;
}

std::string ShortHtmlSignature(const SignatureProfile& profile) {
  std::string out = "<b><font style='font-size: 10pt; color: #28447E; font-family: Verdana'>" +
                    profile.full_name + "</font></b>" +
                    ",&nbsp;<font face=Verdana size=1><b>TEL</b>&nbsp;" + profile.telephone +
                    "</font>";
  if (!profile.cell.empty()) {
    out.append(",&nbsp;<font face=Verdana size=1><b>CELL</b>&nbsp;")
        .append(profile.cell)
        .append("</font>");
  }
  out.append("<br><font style='font-size: 8pt; font-family: Verdana'>")
      .append(profile.position)
      .append("</font>");
  return out;
}

std::string InsertShortSignature(std::string_view body, std::string_view signature,
                                 const ReplyState& reply, std::string_view gap,
                                 std::string_view after_gap) {
  const int64_t at = reply.is_reply && !reply.separator.empty()
                         ? text::InStr(body, reply.separator, text::Compare::kText)
                         : 0;
  std::string out;
  if (at == 0) {
    out.append(body).append(gap).append(signature);
    return out;
  }
  const int64_t rest_from = reply.separator == kOriginalSeparator ? at + kOriginalLineLength : at;
  out.append(text::Left(body, at - 1))
      .append(gap)
      .append(signature)
      .append(after_gap)
      .append(text::Mid(body, rest_from));
  return out;
}

std::string AddShortSignature(const Settings& settings, Log& log, std::string_view body,
                              const ReplyState& reply) {
  std::string out(body);
  Guard(log, kAddShortSignatureWhere, kAddShortSignatureLabel, [&] {
    const std::string gap = std::string(text::kCrLf) + std::string(text::kCrLf);
    out = InsertShortSignature(body, ShortTextSignature(ReadSignatureProfile(settings)), reply, gap,
                               "");
  });
  return out;
}

std::string AddShortSignatureHTML(const Settings& settings, Log& log, std::string_view body,
                                  const ReplyState& reply) {
  std::string out(body);
  Guard(log, kAddShortSignatureHtmlWhere, kAddShortSignatureHtmlLabel, [&] {
    out = InsertShortSignature(body, ShortHtmlSignature(ReadSignatureProfile(settings)), reply,
                               "<P>", "<P>");
  });
  return out;
}

std::string GetCompactSignature(const Settings& settings, Log& log) {
  std::string out;
  Guard(log, kCompactSignatureWhere, kCompactSignatureLabel,
        [&] { out = CompactSignatureBlock(ReadSignatureProfile(settings)); });
  return out;
}

std::string GetDisclaimerText(FileSystem& fs, Log& log, std::string_view application_path) {
  std::string out;
  Guard(log, kDisclaimerWhere, kDisclaimerLabel, [&] {
    const std::string path = std::string(application_path).append(kDisclaimerFile);
    if (!fs.FileExists(path)) return;
    const std::string content = text::DecodeFileText(fs.ReadFile(path));
    std::string block;
    for (std::string_view line : text::Lines(content)) block.append(line).append("<br>");
    out = std::move(block);
  });
  return out;
}

}  // namespace vellumo::compose
