// Step 16 of the send interception: the preview, the vCard, the dressing by editor type and the
// marks.
#include <string>

#include "addin/dress.h"
#include "addin/item_send_run.h"
#include "base/text.h"

namespace vellumo::addin {

PreviewSetup ItemSendHandler::Run::ReadPreviewSetup() {
  PreviewSetup setup;
  setup.vcard_visible = !Setting(keys::vCard).empty();
  setup.vcard_ticked = setup.vcard_visible && IsTrue(keys::SendvCardAlways);
  setup.select_visible = IsTrue(keys::ShowPreviewSelectButton);
  setup.plain_visible = IsTrue(keys::ShowAutoSendPlain);
  setup.options_visible = IsTrue(keys::ShowPreviewOptionsButton);
  Guarded([&] { setup.attachments = Current().Attachments()->Count(); });
  setup.top = Setting(keys::BrowserTop);
  setup.left = Setting(keys::BrowserLeft);
  setup.height = Setting(keys::BrowserHeight);
  setup.width = Setting(keys::BrowserWidth);
  return setup;
}

ItemSendHandler::Flow ItemSendHandler::Run::Preview() {
  compose::SendState& s = State();
  if (IsTrue(keys::AutoPreview)) {
    s.BrowserSend = true;
    s.SendPlain = false;
    const PreviewSetup setup = ReadPreviewSetup();
    s.AttachVCard = false;
    ShowPreview(setup);
    // The final composition below is a real send, not a preview.
    s.PreviewMode = false;
    if (!s.BrowserSend) {
      cancel_ = true;
      return Flow::kReturn;
    }
    // The user may have picked another template in the preview.
    template_ = Setting(keys::Template);
  }
  Trace("Auto Preview check OK");
  if (s.SendPlain) {
    cancel_ = true;
    return Flow::kReturn;
  }
  Trace("Auto Preview Send Plain check OK");
  return Flow::kGoOn;
}

ItemSendHandler::PreviewOutcome ItemSendHandler::Run::GoPreviewOnly() {
  if (!item_) throw Error(ErrorCode::kObjectNotSet, "Item");
  if (handler_.preview_ == nullptr) throw Error(ErrorCode::kObjectNotSet, "PreviewWindow");
  compose::SendState& s = State();
  ResetSendState();
  SafeWrapper();
  Subject();
  Separator();
  (void)DetectReply();
  s.BrowserSend = true;
  s.SendPlain = false;
  s.AttachVCard = false;
  ShowPreview(ReadPreviewSetup());
  s.PreviewMode = false;
  if (!s.BrowserSend) return PreviewOutcome::kClose;
  return s.SendPlain ? PreviewOutcome::kSendPlain : PreviewOutcome::kSend;
}

void ItemSendHandler::Run::ShowPreview(const PreviewSetup& setup) {
  if (handler_.preview_ == nullptr) {
    if (!handler_.no_preview_logged_) {
      Note(kNoPreviewLine);
      handler_.no_preview_logged_ = true;
    }
    return;
  }
  try {
    handler_.preview_->AutoPreview(setup, State());
  } catch (const std::exception& e) {
    Note(DescriptionOf(e) + std::string(kPreviewErrorSuffix));
  }
}

void ItemSendHandler::Run::AttachVCard() {
  State().MessageDressed = true;
  if (!State().AttachVCard) return;
  const std::string path = Setting(keys::vCardPath);
  Guarded([&] { Current().Attachments()->Add(path); });
}

ItemSendHandler::Flow ItemSendHandler::Run::Dress() {
  compose::SendState& s = State();
  const bool plain_text = editor_ == static_cast<int>(mail::EditorType::kText);
  const std::optional<std::string> dressed =
      DressBody({deps_.settings, deps_.fs, deps_.log, deps_.composer}, Current(), plain_text,
                {template_folder_, template_, s.SelectedBoilerplate}, s,
                [this](const std::function<void()>& step) { return Guarded(step); });
  if (plain_text) {
    if (dressed) {
      Guarded([&] { Current().SetHTMLBody(*dressed); });
      Guarded([&] { Current().Save(); });
    }
    return Flow::kGoOn;
  }
  if (s.ScriptCancelled) {
    cancel_ = true;
    return Flow::kReturn;
  }
  if (dressed) Guarded([&] { Current().SetHTMLBody(*dressed); });
  return Flow::kGoOn;
}

void ItemSendHandler::Run::Mark() {
  Trace("vCard check OK");
  if (!State().MessageDressed) return;
  Guarded([&] { Current().SetBillingInformation(kDressedMark); });
  Guarded(
      [&] { Current().UserProperties()->Add(kVersionProperty, mail::UserPropertyType::kText); });
  Guarded([&] { Current().UserProperties()->Item(1)->SetValue(kVersionValue); });
  Exclaimer(Current());
  Guarded([&] { Current().Save(); });
  cancel_ = false;
}

}  // namespace vellumo::addin
