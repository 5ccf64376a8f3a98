#include "platform/ui/form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"

namespace vellumo::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

Control Make(std::string name, ControlKind kind, std::string container = {}) {
  Control control;
  control.name = std::move(name);
  control.kind = kind;
  control.container = std::move(container);
  return control;
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() : form_("frmBrowser") {
    Control templates = Make("cboTemplates", ControlKind::kComboBox);
    templates.list = {"a.htm", "b.htm", "c.htm"};
    form_.Add(templates);
    form_.Add(Make("lstTips", ControlKind::kListBox)).list = {"one", "two"};
    form_.Add(Make("txtName", ControlKind::kTextBox));
    form_.Add(Make("chkvCard", ControlKind::kCheckBox));
    form_.Add(Make("fraLanguage", ControlKind::kFrame));
    form_.Add(Make("optEnglish", ControlKind::kOptionButton, "fraLanguage"));
    form_.Add(Make("optFrench", ControlKind::kOptionButton, "fraLanguage"));
    form_.Add(Make("optHtml", ControlKind::kOptionButton));
    form_.Add(Make("optText", ControlKind::kOptionButton));
    form_.Add(Make("cmdOK", ControlKind::kCommandButton));
  }

  // Records each handler run, with the state the handler saw.
  void Trace(std::string_view control, std::string_view event) {
    form_.On(control, event, [this, c = std::string(control), e = std::string(event)](Event& ev) {
      trace_.push_back(c + "." + e + "(" + ev.arg + ")");
    });
  }

  Form form_;
  std::vector<std::string> trace_;
};

TEST_F(FormTest, ListClickSelectsEntryBeforeTheHandlerRuns) {
  std::string seen;
  form_.On("cboTemplates", "Click", [&](Event& event) {
    seen = form_["cboTemplates"].text + "@" + std::to_string(form_["cboTemplates"].list_index) +
           " arg " + event.arg;
  });
  form_.Fire("cboTemplates", "Click", "2");
  EXPECT_EQ(seen, "c.htm@2 arg 2");
  form_.Fire("lstTips", "Click", "0");
  EXPECT_EQ(form_["lstTips"].text, "one");
  EXPECT_EQ(form_["lstTips"].list_index, 0);

  // Without an argument the selection stays as it is and only the handler runs.
  seen.clear();
  form_.Fire("cboTemplates", "Click");
  EXPECT_EQ(seen, "c.htm@2 arg ");
}

TEST_F(FormTest, BadListIndexFailsWithoutTouchingStateOrRunningTheHandler) {
  Trace("cboTemplates", "Click");
  form_.Fire("cboTemplates", "Click", "1");
  for (const char* bad : {"3", "-1", "x", "1x", " 1"}) {
    SCOPED_TRACE(bad);
    try {
      form_.Fire("cboTemplates", "Click", bad);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), ErrorCode::kInvalidCall);
      EXPECT_THAT(error.detail(), HasSubstr("frmBrowser.cboTemplates"));
    }
  }
  EXPECT_EQ(form_["cboTemplates"].list_index, 1);
  EXPECT_EQ(form_["cboTemplates"].text, "b.htm");
  EXPECT_THAT(trace_, ElementsAre("cboTemplates.Click(1)"));
}

TEST_F(FormTest, CheckBoxTogglesOrTakesTheGivenValue) {
  Control& box = form_["chkvCard"];
  form_.Fire("chkvCard", "Click");
  EXPECT_EQ(box.value, 1);
  form_.Fire("chkvCard", "Click");
  EXPECT_EQ(box.value, 0);
  form_.Fire("chkvCard", "Click", "1");
  form_.Fire("chkvCard", "Click", "1");
  EXPECT_EQ(box.value, 1);
  form_.Fire("chkvCard", "Click", "0");
  EXPECT_EQ(box.value, 0);
  box.value = 2;  // greyed: a click checks it off
  form_.Fire("chkvCard", "Click");
  EXPECT_EQ(box.value, 0);
  EXPECT_THROW(form_.Fire("chkvCard", "Click", "yes"), Error);
  EXPECT_EQ(box.value, 0);
}

