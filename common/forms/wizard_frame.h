// WizardFrame: the frame both set-up wizards are built on. One window whose steps are frames
// ("fraStep0", "fraStep1", ...; a frame's Tag is the caption-table entry of its title), a row of
// navigation buttons "cmdNav0" Help, "cmdNav1" Cancel, "cmdNav2" Back, "cmdNav3" Next and
// "cmdNav4" Finish (Tags 100 to 104), the introduction-skip and confirmation settings shared by
// both wizards, the help browser window and the closing confirmation screen.
//
// A wizard derives from it, adds its controls (steps and buttons included, through its own design
// table) and overrides the hooks below; the frame owns the moves between steps:
//   SetStep(step)  finish is allowed on the last step and not on the middle ones (step 0 leaves
//                  it as it was); the current step's frame is disabled and moved out of sight,
//                  the new one shown and enabled; the buttons follow (SetNavBtns): Back off on
//                  step 0, Next off on the last step, Finish exactly while finish is allowed;
//                  the window's caption becomes title + " - " + the step's title (SetCaption).
//   Next / Back    to NextStep() / BackStep() of the wizard (BeforeNext may keep it where it is).
//   Cancel, Finish the wizard's OnCancel / OnFinish, which close the window through Close().
//   Help, F1       OnHelp.
// Handlers registered here: "cmdNav0".."cmdNav4" Click and "Form" KeyDown (arg "112" is F1).
//
// The host, registry and caption table must outlive the frame. One thread.
#pragma once

#include <string>
#include <string_view>

#include "common/forms/caption_table.h"
#include "common/settings/settings.h"
#include "platform/ui/form.h"
#include "platform/ui/host.h"

namespace vellumo {

class WizardFrame : public ui::Form {
 public:
  enum Direction { kNone = 0, kBack = 1, kNext = 2 };
  enum NavButton { kHelp = 0, kCancel = 1, kBackButton = 2, kNextButton = 3, kFinish = 4 };
  static constexpr int kF1 = 112;
  // Where a step frame goes when it is not the current one (twips), as designed.
  static constexpr int kOutOfSight = -10000;

  // The confirmation screen's question and the browser window's caption.
  static constexpr std::string_view kTourQuestion =
      "Would you like to take a quick tour of Vellumo?";
  static constexpr std::string_view kTourTitle = "Getting Started";
  static constexpr std::string_view kHelpCaption = "Vellumo Help";

  // name: the window's name; title: its caption before " - step title"; last_step: the index of
  // the finished step.
  WizardFrame(std::string name, std::string title, int last_step, ui::Host& host,
              Registry& registry, const CaptionTable& captions);

  void SetStep(int step, Direction direction);
  void SetNavBtns(int step);
  void SetCaption(int step);
  int current_step() const { return current_step_; }
  bool finish_allowed() const { return finish_allowed_; }

  // The button names.
  static std::string NavName(int index) { return "cmdNav" + std::to_string(index); }
  static std::string StepName(int step) { return "fraStep" + std::to_string(step); }

  // The entry's text from the caption table, "" when it has none.
  std::string Text(int entry) const;

  // The first step by the shared setting: 1 when IntroductionScreen is "ShowIntro", else 0.
  int FirstStep() const;

  // Shows a modal browser window on address (a web address, a file or a shipped page), captioned
  // kHelpCaption, with a Close button.
  void ShowBrowser(std::string_view address);

  // The confirmation screen (frmConfirm) when ConfirmScreen is empty; then the quick-tour offer
  // when the user's toolbar is not suppressed and RunFirstTime is "True" (stored "False" once
  // asked). tour_address: the first tour page.
  void RunConfirmScreen(std::string_view tour_address);

  // Set by OnCancel / OnFinish when the wizard closes for good.
  bool closed() const { return closed_; }

 protected:
  // The step Next goes to from step (after BeforeNext agreed); the step Back goes to.
  virtual int NextStep(int step) { return step + 1; }
  virtual int BackStep(int step) { return step - 1; }
  // Runs before Next moves on; false keeps the wizard on its step.
  virtual bool BeforeNext(int /*step*/) { return true; }
  // After a move by the buttons (the new step is current).
  virtual void AfterMove(Direction /*direction*/) {}
  // Step entered: the wizard puts the focus where typing starts.
  virtual void OnStepEntered(int /*step*/) {}
  virtual void OnCancel() = 0;
  virtual void OnFinish() = 0;
  virtual void OnHelp() = 0;

  // Unloads the window without asking again.
  void CloseWizard();

  ui::Host& host_;
  Settings settings_;
  const CaptionTable& captions_;

 private:
  void cmdNav_Click(int index);

  std::string title_;
  int last_step_;
  int current_step_ = 0;
  bool finish_allowed_ = false;
  bool closed_ = false;
};

// The frame's navigation buttons as a design (caption-table Tags 100 to 104), placed along the
// bottom of a window of the given width (twips) at top.
void AddWizardNavButtons(ui::Form& form, int width, int top);

}  // namespace vellumo
