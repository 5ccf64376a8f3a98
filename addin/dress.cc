#include "addin/dress.h"

#include "addin/plain_text_body.h"
#include "common/compose/neutralise.h"
#include "common/compose/short_signature.h"

namespace vellumo::addin {

std::optional<std::string> DressBody(const DressDeps& deps, mail::MailItem& item, bool plain_text,
                                     const DressChoice& choice, compose::SendState& state,
                                     const DressGuard& guard) {
  if (plain_text) {
    std::string body;
    if (!guard([&] { body = item.Body(); })) return std::nullopt;
    const std::string compact = compose::GetCompactSignature(deps.settings, deps.log);
    const std::string disclaimer =
        compose::GetDisclaimerText(deps.fs, deps.log, state.ApplicationPath);
    return PlainTextHtml({.body = body,
                          .compact_signature = compact,
                          .disclaimer = disclaimer,
                          .is_reply = state.IsReply,
                          .reply_separator = state.ReplySeparator,
                          .cut_before = state.ReplyCutBefore,
                          .skip_after = state.ReplySkipAfter});
  }

  std::string html;
  guard([&] { html = item.HTMLBody(); });
  std::string message;
  std::string template_path;
  if (!html.empty()) {
    std::string boilerplate;
    guard([&] {
      boilerplate = compose::LoadBoilerplate(deps.settings, deps.fs, choice.boilerplate);
    });
    message = html + boilerplate;
    template_path = choice.template_folder + "\\" + text::Trim(choice.template_name);
  } else {
    if (!guard([&] { message = item.Body(); })) return std::nullopt;
    template_path = choice.template_folder + "\\" + choice.template_name;
  }
  std::string dressed;
  if (!guard([&] { dressed = deps.composer.CreateHTMLBody(message, template_path, state); })) {
    return std::nullopt;
  }
  return dressed;
}

}  // namespace vellumo::addin