TEST_F(FormTest, OptionButtonClearsOnlyItsOwnGroup) {
  form_.Fire("optHtml", "Click");
  form_.Fire("optEnglish", "Click");
  EXPECT_EQ(form_["optEnglish"].value, 1);
  EXPECT_EQ(form_["optHtml"].value, 1) << "another container is another group";
  form_.Fire("optFrench", "Click");
  EXPECT_EQ(form_["optEnglish"].value, 0);
  EXPECT_EQ(form_["optFrench"].value, 1);
  form_.Fire("optText", "Click");
  EXPECT_EQ(form_["optHtml"].value, 0);
  EXPECT_EQ(form_["optText"].value, 1);
  EXPECT_EQ(form_["optFrench"].value, 1);
}

TEST_F(FormTest, ChangeSetsTextAndComboFollowsAMatchingEntry) {
  form_.Fire("txtName", "Change", "Ann Lee ");
  EXPECT_EQ(form_["txtName"].text, "Ann Lee ");
  form_.Fire("cboTemplates", "Change", "b.htm");
  EXPECT_EQ(form_["cboTemplates"].list_index, 1);
  form_.Fire("cboTemplates", "Change", "B.htm");
  EXPECT_EQ(form_["cboTemplates"].list_index, -1);
  EXPECT_EQ(form_["cboTemplates"].text, "B.htm");
  // A change on a button has no state to change; its handler still runs.
  Trace("cmdOK", "Change");
  form_.Fire("cmdOK", "Change", "x");
  EXPECT_THAT(trace_, ElementsAre("cmdOK.Change(x)"));
}

TEST_F(FormTest, NamesAndEventsIgnoreCase) {
  Trace("cmdOK", "Click");
  form_.Fire("CMDok", "click");
  form_.Fire("cmdOK", "CLICK");
  EXPECT_THAT(trace_, ElementsAre("cmdOK.Click()", "cmdOK.Click()"));
  EXPECT_TRUE(form_.HasHandler("cmdok", "cLiCk"));
  EXPECT_FALSE(form_.HasHandler("cmdOK", "DblClick"));
  EXPECT_EQ(&form_["CHKVCARD"], &form_["chkvCard"]);
}

TEST_F(FormTest, UnknownControlNamesFormAndControl) {
  try {
    form_.Fire("cmdNope", "Click");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kObjectNotSet);
    EXPECT_THAT(error.what(), HasSubstr("frmBrowser"));
    EXPECT_THAT(error.what(), HasSubstr("cmdNope"));
  }
  EXPECT_THROW(form_["cmdNope"], Error);
  EXPECT_EQ(form_.Find("cmdNope"), nullptr);
}

TEST_F(FormTest, DuplicateControlNameIsRefused) {
  EXPECT_THROW(form_.Add(Make("CMDOK", ControlKind::kLabel)), Error);
  EXPECT_EQ(form_.controls().size(), 10u);
}

TEST_F(FormTest, FormLevelEventsRunButLifecycleEventsDoNotGoThroughFire) {
  Trace("Form", "Click");
  form_.Fire("Form", "Click");
  EXPECT_THAT(trace_, ElementsAre("Form.Click()"));
  EXPECT_THROW(form_.Fire("Form", "Unload"), Error);
  EXPECT_THROW(form_.Fire("form", "load"), Error);
}

