#include "common/forms/wizard_frame.h"

#include <charconv>
#include <utility>

#include "common/settings/keys.h"

namespace vellumo {
namespace {

constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kButtonGap = 120;

}  // namespace

WizardFrame::WizardFrame(std::string name, std::string title, int last_step, ui::Host& host,
                         Registry& registry, const CaptionTable& captions)
    : ui::Form(std::move(name)),
      host_(host),
      settings_(registry),
      captions_(captions),
      title_(std::move(title)),
      last_step_(last_step) {
  for (int index = kHelp; index <= kFinish; ++index) {
    On(NavName(index), "Click", [this, index](ui::Event&) { cmdNav_Click(index); });
  }
  On("Form", "KeyDown", [this](ui::Event& event) {
    int code = 0;
    std::from_chars(event.arg.data(), event.arg.data() + event.arg.size(), code);
    if (code == kF1) OnHelp();
  });
}

std::string WizardFrame::Text(int entry) const {
  const std::string* text = captions_.Find(entry);
  return text != nullptr ? *text : std::string();
}

int WizardFrame::FirstStep() const {
  return settings_.Get(keys::IntroductionScreen) == "ShowIntro" ? 1 : 0;
}

void WizardFrame::SetStep(int step, Direction /*direction*/) {
  if (step >= 1 && step < last_step_) finish_allowed_ = false;
  if (step == last_step_) finish_allowed_ = true;
  ui::Form& form = *this;
  ui::Control& current = form[StepName(current_step_)];
  ui::Control& next = form[StepName(step)];
  current.enabled = false;
  next.left = 0;
  if (step != current_step_) {
    current.left = kOutOfSight;
    current.visible = false;
  }
  next.enabled = true;
  next.visible = true;
  OnStepEntered(step);
  SetNavBtns(step);
  SetCaption(step);
}

void WizardFrame::SetNavBtns(int step) {
  current_step_ = step;
  ui::Form& form = *this;
  form[NavName(kBackButton)].enabled = step != 0;
  form[NavName(kNextButton)].enabled = step != last_step_;
  form[NavName(kFinish)].enabled = finish_allowed_;
}

void WizardFrame::SetCaption(int step) {
  const ui::Control& frame = (*this)[StepName(step)];
  int entry = 0;
  std::from_chars(frame.tag.data(), frame.tag.data() + frame.tag.size(), entry);
  caption = title_ + " - " + Text(entry);
}

void WizardFrame::cmdNav_Click(int index) {
  switch (index) {
    case kHelp:
      OnHelp();
      return;
    case kCancel:
      OnCancel();
      return;
    case kBackButton:
      SetStep(BackStep(current_step_), kBack);
      AfterMove(kBack);
      return;
    case kNextButton:
      if (!BeforeNext(current_step_)) return;
      SetStep(NextStep(current_step_), kNext);
      AfterMove(kNext);
      return;
    case kFinish:
      OnFinish();
      return;
    default:
      return;
  }
}

void WizardFrame::CloseWizard() {
  closed_ = true;
  Unload();
}

void WizardFrame::ShowBrowser(std::string_view address) {
  ui::Form browser("frmShowImage");
  browser.caption = std::string(kHelpCaption);
  browser.width = 9840;  // twips: a page is read without scrolling sideways
  browser.height = 7800;
  browser.Add({.name = "brwWeb",
               .kind = ui::ControlKind::kBrowser,
               .document = std::string(address),
               .width = 9600,
               .height = 6600});
  browser.Add({.name = "cmdClose",
               .kind = ui::ControlKind::kCommandButton,
               .caption = "Close",
               .left = 8280,
               .top = 6720,
               .width = 1200,
               .height = kButtonHeight});
  browser.On("cmdClose", "Click", [&browser](ui::Event&) { browser.Unload(); });
  host_.ShowForm(browser);
}

void WizardFrame::RunConfirmScreen(std::string_view tour_address) {
  if (!settings_.Get(keys::ConfirmScreen).empty()) return;
  ui::Form confirm("frmConfirm");
  confirm.caption = title_;
  confirm.width = 5400;
  confirm.height = 2600;
  confirm.Add({.name = "lblThanks",
               .kind = ui::ControlKind::kLabel,
               .tag = "10000",
               .left = 240,
               .top = 240,
               .width = 4800,
               .height = 255});
  confirm.Add({.name = "lblSaved",
               .kind = ui::ControlKind::kLabel,
               .multiline = true,
               .tag = "10001",
               .left = 240,
               .top = 600,
               .width = 4800,
               .height = 735});
  confirm.Add({.name = "chkDontShow",
               .kind = ui::ControlKind::kCheckBox,
               .tag = "10002",
               .left = 240,
               .top = 1440,
               .width = 4800,
               .height = 255});
  confirm.Add({.name = "cmdOK",
               .kind = ui::ControlKind::kCommandButton,
               .caption = "OK",
               .tag = "10003",
               .left = 3840,
               .top = 1860,
               .width = 1215,
               .height = kButtonHeight});
  ApplyCaptionTable(confirm, captions_);
  confirm.default_button = "cmdOK";
  confirm.On("chkDontShow", "Click", [this, &confirm](ui::Event&) {
    settings_.Set(keys::ConfirmScreen, confirm["chkDontShow"].value == 1 ? "DontShow" : "");
  });
  bool tour = false;
  confirm.On("cmdOK", "Click", [this, &confirm, &tour](ui::Event&) {
    if (settings_.Get(keys::WizardSuppressToolbar) != "True" &&
        settings_.Get(keys::RunFirstTime) == "True") {
      settings_.Set(keys::RunFirstTime, "False");
      tour = host_.MsgBox(kTourQuestion, ui::kYesNo, kTourTitle) == ui::kYes;
    }
    confirm.answer = "OK";
    confirm.Unload();
  });
  host_.ShowForm(confirm);
  if (tour) ShowBrowser(tour_address);
}

void AddWizardNavButtons(ui::Form& form, int width, int top) {
  static constexpr struct {
    const char* caption;
    const char* tag;
  } kButtons[] = {{"&Help", "100"},
                  {"&Cancel", "101"},
                  {"< &Back", "102"},
                  {"&Next >", "103"},
                  {"&Finish", "104"}};
  // Right-aligned in the classic order; Help stands apart at the left.
  int left = width - 4 * (kButtonWidth + kButtonGap);
  for (int index = 0; index < 5; ++index) {
    const int at = index == 0 ? kButtonGap : left + (index - 1) * (kButtonWidth + kButtonGap);
    form.Add({.name = WizardFrame::NavName(index),
              .kind = ui::ControlKind::kCommandButton,
              .caption = kButtons[index].caption,
              .tag = kButtons[index].tag,
              .left = at,
              .top = top,
              .width = kButtonWidth,
              .height = kButtonHeight});
  }
}

}  // namespace vellumo
