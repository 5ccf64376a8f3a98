#include "addin/browser_preview.h"

#include <string>

#include "addin/item_send.h"
#include "addin/plain_text_body.h"
#include "common/compose/short_signature.h"
#include "common/settings/keys.h"
#include "common/text/text.h"
#include "platform/error.h"

namespace vellumo::addin {
namespace {

// The controls a plain-text message has no use for: it is never dressed with a template.
constexpr std::string_view kPlainTextDisables[] = {"cmdOptions", "cboTemplates", "cboSignatures",
                                                   "cboSig",     "cmdNext",      "cmdSignNext"};

int Twips(const std::string& value) { return static_cast<int>(text::Val(value)); }

}  // namespace

void BrowserPreview::AutoPreview(const PreviewSetup& setup, compose::SendState& state) {
  auto step = [&](const std::function<void()>& run) {
    try {
      run();
    } catch (const std::exception& e) {
      deps_.log.Write_log_line(DescriptionOf(e) + std::string(kPreviewErrorSuffix));
    }
  };
  PreviewForm form(deps_, state);
  // Set before the window loads: a profile chosen at load composes a preview already.
  state.PreviewMode = true;
  step([&] { form.Load(); });
  step([&] {
    form["chkvCard"].visible = setup.vcard_visible;
    form["chkvCard"].value = setup.vcard_ticked ? 1 : 0;
    form["cmdNext"].visible = setup.select_visible;
    form["cmdSignNext"].visible = setup.select_visible;
    form["cmdSendPlain"].visible = setup.plain_visible;
    form["cmdOptions"].visible = setup.options_visible;
    if (setup.attachments > 0) {
      form["lblAttachments"].visible = true;
      form["txtAttachments"].visible = true;
      form["txtAttachments"].text = std::to_string(setup.attachments);
      form["txtAttachments"].enabled = false;
    }
  });

  bool plain_text = false;
  step([&] {
    if (!state.CurrentItem) throw Error(ErrorCode::kObjectNotSet, "CurrentItem");
    mail::MailItem& item = *state.CurrentItem;
    const std::string html = item.HTMLBody();
    std::shared_ptr<mail::Inspector> inspector = item.GetInspector();
    plain_text = inspector && inspector->EditorType() == mail::EditorType::kText;
    const std::string template_path =
        deps_.settings.Get(keys::HtmFilesPath) + "\\" + deps_.settings.Get(keys::Template);
    std::string preview;
    if (!html.empty() && !plain_text) {
      std::string path = template_path;
      preview = deps_.composer.CreateHTMLBody(html, path, state);
    } else if (plain_text) {
      const std::string body = item.Body();
      const std::string compact = compose::GetCompactSignature(deps_.settings, deps_.log);
      const std::string disclaimer =
          compose::GetDisclaimerText(deps_.fs, deps_.log, state.ApplicationPath);
      preview = PlainTextHtml({.body = body,
                               .compact_signature = compact,
                               .disclaimer = disclaimer,
                               .is_reply = state.IsReply,
                               .reply_separator = state.ReplySeparator,
                               .cut_before = state.ReplyCutBefore,
                               .skip_after = state.ReplySkipAfter});
    } else {
      std::string path = template_path;
      preview = deps_.composer.CreateHTMLBody(item.Body(), path, state);
    }
    form.ShowPreview(preview);
  });
  step([&] {
    if (!plain_text) return;
    form.caption += std::string(kPlainTextCaptionSuffix);
    for (std::string_view name : kPlainTextDisables) form[name].enabled = false;
  });
  step([&] {
    form.top = Twips(setup.top);
    form.left = Twips(setup.left);
    form.height = Twips(setup.height);
    form.width = Twips(setup.width);
    form.Fire("Form", "Resize");
  });
  step([&] { deps_.host.ShowForm(form); });
  // A window a failure kept open is closed without asking, so it never outlives the send.
  if (form.loaded()) form.ForceUnload(ui::UnloadMode::kCode);
}

}  // namespace vellumo::addin