TEST_F(FormTest, OnChangeFollowsEveryFireEvenWhenTheHandlerFails) {
  int changes = 0;
  form_.on_change = [&] { ++changes; };
  form_.Fire("cmdOK", "Click");
  form_.On("chkvCard", "Click", [](Event&) { throw Error(ErrorCode::kFileNotFound, "x"); });
  EXPECT_THROW(form_.Fire("chkvCard", "Click"), Error);
  EXPECT_EQ(form_["chkvCard"].value, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(form_.Fire("nope", "Click"), Error);
  EXPECT_EQ(changes, 2);
}

TEST_F(FormTest, HandlerMayReplaceItselfWhileRunning) {
  int runs = 0;
  form_.On("cmdOK", "Click", [&](Event&) {
    ++runs;
    form_.On("cmdOK", "Click", [&](Event&) { runs += 10; });
  });
  form_.Fire("cmdOK", "Click");
  form_.Fire("cmdOK", "Click");
  EXPECT_EQ(runs, 11);
}

TEST_F(FormTest, UserEventsReachOnlyShownEnabledControls) {
  EXPECT_NO_THROW(form_.CheckUserEvent("optEnglish", "Click"));
  form_["fraLanguage"].enabled = false;
  EXPECT_THROW(form_.CheckUserEvent("optEnglish", "Click"), Error);
  EXPECT_TRUE(form_.IsShown(form_["optEnglish"]));
  EXPECT_FALSE(form_.IsReachable(form_["optEnglish"]));
  form_["fraLanguage"].enabled = true;
  form_["fraLanguage"].visible = false;
  EXPECT_FALSE(form_.IsShown(form_["optFrench"]));
  EXPECT_THROW(form_.CheckUserEvent("optFrench", "Click"), Error);
  form_["cmdOK"].enabled = false;
  try {
    form_.CheckUserEvent("cmdOK", "Click");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("frmBrowser.cmdOK is disabled"));
  }
  EXPECT_THROW(form_.CheckUserEvent("cboTemplates", "Click", "7"), Error);
  EXPECT_THROW(form_.CheckUserEvent("missing", "Click"), Error);
  EXPECT_THROW(form_.CheckUserEvent("Form", "QueryUnload"), Error);
  EXPECT_NO_THROW(form_.CheckUserEvent("cboTemplates", "Click", "2"));
  EXPECT_EQ(form_["cboTemplates"].list_index, -1) << "a check changes nothing";
}

TEST_F(FormTest, FrameThatHoldsItselfDoesNotHang) {
  form_["fraLanguage"].container = "fraLanguage";
  EXPECT_FALSE(form_.IsShown(form_["optEnglish"]));
}

class FormLifecycleTest : public FormTest {
 protected:
  FormLifecycleTest() {
    Trace("Form", "Load");
    form_.On("Form", "QueryUnload", [this](Event& event) {
      trace_.push_back(std::string("QueryUnload ") +
                       (event.mode == UnloadMode::kCode ? "code" : "closebox"));
      event.cancel = refuse_;
    });
    form_.On("Form", "Unload", [this](Event& event) {
      trace_.push_back(std::string("Unload ") +
                       (event.mode == UnloadMode::kCode ? "code" : "closebox"));
    });
  }
  bool refuse_ = false;
};

TEST_F(FormLifecycleTest, LoadRunsOncePerLoading) {
  form_.Load();
  form_.Load();
  EXPECT_TRUE(form_.loaded());
  ASSERT_TRUE(form_.Unload());
  EXPECT_TRUE(form_.unloaded());
  form_.Load();
  EXPECT_FALSE(form_.unloaded());
  EXPECT_THAT(trace_, ElementsAre("Form.Load()", "QueryUnload code", "Unload code", "Form.Load()"));
}

TEST_F(FormLifecycleTest, CloseBoxCanBeRefused) {
  form_.Load();
  refuse_ = true;
  EXPECT_FALSE(form_.Close());
  EXPECT_TRUE(form_.loaded());
  refuse_ = false;
  EXPECT_TRUE(form_.Close());
  EXPECT_FALSE(form_.loaded());
  EXPECT_EQ(form_.unload_mode(), UnloadMode::kCloseBox);
  EXPECT_THAT(trace_, ElementsAre("Form.Load()", "QueryUnload closebox", "QueryUnload closebox",
                                  "Unload closebox"));
}

TEST_F(FormLifecycleTest, QueryUnloadCancelAlsoStopsUnloadFromCode) {
  form_.Load();
  refuse_ = true;
  EXPECT_FALSE(form_.Unload());
  EXPECT_TRUE(form_.loaded());
  EXPECT_THAT(trace_, ElementsAre("Form.Load()", "QueryUnload code"));
}

