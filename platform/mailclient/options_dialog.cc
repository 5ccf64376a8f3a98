#include "platform/mailclient/options_dialog.h"

#include <exception>
#include <utility>

#include "base/error.h"

namespace vellumo::mail {
namespace {

constexpr std::string_view kTitle = "Options";
constexpr std::string_view kTabs = "tabPages";

// Twips of the classic dialog; the flow layouts of the renderers only keep the order.
constexpr int kWidth = 7200;
constexpr int kPageTop = 480;
constexpr int kPageHeight = 5400;
constexpr int kButtonTop = kPageTop + kPageHeight + 120;

constexpr ui::ControlDesign kButtons[] = {
    {"cmdOK", ui::ControlKind::kCommandButton, "OK", "", "", 3480, kButtonTop, 1140, 360},
    {"cmdCancel", ui::ControlKind::kCommandButton, "Cancel", "", "", 4740, kButtonTop, 1140, 360},
    {"cmdApply", ui::ControlKind::kCommandButton, "&Apply", "", "", 6000, kButtonTop, 1140, 360,
     ui::kDisabled},
};

std::string Numbered(std::string_view stem, size_t index) {
  return std::string(stem) + std::to_string(index + 1);
}

}  // namespace

// The dialog's side of the page contract. Pages may keep it past the dialog's life; it then
// does nothing.
class OptionsDialog::Site final : public PropertyPageSite {
 public:
  explicit Site(OptionsDialog* dialog) : dialog_(dialog) {}
  void OnStatusChange() override {
    if (dialog_ != nullptr) dialog_->RecomputeApply();
  }
  void Forget() { dialog_ = nullptr; }

