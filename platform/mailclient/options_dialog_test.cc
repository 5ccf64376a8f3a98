#include "platform/mailclient/options_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/mem_file_system.h"
#include "platform/ui/script_host.h"
#include "platform/ui/transcript.h"

namespace vellumo::mail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A page with a form, as a component supplies one: a path that is saved on Apply and reloaded
// from its "store" whenever the page gets the focus.
class FakePage final : public ui::Form, public PropertyPage {
 public:
  explicit FakePage(std::string form_name = "PropPage", std::string name = "Vellumo Settings")
      : ui::Form(std::move(form_name)), name_(std::move(name)) {
    Add({.name = "txtPath", .kind = ui::ControlKind::kTextBox});
    Add({.name = "cmdDirpath", .kind = ui::ControlKind::kCommandButton, .caption = "..."});
    On("Form", "EnterFocus", [this](ui::Event&) {
      ++focus_count;
      (*this)["txtPath"].text = stored;
      dirty_ = false;
      Notify();
    });
    On("txtPath", "Change", [this](ui::Event&) {
      dirty_ = true;
      Notify();
    });
  }

  std::string Name() override {
    if (fail_name) throw Error(ErrorCode::kNotSupported, "Name");
    return name_;
  }
  bool Dirty() override { return dirty_; }
  void Apply() override {
    ++apply_count;
    if (fail_apply) throw Error(ErrorCode::kPermissionDenied, "HTM Files Path");
    if (refuse_save) return;  // its own save failed; it stays dirty
    stored = (*this)["txtPath"].text;
    dirty_ = false;
  }
  PageInfo GetPageInfo() override { return {"nothing.hlp", 102}; }
  void SetSite(std::shared_ptr<PropertyPageSite> site) override {
    site_calls.push_back(site != nullptr);
    if (site != nullptr || !keep_site) site_ = std::move(site);
  }
  ui::Form* PageForm() override { return has_form ? this : nullptr; }
  // Reports a change of its dirty state through the site it was given.
  void Notify() {
    if (site_) site_->OnStatusChange();
  }

  std::string stored = "C:\\temp\\";
  int focus_count = 0;
  int apply_count = 0;
  bool fail_apply = false;
  bool refuse_save = false;
  bool fail_name = false;
  bool has_form = true;
  bool keep_site = false;  // ignores SetSite(nullptr), as a careless page might
  std::vector<bool> site_calls;

 private:
  std::string name_;
  bool dirty_ = false;
  std::shared_ptr<PropertyPageSite> site_;
};

class RecordingHost final : public ui::Host {
 public:
  int MsgBox(std::string_view prompt, int, std::string_view title) override {
    boxes.push_back(std::string(title) + ": " + std::string(prompt));
    return ui::kOk;
  }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  void ShowForm(ui::Form& form) override { form.Load(); }
  std::vector<std::string> boxes;
};

class OptionsDialogTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakePage> AddPage(std::string form_name = "PropPage", std::string title = "") {
    auto page = std::make_shared<FakePage>(std::move(form_name));
    pages_.Add(page, title);
    return page;
  }
  bool ApplyEnabled(const OptionsDialog& dialog) const { return dialog["cmdApply"].enabled; }

  RecordingHost host_;
  OptionsPageList pages_;
};

TEST_F(OptionsDialogTest, ApplyIsEnabledExactlyWhileAPageIsDirty) {
  auto page = AddPage();
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  EXPECT_FALSE(ApplyEnabled(dialog));
  EXPECT_EQ(dialog["PropPage.txtPath"].text, "C:\\temp\\") << "the page loaded on focus";

  dialog.CheckUserEvent("PropPage.txtPath", "Change", "D:\\t");
  dialog.Fire("PropPage.txtPath", "Change", "D:\\t");
  EXPECT_TRUE(ApplyEnabled(dialog));
  EXPECT_EQ(page->stored, "C:\\temp\\");

  dialog.Fire("cmdApply", "Click");
  EXPECT_EQ(page->stored, "D:\\t");
  EXPECT_FALSE(ApplyEnabled(dialog));
  EXPECT_TRUE(dialog.loaded()) << "Apply keeps the dialog open";
  EXPECT_THROW(dialog.CheckUserEvent("cmdApply", "Click"), Error) << "nothing left to apply";
  EXPECT_THAT(host_.boxes, IsEmpty());
}

TEST_F(OptionsDialogTest, OkAppliesClosesAndTakesTheSiteBack) {
  auto page = AddPage();
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  dialog.Fire("PropPage.txtPath", "Change", "E:\\tpl");
  dialog.Fire("cmdOK", "Click");
  EXPECT_EQ(page->stored, "E:\\tpl");
  EXPECT_FALSE(dialog.loaded());
  EXPECT_EQ(dialog.answer, "OK");
  EXPECT_FALSE(page->loaded()) << "the page form unloads with the dialog";
  EXPECT_THAT(page->site_calls, ElementsAre(true, false));
}