TEST_F(FormLifecycleTest, UnloadHandlerCancelKeepsTheFormLoaded) {
  form_.On("Form", "Unload", [](Event& event) { event.cancel = true; });
  form_.Load();
  EXPECT_FALSE(form_.Close());
  EXPECT_TRUE(form_.loaded());
}

TEST_F(FormLifecycleTest, ButtonUnloadingItsFormEndsTheShowing) {
  form_.On("cmdOK", "Click", [this](Event&) { form_.Unload(); });
  form_.Load();
  form_.Fire("cmdOK", "Click");
  EXPECT_FALSE(form_.loaded());
  EXPECT_EQ(form_.unload_mode(), UnloadMode::kCode);
}

TEST_F(FormLifecycleTest, UnloadFromInsideQueryUnloadDoesNotRecurse) {
  int queries = 0;
  form_.On("Form", "QueryUnload", [&](Event&) {
    ++queries;
    EXPECT_FALSE(form_.Unload());
  });
  form_.Load();
  EXPECT_TRUE(form_.Close());
  EXPECT_EQ(queries, 1);
  EXPECT_FALSE(form_.loaded());
}

TEST_F(FormLifecycleTest, FailingQueryUnloadLeavesTheFormLoadedAndUsable) {
  bool fail = true;
  form_.On("Form", "QueryUnload", [&](Event&) {
    if (fail) {
      throw Error(ErrorCode::kTypeMismatch);
    }
  });
  form_.Load();
  EXPECT_THROW(form_.Close(), Error);
  EXPECT_TRUE(form_.loaded());
  fail = false;
  EXPECT_TRUE(form_.Close());
}

TEST_F(FormLifecycleTest, ForceUnloadRunsNoHandlerAndNotLoadedFormsIgnoreUnload) {
  EXPECT_TRUE(form_.Unload());
  EXPECT_TRUE(form_.Close());
  EXPECT_FALSE(form_.unloaded());
  form_.Load();
  refuse_ = true;
  form_.ForceUnload(UnloadMode::kCloseBox);
  EXPECT_FALSE(form_.loaded());
  EXPECT_TRUE(form_.unloaded());
  EXPECT_THAT(trace_, ElementsAre("Form.Load()"));
}

// A design table gives the same controls as the Control literals it replaces: flags map to the
// right members, order is kept, and a repeated name is refused as Add refuses it.
TEST(FormDesign, TableRowsBecomeControlsInOrder) {
  constexpr ControlDesign kDesign[] = {
      {"lblName", ControlKind::kLabel, "Name:", "5001", "", 120, 90, 900, 255},
      {"txtName", ControlKind::kTextBox, "", "", "2002", 1080, 90, 2400, 315,
       kDisabled | kMultiline, "fraPage"},
      {"cmdHidden", ControlKind::kCommandButton, "Go", "", "", 0, 0, 0, 0, kHidden},
  };
  Form form("frmDesigned");
  form.AddControls(kDesign);
  ASSERT_EQ(form.controls().size(), 3u);
  const Control& label = form["lblName"];
  EXPECT_EQ(label.caption, "Name:");
  EXPECT_EQ(label.tag, "5001");
  EXPECT_TRUE(label.visible);
  EXPECT_TRUE(label.enabled);
  EXPECT_EQ(label.left, 120);
  EXPECT_EQ(label.height, 255);
  const Control& text = form["txtName"];
  EXPECT_FALSE(text.enabled);
  EXPECT_TRUE(text.multiline);
  EXPECT_TRUE(text.visible);
  EXPECT_EQ(text.tooltip, "2002");
  EXPECT_EQ(text.container, "fraPage");
  EXPECT_FALSE(form["cmdHidden"].visible);
  EXPECT_TRUE(form["cmdHidden"].enabled);
  EXPECT_EQ(form.controls()[0].name, "lblName");
  EXPECT_THROW(form.AddControls(std::span(kDesign).first(1)), Error);
}

