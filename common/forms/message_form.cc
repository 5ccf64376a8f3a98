#include "common/forms/message_form.h"

#include <string>
#include <utility>

namespace vellumo {
namespace {

constexpr std::string_view kDesignCaption = "Vellumo Option";

// A text given by caption-table entry, or literally when entry is 0.
struct Text {
  int entry = 0;
  std::string_view literal = {};
};

struct Layout {
  std::string_view kind;
  Text message;
  Text title;
  bool yes_no;  // cmdYes and cmdNo instead of cmdOK
  std::string_view yes_caption = {};
  std::string_view no_caption = {};
};

constexpr Layout kLayouts[] = {
    {kMessageAutoNoTemplate, {5018}, {0, "Vellumo Template warning"}, false},
    {kMessageAutoNoSignature, {5018}, {5019}, false},
    {kMessageFormatWarning, {5030}, {5031}, false},
    {kMessageSupportRequest, {5032}, {5033}, true, "Yes. Notify Corvane support.", "No. Continue."},
};

const Layout* LayoutFor(std::string_view kind) {
  for (const Layout& layout : kLayouts) {
    if (layout.kind == kind) {
      return &layout;
    }
  }
  return nullptr;
}

// Sets target to the text; an entry the table lacks leaves target as it is.
void Put(const CaptionTable& table, const Text& text, std::string& target) {
  if (text.entry == 0) {
    target = std::string(text.literal);
  } else if (const std::string* entry = table.Find(text.entry)) {
    target = *entry;
  }
}

}  // namespace

MessageForm::MessageForm(const CaptionTable& table, MessageState& state, TopMost make_topmost)
    : ui::Form("frmMessage"), table_(table), state_(state), make_topmost_(std::move(make_topmost)) {
  caption = std::string(kDesignCaption);
  width = 5400;
  height = 2520;
  Add({.name = "Image1",
       .kind = ui::ControlKind::kImage,
       .left = 240,
       .top = 240,
       .width = 720,
       .height = 720});
  Add({.name = "lblMessage",
       .kind = ui::ControlKind::kLabel,
       .multiline = true,
       .left = 1200,
       .top = 240,
       .width = 3960,
       .height = 1200});
  Add({.name = "cmdYes",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "Yes",
       .visible = false,
       .left = 240,
       .top = 1680,
       .width = 2400,
       .height = 450});
  Add({.name = "cmdNo",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "No",
       .visible = false,
       .left = 2760,
       .top = 1680,
       .width = 2400,
       .height = 450});
  Add({.name = "cmdOK",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "OK",
       .left = 2160,
       .top = 1680,
       .width = 1080,
       .height = 450});
  On("Form", "Load", [this](ui::Event&) { OnLoad(); });
  // Whatever way it closes, the UI log gets the answer the caller will read.
  On("Form", "Unload", [this](ui::Event&) { answer = state_.answer; });
  On("cmdYes", "Click", [this](ui::Event&) { Answer(kAnswerYes); });
  On("cmdNo", "Click", [this](ui::Event&) { Answer(kAnswerNo); });
  On("cmdOK", "Click", [this](ui::Event&) { Unload(); });
}

void MessageForm::OnLoad() {
  // A form shown again starts from its design, whatever the last kind made of it.
  caption = std::string(kDesignCaption);
  (*this)["lblMessage"].caption.clear();
  (*this)["cmdYes"].visible = false;
  (*this)["cmdNo"].visible = false;
  (*this)["cmdOK"].visible = true;
  default_button = "cmdOK";
  answer.clear();

  if (make_topmost_) {
    make_topmost_(*this);
  }
  ApplyCaptionTable(*this, table_);
  const Layout* layout = LayoutFor(state_.kind);
  if (layout == nullptr) {
    return;
  }
  Put(table_, layout->message, (*this)["lblMessage"].caption);
  Put(table_, layout->title, caption);
  (*this)["cmdOK"].visible = !layout->yes_no;
  (*this)["cmdYes"].visible = layout->yes_no;
  (*this)["cmdNo"].visible = layout->yes_no;
  if (layout->yes_no) {
    (*this)["cmdYes"].caption = std::string(layout->yes_caption);
    (*this)["cmdNo"].caption = std::string(layout->no_caption);
    // "Yes" mails the log away: one Enter must not do that.
    default_button = "cmdNo";
  }
}

void MessageForm::Answer(std::string_view given) {
  state_.answer = std::string(given);
  Unload();
}

MessageForm::TopMost TopMostHook(Diagnostics& diagnostics) {
  return [&diagnostics](ui::Form&) { diagnostics.SetTopMostWindow(0, true); };
}

void ShowMessageForm(ui::Host& host, const CaptionTable& table, MessageState& state,
                     const MessageForm::TopMost& make_topmost) {
  MessageForm form(table, state, make_topmost);
  host.ShowForm(form);
}

Diagnostics::Question MessageFormQuestion(ui::Host& host, const CaptionTable& table,
                                          Diagnostics& diagnostics) {
  return [&host, &table, &diagnostics](MessageState& state) {
    ShowMessageForm(host, table, state, TopMostHook(diagnostics));
  };
}

}  // namespace vellumo