 private:
  OptionsDialog* dialog_;
};

OptionsDialog::OptionsDialog(ui::Host& host, const OptionsPageList& pages)
    : ui::Form("frmOptions"), host_(host), site_(std::make_shared<Site>(this)) {
  caption = std::string(kTitle);
  width = kWidth;
  height = kButtonTop + 900;
  no_default_button = true;
  Add({.name = std::string(kTabs),
       .kind = ui::ControlKind::kTabStrip,
       .caption = "Pages",
       .left = 120,
       .top = 120,
       .width = kWidth - 240,
       .height = 360});
  for (size_t i = 0; i < pages.pages().size(); ++i) {
    AddPage(i, pages.pages()[i]);
  }
  AddControls(kButtons);

  On("Form", "Load", [this](ui::Event&) { OnLoad(); });
  On("Form", "Unload", [this](ui::Event&) { OnUnload(); });
  On(kTabs, "Click", [this](ui::Event&) { ShowPage((*this)[kTabs].list_index); });
  On("cmdApply", "Click", [this](ui::Event&) {
    ApplyDirty();
    RecomputeApply();
  });
  On("cmdOK", "Click", [this](ui::Event&) {
    const bool applied = ApplyDirty();
    RecomputeApply();
    if (applied && !AnyDirty()) {
      answer = "OK";
      Unload();
    }
  });
  On("cmdCancel", "Click", [this](ui::Event&) {
    answer = "Cancel";
    Unload();
  });
}

OptionsDialog::~OptionsDialog() { site_->Forget(); }

void OptionsDialog::AddPage(size_t index, const OptionsPageList::Page& entry) {
  Page page{entry.page, entry.title, nullptr, Numbered("fraPage", index)};
  if (page.title.empty()) {
    try {
      page.title = page.page->Name();
    } catch (const std::exception&) {
      // Ignored on purpose: a tab needs some caption, and the page shows its own state below.
      page.title.clear();
    }
    if (page.title.empty()) page.title = Numbered("Page ", index);
  }
  (*this)[kTabs].list.push_back(page.title);
  Add({.name = page.frame,
       .kind = ui::ControlKind::kFrame,
       .visible = index == 0,
       .left = 120,
       .top = kPageTop,
       .width = kWidth - 240,
       .height = kPageHeight});
  std::string empty_reason;
  try {
    page.form = page.page->PageForm();
    if (page.form != nullptr) Embed(*page.form, page.frame);
  } catch (const std::exception& error) {
    // Two pages whose forms share a name, or a form shown elsewhere: the tab says why.
    page.form = nullptr;
    empty_reason = std::string(" (") + error.what() + ")";
  }
  if (page.form == nullptr) {
    Add({.name = Numbered("lblEmpty", index),
         .kind = ui::ControlKind::kLabel,
         .caption = "\"" + page.title + "\" has nothing to show here." + empty_reason,
         .container = page.frame,
         .left = 240,
         .top = kPageTop + 360,
         .width = kWidth - 480,
         .height = 600});
  }
  pages_.push_back(std::move(page));
}

template <class Call>
bool OptionsDialog::Guard(const Page& page, std::string_view what, Call&& call) {
  try {
    call();
    return true;
  } catch (const std::exception& error) {
    // A page normally reports its own errors; what escapes it is shown here, and the dialog
    // stays as it was so nothing is lost.
    host_.MsgBox(
        "The page \"" + page.title + "\" failed to " + std::string(what) + ": " + error.what(),
        ui::kOkOnly | ui::kExclamation, kTitle);
    return false;
  }
}

void OptionsDialog::OnLoad() {
  answer.clear();
  for (Page& page : pages_) {
    Guard(page, "take its place in the dialog", [&] { page.page->SetSite(site_); });
    if (page.form != nullptr) {
      Guard(page, "load", [&] { page.form->Load(); });
    }
  }
  (*this)["cmdApply"].enabled = false;
  current_ = -1;
  ui::Control& tabs = (*this)[kTabs];
  tabs.list_index = -1;
  tabs.text.clear();
  if (!pages_.empty()) {
    tabs.list_index = 0;
    tabs.text = tabs.list.front();
    ShowPage(0);
  }
  RecomputeApply();
}

void OptionsDialog::OnUnload() {
  if (answer.empty()) answer = "Cancel";  // the close box
  for (Page& page : pages_) {
    if (page.form != nullptr) {
      // The dialog goes; a page form refusing to unload cannot keep it.
      const bool unloaded = Guard(page, "close", [&] {
        if (!page.form->Unload()) page.form->ForceUnload(ui::UnloadMode::kCode);
      });
      if (!unloaded) page.form->ForceUnload(ui::UnloadMode::kCode);
    }
    Guard(page, "leave the dialog", [&] { page.page->SetSite(nullptr); });
  }
  current_ = -1;
}

void OptionsDialog::ShowPage(int index) {
  if (index < 0 || static_cast<size_t>(index) >= pages_.size() || index == current_) {
    return;
  }
  for (size_t i = 0; i < pages_.size(); ++i) {
    (*this)[pages_[i].frame].visible = static_cast<int>(i) == index;
  }
  current_ = index;
  EnterFocus(pages_[static_cast<size_t>(index)]);
}

void OptionsDialog::EnterFocus(const Page& page) {
  if (page.form == nullptr || !page.form->loaded()) return;
  Guard(page, "show its settings", [&] { page.form->Fire("Form", "EnterFocus"); });
}

bool OptionsDialog::ApplyDirty() {
  bool all = true;
  for (const Page& page : pages_) {
    bool dirty = true;
    try {
      dirty = page.page->Dirty();
    } catch (const std::exception&) {
      dirty = true;  // not knowing, the page is asked to save
    }
    if (dirty) {
      all = Guard(page, "save its settings", [&] { page.page->Apply(); }) && all;
    }
  }
  return all;
}

bool OptionsDialog::AnyDirty() {
  for (const Page& page : pages_) {
    try {
      if (page.page->Dirty()) return true;
    } catch (const std::exception&) {
      return true;  // unsaved work may exist
    }
  }
  return false;
}

void OptionsDialog::RecomputeApply() { (*this)["cmdApply"].enabled = AnyDirty(); }

std::string RunOptionsDialog(ui::Host& host, const OptionsPageList& pages) {
  OptionsDialog dialog(host, pages);
  host.ShowForm(dialog);
  return dialog.answer.empty() ? "Cancel" : dialog.answer;
}

}  // namespace vellumo::mail