// A dialog with a page embedded in one of its frames, and a page nested inside that page.
class EmbeddedFormTest : public ::testing::Test {
 protected:
  EmbeddedFormTest() : dialog_("frmOptions"), page_("PropPage"), inner_("Inner") {
    dialog_.Add(Make("tabPages", ControlKind::kTabStrip)).list = {"General", "Vellumo"};
    dialog_.Add(Make("fraPage1", ControlKind::kFrame));
    dialog_.Add(Make("fraPage2", ControlKind::kFrame));
    dialog_.Add(Make("optDialog", ControlKind::kOptionButton, "fraPage2"));
    dialog_.Add(Make("cmdOK", ControlKind::kCommandButton));
    page_.Add(Make("txtPath", ControlKind::kTextBox));
    page_.Add(Make("frMode", ControlKind::kFrame));
    page_.Add(Make("optOn", ControlKind::kOptionButton, "frMode"));
    page_.Add(Make("optOff", ControlKind::kOptionButton, "frMode"));
    page_.Add(Make("optTop", ControlKind::kOptionButton));
    page_.Add(Make("fraInner", ControlKind::kFrame, "frMode"));
    inner_.Add(Make("chkDeep", ControlKind::kCheckBox));
    page_.Embed(inner_, "fraInner");
    dialog_.Embed(page_, "fraPage2");
  }

  Form dialog_;
  Form page_;
  Form inner_;
};

TEST_F(EmbeddedFormTest, QualifiedNamesReachChildControlsIgnoringCase) {
  EXPECT_EQ(dialog_.Find("PropPage.txtPath"), &page_["txtPath"]);
  EXPECT_EQ(&dialog_["proppage.TXTPATH"], &page_["txtPath"]);
  EXPECT_EQ(&dialog_["PropPage.Inner.chkDeep"], &inner_["chkDeep"]);
  EXPECT_EQ(dialog_.Find("txtPath"), nullptr) << "a child's control needs its form's name";
  EXPECT_EQ(dialog_.Find("PropPage.nope"), nullptr);
  EXPECT_EQ(dialog_.Find("Other.txtPath"), nullptr);
  EXPECT_EQ(dialog_.Find("PropPage."), nullptr);
  EXPECT_THROW(dialog_["Inner.chkDeep"], Error) << "grandchildren go through their parent";
  EXPECT_EQ(page_.parent(), &dialog_);
  EXPECT_EQ(inner_.parent(), &page_);
}

TEST_F(EmbeddedFormTest, FireRunsTheChildsHandlerUnderItsOwnNamesThenTheParentsOnChange) {
  std::vector<std::string> trace;
  page_.On("txtPath", "Change", [&](Event& event) {
    trace.push_back("page txtPath " + event.arg + " sees " + page_["txtPath"].text);
  });
  page_.On("Form", "EnterFocus", [&](Event&) { trace.push_back("page EnterFocus"); });
  inner_.On("chkDeep", "Click", [&](Event&) { trace.push_back("inner chkDeep"); });
  dialog_.On("txtPath", "Change", [&](Event&) { trace.push_back("dialog handler"); });
  page_.on_change = [&] { trace.push_back("page on_change"); };
  dialog_.on_change = [&] { trace.push_back("dialog on_change"); };

  dialog_.Fire("PropPage.txtPath", "Change", "C:\\x");
  dialog_.Fire("PROPPAGE.Form", "EnterFocus");
  dialog_.Fire("PropPage.Inner.chkDeep", "Click");
  EXPECT_EQ(inner_["chkDeep"].value, 1);
  EXPECT_THAT(trace,
              ElementsAre("page txtPath C:\\x sees C:\\x", "page on_change", "dialog on_change",
                          "page EnterFocus", "page on_change", "dialog on_change", "inner chkDeep",
                          "page on_change", "dialog on_change"));
}

