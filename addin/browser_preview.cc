#include "addin/browser_preview.h"

#include <string>

#include "addin/item_send.h"
#include "addin/plain_text_body.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/short_signature.h"
#include "common/settings/keys.h"

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
    std::shared_ptr<mail::Inspector> inspector = state.CurrentItem->GetInspector();
    plain_text = inspector && inspector->EditorType() == mail::EditorType::kText;
    // Dressed as the send will dress it (dress.h), so the window shows what is sent.
    form.ComposeCurrent(plain_text);
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