TEST_F(OptionsDialogTest, OkWithNothingChangedClosesWithoutApplying) {
  auto page = AddPage();
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  dialog.Fire("cmdOK", "Click");
  EXPECT_EQ(page->apply_count, 0);
  EXPECT_EQ(dialog.answer, "OK");
}

TEST_F(OptionsDialogTest, PageThatStaysDirtyKeepsTheDialogOpen) {
  auto page = AddPage();
  page->refuse_save = true;
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  dialog.Fire("PropPage.txtPath", "Change", "");
  dialog.Fire("cmdOK", "Click");
  EXPECT_EQ(page->apply_count, 1);
  EXPECT_TRUE(dialog.loaded());
  EXPECT_TRUE(page->loaded());
  EXPECT_EQ(dialog.answer, "");
  EXPECT_TRUE(ApplyEnabled(dialog));
  // Once the page can save, OK goes through.
  page->refuse_save = false;
  dialog.Fire("PropPage.txtPath", "Change", "C:\\ok");
  dialog.Fire("cmdOK", "Click");
  EXPECT_FALSE(dialog.loaded());
  EXPECT_EQ(page->stored, "C:\\ok");
}

TEST_F(OptionsDialogTest, ApplyErrorIsShownAndOtherPagesStillSave) {
  auto failing = AddPage("PropPage", "Failing");
  auto other = AddPage("OtherPage", "Other");
  failing->fail_apply = true;
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  dialog.Fire("PropPage.txtPath", "Change", "X:\\");
  dialog.Fire("tabPages", "Click", "1");
  dialog.Fire("OtherPage.txtPath", "Change", "Y:\\");
  dialog.Fire("cmdOK", "Click");
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_THAT(host_.boxes[0], HasSubstr("Options: The page \"Failing\" failed to save"));
  EXPECT_THAT(host_.boxes[0], HasSubstr("Permission denied"));
  EXPECT_EQ(other->stored, "Y:\\");
  EXPECT_TRUE(dialog.loaded());
  EXPECT_TRUE(ApplyEnabled(dialog));
}

TEST_F(OptionsDialogTest, CancelAndTheCloseBoxApplyNothing) {
  auto page = AddPage();
  {
    OptionsDialog dialog(host_, pages_);
    dialog.Load();
    dialog.Fire("PropPage.txtPath", "Change", "Z:\\");
    dialog.Fire("cmdCancel", "Click");
    EXPECT_FALSE(dialog.loaded());
    EXPECT_EQ(dialog.answer, "Cancel");
  }
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  dialog.Fire("PropPage.txtPath", "Change", "Z:\\");
  EXPECT_TRUE(dialog.Close());
  EXPECT_EQ(dialog.answer, "Cancel");
  EXPECT_EQ(page->apply_count, 0);
  EXPECT_EQ(page->stored, "C:\\temp\\");
}

TEST_F(OptionsDialogTest, ChoosingATabShowsOnlyItsFrameAndReloadsThatPage) {
  auto first = AddPage("PropPage", "First");
  auto second = AddPage("OtherPage", "");
  auto formless = std::make_shared<FakePage>("Plain", "Formless");
  formless->has_form = false;
  pages_.Add(formless, "");
  OptionsDialog dialog(host_, pages_);
  EXPECT_THAT(dialog.titles(), ElementsAre("First", "Vellumo Settings", "Formless"));
  dialog.Load();
  EXPECT_EQ(dialog.current_page(), 0);
  EXPECT_EQ(first->focus_count, 1);
  EXPECT_EQ(second->focus_count, 0);
  EXPECT_TRUE(second->loaded()) << "every page form is loaded with the dialog";
  EXPECT_FALSE(dialog.IsShown(dialog["OtherPage.txtPath"]));
  EXPECT_THROW(dialog.CheckUserEvent("OtherPage.txtPath", "Change", "x"), Error);

  dialog.Fire("tabPages", "Click", "1");
  EXPECT_EQ(dialog.current_page(), 1);
  EXPECT_EQ(second->focus_count, 1);
  EXPECT_FALSE(dialog["fraPage1"].visible);
  EXPECT_TRUE(dialog["fraPage2"].visible);
  EXPECT_FALSE(dialog["fraPage3"].visible);
  EXPECT_TRUE(dialog.IsReachable(dialog["OtherPage.txtPath"]));
  EXPECT_FALSE(dialog.IsShown(dialog["PropPage.txtPath"]));

  // Choosing the shown tab again does not reload it (that would throw away what was typed).
  dialog.Fire("OtherPage.txtPath", "Change", "typed");
  dialog.Fire("tabPages", "Click", "1");
  EXPECT_EQ(second->focus_count, 1);
  EXPECT_EQ(dialog["OtherPage.txtPath"].text, "typed");

  dialog.Fire("tabPages", "Click", "2");
  EXPECT_TRUE(dialog.IsShown(dialog["lblEmpty3"]));
  EXPECT_THAT(dialog["lblEmpty3"].caption, HasSubstr("\"Formless\" has nothing to show here"));
  EXPECT_FALSE(dialog.IsShown(dialog["OtherPage.txtPath"]));
  // Back on the first tab, that page reloads from its store.
  dialog.Fire("tabPages", "Click", "0");
  EXPECT_EQ(first->focus_count, 2);
}