TEST_F(EmbeddedFormTest, FireRefusesUnknownAndLifecycleTargetsBeforeAnythingRuns) {
  int changes = 0;
  dialog_.on_change = [&] { ++changes; };
  try {
    dialog_.Fire("PropPage.txtNope", "Change", "x");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kObjectNotSet);
    EXPECT_THAT(error.what(), HasSubstr("frmOptions has no control PropPage.txtNope"));
  }
  EXPECT_THROW(dialog_.Fire("PropPage.Form", "Load"), Error);
  EXPECT_THROW(dialog_.Fire("PropPage.Form", "Unload"), Error);
  EXPECT_THROW(dialog_.Fire("PropPage.Inner.chkDeep", "Click", "2"), Error);
  EXPECT_EQ(inner_["chkDeep"].value, 0);
  EXPECT_EQ(changes, 0);
  // A handler's failure still has the parent redrawn.
  page_.On("optTop", "Click", [](Event&) { throw Error(ErrorCode::kFileNotFound); });
  EXPECT_THROW(dialog_.Fire("PropPage.optTop", "Click"), Error);
  EXPECT_EQ(changes, 1);
}

TEST_F(EmbeddedFormTest, OptionGroupsStayWithinTheChild) {
  dialog_.Fire("optDialog", "Click");
  dialog_.Fire("PropPage.optTop", "Click");
  EXPECT_EQ(dialog_["optDialog"].value, 1) << "the child's top level is not the frame's group";
  dialog_.Fire("PropPage.optOn", "Click");
  dialog_.Fire("PropPage.optOff", "Click");
  EXPECT_EQ(page_["optOn"].value, 0);
  EXPECT_EQ(page_["optOff"].value, 1);
  EXPECT_EQ(page_["optTop"].value, 1);
}

TEST_F(EmbeddedFormTest, EmbeddingFrameDecidesWhetherChildControlsAreShownAndReachable) {
  const Control& path = page_["txtPath"];
  const Control& deep = inner_["chkDeep"];
  EXPECT_TRUE(dialog_.IsShown(path));
  EXPECT_TRUE(dialog_.IsReachable(deep));
  EXPECT_NO_THROW(dialog_.CheckUserEvent("PropPage.txtPath", "Change", "x"));

  dialog_["fraPage2"].visible = false;
  EXPECT_FALSE(dialog_.IsShown(path));
  EXPECT_FALSE(dialog_.IsShown(deep));
  EXPECT_TRUE(page_.IsShown(path)) << "the page alone does not know its frame";
  try {
    dialog_.CheckUserEvent("PropPage.txtPath", "Change", "x");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("frmOptions.PropPage.txtPath is hidden"));
  }
  dialog_["fraPage2"].visible = true;
  dialog_["fraPage2"].enabled = false;
  EXPECT_TRUE(dialog_.IsShown(path));
  EXPECT_FALSE(dialog_.IsReachable(path));
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Inner.chkDeep", "Click"), Error);
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Form", "EnterFocus"), Error);
  dialog_["fraPage2"].enabled = true;

  // A frame inside the page that holds the nested form counts as well.
  page_["frMode"].enabled = false;
  EXPECT_TRUE(dialog_.IsShown(deep));
  EXPECT_FALSE(dialog_.IsReachable(deep));
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Inner.chkDeep", "Click"), Error);
  page_["frMode"].enabled = true;
  inner_["chkDeep"].visible = false;
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Inner.chkDeep", "Click"), Error);
  inner_["chkDeep"].visible = true;
  EXPECT_NO_THROW(dialog_.CheckUserEvent("PropPage.Inner.chkDeep", "Click", "1"));
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Inner.chkDeep", "Click", "x"), Error);
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.missing", "Click"), Error);
  EXPECT_NO_THROW(dialog_.CheckUserEvent("PropPage.Form", "EnterFocus"));
  EXPECT_THROW(dialog_.CheckUserEvent("PropPage.Form", "Unload"), Error);
}