TEST_F(OptionsDialogTest, TabCaptionsFallBackWhenThePageCannotNameItself) {
  auto page = AddPage();
  page->fail_name = true;
  auto titled = AddPage("Second", "Given");
  titled->fail_name = true;
  OptionsDialog dialog(host_, pages_);
  EXPECT_THAT(dialog.titles(), ElementsAre("Page 1", "Given"));
  EXPECT_EQ(dialog["cmdApply"].caption, "&Apply");
  EXPECT_TRUE(dialog.no_default_button);
}

TEST_F(OptionsDialogTest, PagesWhoseFormsShareANameStillEachGetATab) {
  auto first = AddPage("PropPage", "One");
  auto second = AddPage("PropPage", "Two");
  OptionsDialog dialog(host_, pages_);
  dialog.Load();
  EXPECT_EQ(&dialog["PropPage.txtPath"], &first->operator[]("txtPath"));
  EXPECT_THAT(dialog["lblEmpty2"].caption, HasSubstr("\"Two\" has nothing to show here"));
  EXPECT_THAT(dialog.titles(), ElementsAre("One", "Two"));
}

TEST_F(OptionsDialogTest, SiteKeptByAPageAfterTheDialogIsGoneDoesNothing) {
  auto page = AddPage();
  page->keep_site = true;
  {
    OptionsDialog dialog(host_, pages_);
    dialog.Load();
    dialog.Fire("cmdCancel", "Click");
  }
  page->Notify();  // must not reach the destroyed dialog
  EXPECT_EQ(page->parent(), nullptr) << "a new dialog may embed it again";
  OptionsDialog again(host_, pages_);
  again.Load();
  EXPECT_EQ(page->focus_count, 2);
}

TEST_F(OptionsDialogTest, DialogMayHoldTheLastReferenceToItsPages) {
  auto dialog = [&] {
    OptionsPageList pages;
    pages.Add(std::make_shared<FakePage>(), "");
    pages.Add(std::make_shared<FakePage>("Second"), "");
    return std::make_unique<OptionsDialog>(host_, pages);
  }();
  dialog->Load();
  dialog->Fire("PropPage.txtPath", "Change", "x");
  EXPECT_TRUE(dialog->Find("Second.txtPath") != nullptr);
  dialog->Fire("cmdCancel", "Click");
  dialog.reset();  // the pages go with it, and nothing of theirs is touched afterwards
}

TEST_F(OptionsDialogTest, PageFormHandlerErrorsAreShownNotThrown) {
  auto page = AddPage();
  page->On("Form", "EnterFocus", [](ui::Event&) { throw Error(ErrorCode::kFileNotFound, "x"); });
  OptionsDialog dialog(host_, pages_);
  EXPECT_NO_THROW(dialog.Load());
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_THAT(host_.boxes[0], HasSubstr("failed to show its settings: File not found"));
  EXPECT_TRUE(dialog.loaded());
}

TEST(OptionsDialogScript, ScriptDrivesThePageByQualifiedNames) {
  OptionsPageList pages;
  auto page = std::make_shared<FakePage>();
  pages.Add(page, "");
  MemFileSystem fs;
  ui::Transcript transcript(fs, "/home/user/ui.log");
  ui::ScriptHost host(ui::ScriptAnswers::Parse("frmOptions.PropPage.txtPath.Change C:\\x y\n"
                                               "frmOptions.cmdOK.Click\n",
                                               "answers.txt"),
                      &transcript);
  EXPECT_EQ(RunOptionsDialog(host, pages), "OK");
  EXPECT_EQ(page->stored, "C:\\x y");
  EXPECT_EQ(host.remaining(), 0u);
  const nlohmann::json line = nlohmann::json::parse(fs.ReadFile("/home/user/ui.log"));
  EXPECT_EQ(line["name"], "frmOptions");
  EXPECT_EQ(line["answer"], "OK");
  EXPECT_EQ(line["events"],
            nlohmann::json::parse(R"(["PropPage.txtPath.Change C:\\x y","cmdOK.Click"])"));
  std::vector<std::string> names;
  for (const auto& control : line["controls"]) names.push_back(control["name"]);
  EXPECT_THAT(names, ElementsAre("tabPages", "fraPage1", "PropPage.txtPath", "PropPage.cmdDirpath",
                                 "cmdOK", "cmdCancel", "cmdApply"));
}

TEST(OptionsDialogScript, RunOutOfAnswersIsACancel) {
  OptionsPageList pages;
  auto page = std::make_shared<FakePage>();
  pages.Add(page, "");
  ui::ScriptHost host(
      ui::ScriptAnswers::Parse("frmOptions.PropPage.txtPath.Change C:\\x\n", "answers.txt"));
  EXPECT_EQ(RunOptionsDialog(host, pages), "Cancel");
  EXPECT_EQ(page->apply_count, 0);
}

}  // namespace
}  // namespace vellumo::mail