TEST_F(EmbeddedFormTest, AllControlsListsChildrenRightAfterTheirFrameWithQualifiedContainers) {
  std::vector<std::string> seen;
  for (const ControlRef& ref : dialog_.AllControls()) {
    seen.push_back(ref.name + "@" + ref.container);
    EXPECT_EQ(ref.control, dialog_.Find(ref.name)) << ref.name;
  }
  EXPECT_THAT(seen, ElementsAre("tabPages@", "fraPage1@", "fraPage2@", "PropPage.txtPath@fraPage2",
                                "PropPage.frMode@fraPage2", "PropPage.optOn@PropPage.frMode",
                                "PropPage.optOff@PropPage.frMode", "PropPage.optTop@fraPage2",
                                "PropPage.fraInner@PropPage.frMode",
                                "PropPage.Inner.chkDeep@PropPage.fraInner", "optDialog@fraPage2",
                                "cmdOK@"));
}

TEST_F(EmbeddedFormTest, EmbeddingIsRefusedWhenItWouldBeAmbiguousOrCircular) {
  Form other("PropPage");
  Form second("Second");
  auto code_of = [](auto&& call) {
    try {
      call();
    } catch (const Error& error) {
      return error.code();
    }
    return ErrorCode::kOther;
  };
  EXPECT_EQ(code_of([&] { dialog_.Embed(page_, "fraPage1"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(code_of([&] { dialog_.Embed(other, "fraPage1"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(code_of([&] { inner_.Embed(dialog_, "fraPage1"); }), ErrorCode::kObjectNotSet);
  inner_.Add(Make("fraLoop", ControlKind::kFrame));
  EXPECT_EQ(code_of([&] { inner_.Embed(dialog_, "fraLoop"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(code_of([&] { dialog_.Embed(dialog_, "fraPage1"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(code_of([&] { dialog_.Embed(second, "cmdOK"); }), ErrorCode::kInvalidCall);
  Form dotted("a.b");
  EXPECT_EQ(code_of([&] { dialog_.Embed(dotted, "fraPage1"); }), ErrorCode::kInvalidCall);
  // Two children may share the dialog, even one frame.
  dialog_.Embed(second, "fraPage2");
  second.Add(Make("lblHello", ControlKind::kLabel));
  EXPECT_EQ(dialog_.Find("Second.lblHello"), &second["lblHello"]);
  EXPECT_EQ(dialog_.AllControls().size(), 14u) << "the new frame of Inner counts too";
}

TEST_F(EmbeddedFormTest, DestroyedFormsAreForgottenOnBothSides) {
  {
    Form temporary("Temp");
    temporary.Add(Make("lblGone", ControlKind::kLabel));
    dialog_.Embed(temporary, "fraPage1");
    EXPECT_NE(dialog_.Find("Temp.lblGone"), nullptr);
  }
  EXPECT_EQ(dialog_.Find("Temp.lblGone"), nullptr);
  EXPECT_EQ(dialog_.AllControls().size(), 12u);
  Form page("Page");
  {
    Form holder("Holder");
    holder.Add(Make("fra", ControlKind::kFrame));
    holder.Embed(page, "fra");
  }
  EXPECT_EQ(page.parent(), nullptr);
  dialog_.Embed(page, "fraPage1");  // free to be embedded again
  EXPECT_EQ(page.parent(), &dialog_);
}

TEST(FormTabStrip, ClickSelectsATabLikeAList) {
  Form form("frm");
  form.Add(Make("tabPages", ControlKind::kTabStrip)).list = {"One", "Two"};
  std::string seen;
  form.On("tabPages", "Click", [&](Event&) { seen = form["tabPages"].text; });
  form.Fire("tabPages", "Click", "1");
  EXPECT_EQ(form["tabPages"].list_index, 1);
  EXPECT_EQ(seen, "Two");
  EXPECT_THROW(form.Fire("tabPages", "Click", "2"), Error);
  EXPECT_THROW(form.CheckUserEvent("tabPages", "Click", "-1"), Error);
  EXPECT_EQ(form["tabPages"].list_index, 1);
  EXPECT_EQ(ControlKindName(ControlKind::kTabStrip), "tabstrip");
}

}  // namespace
}  // namespace vellumo::ui
