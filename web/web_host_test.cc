#include "web/web_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "web/web_test_support.h"

namespace vellumo::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

// A form with one control of every kind the page draws.
struct EveryKindForm {
  EveryKindForm() : form("frmAll") {
    form.caption = "All &kinds";
    form.Add({.name = "lblName", .kind = ControlKind::kLabel, .caption = "&Name"});
    form.Add({.name = "txtName", .kind = ControlKind::kTextBox, .text = "Ann", .tooltip = "Who"});
    form.Add({.name = "txtNotes", .kind = ControlKind::kTextBox, .multiline = true});
    form.Add({.name = "chkCard", .kind = ControlKind::kCheckBox, .caption = "vCard", .value = 1});
    form.Add({.name = "fraMode", .kind = ControlKind::kFrame, .caption = "Mode"});
    form.Add(
        {.name = "optA", .kind = ControlKind::kOptionButton, .value = 1, .container = "fraMode"});
    form.Add({.name = "optB", .kind = ControlKind::kOptionButton, .container = "fraMode"});
    form.Add({.name = "cboTemplates",
              .kind = ControlKind::kComboBox,
              .list = {"Blue", "Green"},
              .list_index = 1});
    form.Add({.name = "lstFiles", .kind = ControlKind::kListBox, .list = {"a.htm"}});
    form.Add({.name = "prgSend", .kind = ControlKind::kProgressBar, .value = 40, .max = 80});
    form.Add({.name = "imgLogo", .kind = ControlKind::kImage, .document = "/nowhere/logo.png"});
    form.Add({.name = "webHelp", .kind = ControlKind::kBrowser, .document = "vellumo:pages/help"});
    form.Add(
        {.name = "webSite", .kind = ControlKind::kBrowser, .document = "https://example.org/"});
    form.Add(
        {.name = "cmdGo", .kind = ControlKind::kCommandButton, .caption = "&Go", .enabled = false});
    form.Add({.name = "cmdHidden", .kind = ControlKind::kCommandButton, .visible = false});
    form.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"});
    form.On("cmdGo", "Click", [this](Event&) { ++go_clicks; });
    form.On("cmdOK", "Click", [this](Event&) { form.Unload(); });
  }
  Form form;
  int go_clicks = 0;
};

using WebHostTest = WebHostFixture;

TEST_F(WebHostTest, StateDescribesEveryControlKind) {
  EveryKindForm all;
  WebHost& host = Host();
  Browse([](Browser& browser) {
    const Json state = browser.WaitFor([](const Json& s) { return s["stack"].size() == 1; });
    EXPECT_EQ(state["title"], "All &kinds");
    const Json& window = state["stack"][0];
    EXPECT_EQ(window["type"], "form");
    EXPECT_EQ(window["name"], "frmAll");
    EXPECT_EQ(window["controls"].size(), 16u);
    EXPECT_EQ(ControlOf(window, "lblName")["kind"], "label");
    EXPECT_EQ(ControlOf(window, "txtName")["text"], "Ann");
    EXPECT_EQ(ControlOf(window, "txtName")["tooltip"], "Who");
    EXPECT_EQ(ControlOf(window, "txtNotes")["multiline"], true);
    EXPECT_EQ(ControlOf(window, "chkCard")["value"], 1);
    EXPECT_EQ(ControlOf(window, "optB")["container"], "fraMode");
    EXPECT_EQ(ControlOf(window, "cboTemplates")["list"], Json({"Blue", "Green"}));
    EXPECT_EQ(ControlOf(window, "cboTemplates")["list_index"], 1);
    EXPECT_EQ(ControlOf(window, "lstFiles")["kind"], "listbox");
    EXPECT_EQ(ControlOf(window, "prgSend")["max"], 80);
    EXPECT_EQ(ControlOf(window, "imgLogo")["doc"]["kind"], "missing");
    EXPECT_EQ(ControlOf(window, "webHelp")["doc"], Json({{"kind", "page"}, {"src", "pages/help"}}));
    EXPECT_EQ(ControlOf(window, "webSite")["doc"],
              Json({{"kind", "link"}, {"href", "https://example.org/"}}));
    EXPECT_EQ(ControlOf(window, "cmdGo")["reachable"], false);
    EXPECT_EQ(ControlOf(window, "cmdHidden")["shown"], false);
    EXPECT_EQ(ControlOf(window, "cmdOK")["reachable"], true);
    EXPECT_EQ(browser.Send({{"window", window["id"]}, {"close", true}}).first, 200);
  });
  host.ShowForm(all.form);
  EXPECT_FALSE(all.form.loaded());
  EXPECT_EQ(all.form.unload_mode(), UnloadMode::kCloseBox);
}

TEST_F(WebHostTest, EventsRunHandlersAndAnswerWithTheNewState) {
  EveryKindForm all;
  all.form.On("txtName", "Change",
              [&](Event& event) { all.form["lblName"].caption = "Hello " + event.arg; });
  WebHost& host = Host();
  Browse([](Browser& browser) {
    const uint64_t id = browser.Top("form")["id"];
    auto [status, answer] =
        browser.Send({{"window", id}, {"control", "txtName"}, {"event", "Change"}, {"arg", "Bo"}});
    ASSERT_EQ(status, 200);
    EXPECT_EQ(answer["done"], true);
    const Json window = answer["state"]["stack"][0];
    EXPECT_EQ(ControlOf(window, "txtName")["text"], "Bo");
    EXPECT_EQ(ControlOf(window, "lblName")["caption"], "Hello Bo");
    // A list selection is a Click with the entry's index.
    answer =
        browser
            .Send({{"window", id}, {"control", "cboTemplates"}, {"event", "Click"}, {"arg", "0"}})
            .second;
    EXPECT_EQ(ControlOf(answer["state"]["stack"][0], "cboTemplates")["text"], "Blue");
    answer =
        browser.Send({{"window", id}, {"control", "chkCard"}, {"event", "Click"}, {"arg", "0"}})
            .second;
    EXPECT_EQ(ControlOf(answer["state"]["stack"][0], "chkCard")["value"], 0);
    answer = browser.Send({{"window", id}, {"control", "cmdOK"}, {"event", "Click"}}).second;
    EXPECT_EQ(answer["done"], true);
    EXPECT_TRUE(answer["state"]["stack"].empty());
  });
  host.ShowForm(all.form);
  EXPECT_EQ(all.form.unload_mode(), UnloadMode::kCode);
  const std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["kind"], "form");
  EXPECT_EQ(log[0]["name"], "frmAll");
  EXPECT_EQ(log[0]["unload"], "code");
  EXPECT_EQ(log[0]["defaulted"], false);
  EXPECT_EQ(log[0]["events"],
            Json({"txtName.Change Bo", "cboTemplates.Click 0", "chkCard.Click 0", "cmdOK.Click"}));
}

TEST_F(WebHostTest, RefusedEventsChangeNothing) {
  EveryKindForm all;
  WebHost& host = Host();
  Browse([&](Browser& browser) {
    const uint64_t id = browser.Top("form")["id"];
    const uint64_t version = browser.State()["version"];
    auto [status, answer] =
        browser.Send({{"window", id}, {"control", "cmdGo"}, {"event", "Click"}});
    EXPECT_EQ(status, 409);
    EXPECT_THAT(answer["error"].get<std::string>(), HasSubstr("disabled"));
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "cmdHidden"}, {"event", "Click"}}).first,
              409);
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "cmdNone"}, {"event", "Click"}}).first,
              409);
    EXPECT_EQ(
        browser.Send({{"window", id}, {"control", "lstFiles"}, {"event", "Click"}, {"arg", "7"}})
            .first,
        409);
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "Form"}, {"event", "Unload"}}).first, 409);
    EXPECT_EQ(browser.Send({{"window", id + 1}, {"control", "cmdOK"}, {"event", "Click"}}).first,
              409);
    // Where a window that is not the innermost stands is stale news, ignored without a fault.
    const Json where = {{"left", 1}, {"top", 2}, {"width", 300}, {"height", 200}};
    EXPECT_EQ(browser.Send({{"window", id + 1}, {"geometry", where}}).first, 200);
    EXPECT_EQ(browser.Send({{"window", id + 1}, {"geometry", where}, {"close", true}}).first, 409);
    EXPECT_EQ(browser.Send({{"control", "cmdOK"}, {"event", "Click"}}).first, 400);
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "cmdOK"}}).first, 400);
    auto bad = browser.client->Post(browser.Path("event"), "not json", "application/json");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);
    EXPECT_EQ(browser.State()["version"], version);
    browser.Send({{"window", id}, {"control", "cmdOK"}, {"event", "Click"}});
  });
  host.ShowForm(all.form);
  EXPECT_EQ(all.go_clicks, 0);
  EXPECT_EQ(Log()[0]["events"], Json({"cmdOK.Click"}));
}

TEST_F(WebHostTest, EmbeddedFormsAreDrawnAndDrivenByQualifiedNames) {
  Form dialog("frmOptions");
  dialog.no_default_button = true;
  dialog.default_button = "cmdOK";
  dialog.Add({.name = "tabPages",
              .kind = ControlKind::kTabStrip,
              .list = {"One", "Two"},
              .list_index = 0});
  dialog.Add({.name = "fraPage1", .kind = ControlKind::kFrame});
  dialog.Add({.name = "fraPage2", .kind = ControlKind::kFrame, .visible = false});
  dialog.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"});
  dialog.On("cmdOK", "Click", [&](Event&) { dialog.Unload(); });
  dialog.On("tabPages", "Click", [&](Event&) {
    dialog["fraPage1"].visible = dialog["tabPages"].list_index == 0;
    dialog["fraPage2"].visible = dialog["tabPages"].list_index == 1;
  });
  Form one("PropPage");
  one.Add({.name = "frMode", .kind = ControlKind::kFrame, .enabled = false});
  one.Add({.name = "optOn", .kind = ControlKind::kOptionButton, .container = "frMode"});
  one.Add({.name = "txtPath", .kind = ControlKind::kTextBox});
  Form two("Other");
  two.Add({.name = "txtName", .kind = ControlKind::kTextBox});
  dialog.Embed(one, "fraPage1");
  dialog.Embed(two, "fraPage2");
  WebHost& host = Host();
  Browse([](Browser& browser) {
    const Json window = browser.Top("form");
    const uint64_t id = window["id"];
    EXPECT_EQ(window["default"], "") << "no default button, whatever it names";
    EXPECT_EQ(window["no_default"], true);
    EXPECT_EQ(ControlOf(window, "tabPages")["kind"], "tabstrip");
    EXPECT_EQ(ControlOf(window, "tabPages")["embedded"], false);
    const Json path = ControlOf(window, "PropPage.txtPath");
    EXPECT_EQ(path["container"], "fraPage1");
    EXPECT_EQ(path["embedded"], true);
    EXPECT_EQ(path["reachable"], true);
    EXPECT_EQ(ControlOf(window, "PropPage.optOn")["container"], "PropPage.frMode");
    EXPECT_EQ(ControlOf(window, "PropPage.optOn")["shown"], true);
    EXPECT_EQ(ControlOf(window, "PropPage.optOn")["reachable"], false);
    EXPECT_EQ(ControlOf(window, "Other.txtName")["shown"], false);
    EXPECT_EQ(window["controls"][4]["name"], "PropPage.txtPath") << "right after its frame";

    auto [status, answer] = browser.Send(
        {{"window", id}, {"control", "PropPage.txtPath"}, {"event", "Change"}, {"arg", "C:\\t"}});
    EXPECT_EQ(status, 200);
    EXPECT_EQ(ControlOf(answer["state"]["stack"][0], "PropPage.txtPath")["text"], "C:\\t");
    EXPECT_EQ(
        browser
            .Send({{"window", id}, {"control", "Other.txtName"}, {"event", "Change"}, {"arg", "x"}})
            .first,
        409);
    EXPECT_EQ(
        browser.Send({{"window", id}, {"control", "PropPage.optOn"}, {"event", "Click"}}).first,
        409);
    answer =
        browser.Send({{"window", id}, {"control", "tabPages"}, {"event", "Click"}, {"arg", "1"}})
            .second;
    const Json after = answer["state"]["stack"][0];
    EXPECT_EQ(ControlOf(after, "tabPages")["list_index"], 1);
    EXPECT_EQ(ControlOf(after, "Other.txtName")["reachable"], true);
    EXPECT_EQ(ControlOf(after, "PropPage.txtPath")["shown"], false);
    browser.Send({{"window", id}, {"control", "cmdOK"}, {"event", "Click"}});
  });
  host.ShowForm(dialog);
  EXPECT_EQ(one["txtPath"].text, "C:\\t");
  EXPECT_EQ(two["txtName"].text, "");
  EXPECT_EQ(Log()[0]["events"],
            Json({"PropPage.txtPath.Change C:\\t", "tabPages.Click 1", "cmdOK.Click"}));
}

TEST_F(WebHostTest, MessageAndInputBoxesTakeTheBrowsersAnswer) {
  WebHost& host = Host();
  Browse([](Browser& browser) {
    Json box = browser.Top("msgbox");
    EXPECT_EQ(box["prompt"], "Send now?");
    EXPECT_EQ(box["title"], "Vellumo");
    EXPECT_EQ(box["icon"], "question");
    EXPECT_EQ(box["default"], "No");
    EXPECT_EQ(box["buttons"], Json::parse(R"([{"answer":"Yes","caption":"Yes"},
                                              {"answer":"No","caption":"No"}])"));
    EXPECT_EQ(box["closable"], false);
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"answer", "Cancel"}}).first, 409);
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"close", true}}).first, 409);
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"answer", "no"}}).first, 200);

    box = browser.Top("inputbox");
    EXPECT_EQ(box["default_text"], "me@example.org");
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"answer", "OK"}, {"text", "you@x.org"}}).first,
              200);
    box = browser.Top("inputbox");
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"close", true}}).first, 200);
    box = browser.Top("msgbox");
    EXPECT_EQ(box["closable"], true);
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"close", true}}).first, 200);
  });
  EXPECT_EQ(host.MsgBox("Send now?", kYesNo + kQuestion + kDefaultButton2, "Vellumo"), kNo);
  EXPECT_EQ(host.InputBox("Address", "Vellumo", "me@example.org"), "you@x.org");
  EXPECT_EQ(host.InputBox("Address", "Vellumo", "me@example.org"), "");
  EXPECT_EQ(host.MsgBox("Retry?", kRetryCancel, "Vellumo"), kCancel);
  const std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0]["kind"], "msgbox");
  EXPECT_EQ(log[0]["answer"], "No");
  EXPECT_FALSE(log[0].contains("defaulted"));
  EXPECT_EQ(log[1]["answer"], "you@x.org");
  EXPECT_EQ(log[2]["cancelled"], true);
  EXPECT_EQ(log[3]["answer"], "Cancel");
}

TEST_F(WebHostTest, AHandlerAtWorkShowsWhatItChangedBeforeItReturns) {
  Form form("frmWork");
  form.Add({.name = "prgWork", .kind = ControlKind::kProgressBar});
  form.Add({.name = "cmdGo", .kind = ControlKind::kCommandButton, .caption = "Go"});
  WebHost& host = Host();
  std::promise<void> seen;
  std::future<void> seen_future = seen.get_future();
  form.On("cmdGo", "Click", [&](Event&) {
    form["prgWork"].value = 40;
    form.on_change();
    // The page must see 40 while the handler still runs.
    EXPECT_EQ(seen_future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    form.Unload();
  });
  Browse([&](Browser& browser) {
    const uint64_t id = browser.Top("form")["id"];
    std::thread click([&] {
      Browser clicker(address_.get());
      clicker.Send({{"window", id}, {"control", "cmdGo"}, {"event", "Click"}});
    });
    browser.WaitFor([](const Json& state) {
      return state.contains("stack") && !state["stack"].empty() &&
             ControlOf(state["stack"].back(), "prgWork")["value"] == 40;
    });
    seen.set_value();
    click.join();
  });
  host.ShowForm(form);
  EXPECT_FALSE(form.on_change);  // given back as it was
}

TEST_F(WebHostTest, HandlerThatOpensABoxShowsBothAndFinishesAfterTheAnswer) {
  Form form("frmAsk");
  form.caption = "Ask";
  form.Add({.name = "lblAnswer", .kind = ControlKind::kLabel});
  form.Add({.name = "cmdAsk", .kind = ControlKind::kCommandButton, .caption = "Ask"});
  form.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"});
  WebHost& host = Host();
  form.On("cmdAsk", "Click", [&](Event&) {
    form["lblAnswer"].caption = AnswerText(host.MsgBox("Sure?", kOkCancel, "Ask"));
  });
  form.On("cmdOK", "Click", [&](Event&) { form.Unload(); });
  Browse([](Browser& browser) {
    const uint64_t form_id = browser.Top("form")["id"];
    // The click's answer comes when the box opens, so the page can draw it.
    auto [status, answer] =
        browser.Send({{"window", form_id}, {"control", "cmdAsk"}, {"event", "Click"}});
    ASSERT_EQ(status, 200);
    EXPECT_EQ(answer["done"], false);
    const Json& stack = answer["state"]["stack"];
    ASSERT_EQ(stack.size(), 2u);
    EXPECT_EQ(stack[0]["type"], "form");
    EXPECT_EQ(stack[1]["type"], "msgbox");
    EXPECT_EQ(answer["state"]["title"], "Ask");
    // Only the innermost window takes input.
    EXPECT_EQ(browser.Send({{"window", form_id}, {"control", "cmdOK"}, {"event", "Click"}}).first,
              409);
    EXPECT_EQ(browser.Send({{"window", stack[1]["id"]}, {"answer", "OK"}}).first, 200);
    const Json state = browser.WaitFor([](const Json& s) {
      return s["stack"].size() == 1 && ControlOf(s["stack"][0], "lblAnswer")["caption"] == "OK";
    });
    browser.Send({{"window", form_id}, {"control", "cmdOK"}, {"event", "Click"}});
  });
  host.ShowForm(form);
  const std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["kind"], "msgbox");
  EXPECT_EQ(log[1]["kind"], "form");
  EXPECT_EQ(log[1]["events"], Json({"cmdAsk.Click", "cmdOK.Click"}));
}

TEST_F(WebHostTest, HandlerErrorsLeaveShowFormAndTheFormStaysLoaded) {
  Form form("frmFail");
  form.Add({.name = "cmdFail", .kind = ControlKind::kCommandButton});
  form.On("cmdFail", "Click", [](Event&) { throw Error(ErrorCode::kFileNotFound, "a.htm"); });
  WebHost& host = Host();
  Browse([](Browser& browser) {
    auto [status, answer] = browser.Send(
        {{"window", browser.Top("form")["id"]}, {"control", "cmdFail"}, {"event", "Click"}});
    EXPECT_EQ(status, 500);
    EXPECT_THAT(answer["error"].get<std::string>(), HasSubstr("File not found"));
  });
  EXPECT_THROW(host.ShowForm(form), Error);
  EXPECT_TRUE(form.loaded());
}

TEST_F(WebHostTest, ShowingAFormThatIsShownIsAnInvalidCall) {
  Form form("frmTwice");
  form.Add({.name = "cmdAgain", .kind = ControlKind::kCommandButton});
  WebHost& host = Host();
  std::string error;
  form.On("cmdAgain", "Click", [&](Event&) {
    try {
      host.ShowForm(form);
    } catch (const Error& e) {
      error = e.what();
    }
    form.Unload();
  });
  Browse([](Browser& browser) {
    browser.Send(
        {{"window", browser.Top("form")["id"]}, {"control", "cmdAgain"}, {"event", "Click"}});
  });
  host.ShowForm(form);
  EXPECT_THAT(error, HasSubstr("frmTwice is already shown"));
}

TEST_F(WebHostTest, ClosedTabClosesTheFormThroughItsCloseBox) {
  Form form("frmGone");
  std::vector<UnloadMode> unloads;
  form.On("Form", "Unload", [&](Event& event) { unloads.push_back(event.mode); });
  WebHostOptions options = Options();
  options.gone_after = 10s;
  WebHost& host = Host(options);
  Browse([](Browser& browser) {
    browser.Top("form");
    EXPECT_EQ(browser.Beacon(), 204);
  });
  const auto start = std::chrono::steady_clock::now();
  host.ShowForm(form);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_THAT(unloads, ElementsAre(UnloadMode::kCloseBox));
  EXPECT_EQ(Log()[0]["unload"], "closebox");
  EXPECT_EQ(Log()[0]["defaulted"], true);
}

TEST_F(WebHostTest, ReloadWithinTheGraceKeepsTheForm) {
  Form form("frmReload");
  form.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton});
  form.On("cmdOK", "Click", [&](Event&) { form.Unload(); });
  WebHostOptions options = Options();
  options.gone_after = 10s;
  options.close_grace = 300ms;
  WebHost& host = Host(options);
  Browse([](Browser& browser) {
    browser.Top("form");
    browser.Beacon();
    // The reloaded page asks for the page and its state at once.
    ASSERT_TRUE(browser.Get(""));
    const uint64_t id = browser.State()["stack"][0]["id"];
    std::this_thread::sleep_for(900ms);
    ASSERT_EQ(browser.State()["stack"].size(), 1u);
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "cmdOK"}, {"event", "Click"}}).first, 200);
  });
  host.ShowForm(form);
  EXPECT_EQ(form.unload_mode(), UnloadMode::kCode);
  EXPECT_EQ(Log()[0]["defaulted"], false);
}

TEST_F(WebHostTest, FormThatRefusesToCloseWaitsForTheBrowserToComeBack) {
  Form form("frmKeep");
  form.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton});
  int asked = 0;
  form.On("Form", "QueryUnload", [&](Event& event) {
    ++asked;
    event.cancel = event.mode == UnloadMode::kCloseBox;
  });
  form.On("cmdOK", "Click", [&](Event&) { form.Unload(); });
  WebHostOptions options = Options();
  options.gone_after = 10s;
  WebHost& host = Host(options);
  Browse([&](Browser& browser) {
    const uint64_t id = browser.Top("form")["id"];
    browser.Beacon();
    std::this_thread::sleep_for(600ms);  // several graces: it is asked once per absence
    EXPECT_EQ(browser.Send({{"window", id}, {"control", "cmdOK"}, {"event", "Click"}}).first, 200);
  });
  host.ShowForm(form);
  EXPECT_EQ(asked, 2);  // the close box once, then the code
  EXPECT_EQ(form.unload_mode(), UnloadMode::kCode);
}

TEST_F(WebHostTest, ThePageReportsTheWindowsPlaceAndSizeAndItsDefaultButton) {
  Form form("frmPlace");
  form.default_button = "cmdNo";
  form.answer = "No";
  form.Add({.name = "cmdNo", .kind = ControlKind::kCommandButton});
  int resized = 0;
  form.On("Form", "Resize", [&](Event&) { ++resized; });
  WebHost& host = Host();
  Browse([](Browser& browser) {
    const Json window = browser.Top("form");
    EXPECT_EQ(window["default"], "cmdNo");
    const uint64_t id = window["id"];
    const Json place = {{"left", 40}, {"top", -10}, {"width", 800}, {"height", 600}};
    EXPECT_EQ(browser.Send({{"window", id}, {"geometry", place}}).first, 200);
    EXPECT_EQ(browser.Send({{"window", id}, {"geometry", {{"left", 1}}}}).first, 400);
    EXPECT_EQ(browser
                  .Send({{"window", id},
                         {"geometry", {{"left", 1.5}, {"top", 0}, {"width", 1}, {"height", 1}}}})
                  .first,
              400);
    // Closing brings the last place along.
    const Json last = {{"left", 50}, {"top", 60}, {"width", 700}, {"height", 500}};
    EXPECT_EQ(browser.Send({{"window", id}, {"close", true}, {"geometry", last}}).first, 200);
  });
  host.ShowForm(form);
  EXPECT_EQ(form.left, 750);
  EXPECT_EQ(form.top, 900);
  EXPECT_EQ(form.width, 10500);
  EXPECT_EQ(form.height, 7500);
  EXPECT_EQ(resized, 2);
  EXPECT_EQ(form.unload_mode(), UnloadMode::kCloseBox);
  const std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["events"], Json({"Close"})) << "a new place is no choice of the person's";
  EXPECT_EQ(log[0]["answer"], "No");
}

TEST_F(WebHostTest, BoxesLeftByAGoneBrowserAnswerAsEscape) {
  WebHostOptions options = Options();
  options.gone_after = 200ms;
  WebHost& host = Host(options);
  // A browser looks once, then is never heard from again.
  Browse([](Browser& browser) { browser.Top("msgbox"); });
  EXPECT_EQ(host.MsgBox("Stop?", kYesNoCancel, "t"), kCancel);
  // Still gone: the next ones answer at once.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(host.MsgBox("Done", kOkOnly, "t"), kOk);
  EXPECT_EQ(host.MsgBox("Go on?", kYesNo + kDefaultButton2, "t"), kNo);
  // A question nobody answered is not a "Yes", whatever its default button.
  EXPECT_EQ(host.MsgBox("Mail the log?", kYesNo, "t"), kNo);
  EXPECT_EQ(host.MsgBox("Stop?", kAbortRetryIgnore, "t"), kAbort);
  EXPECT_EQ(host.InputBox("Name", "t", "x"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);  // waiting would take 600
  const std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 6u);
  for (const Json& line : log) {
    EXPECT_EQ(line["defaulted"], true) << line.dump();
  }
  EXPECT_EQ(log[0]["answer"], "Cancel");
  EXPECT_EQ(log[5]["cancelled"], true);
}

TEST_F(WebHostTest, NoBrowserYetIsNotAGoneBrowser) {
  WebHostOptions options = Options();
  options.gone_after = 100ms;
  WebHost& host = Host(options);
  // The user opens the address only after several gone_after periods; the box waits for them.
  Browse([](Browser& browser) {
    std::this_thread::sleep_for(1500ms);  // longer than the server's once-a-second wake-up
    const Json box = browser.Top("msgbox");
    ASSERT_TRUE(box.contains("id")) << "the box was no longer shown";
    EXPECT_EQ(browser.Send({{"window", box["id"]}, {"answer", "Yes"}}).first, 200);
  });
  EXPECT_EQ(host.MsgBox("Send it?", kYesNo, "t"), kYes);
}

TEST_F(WebHostTest, DestroyingTheHostEndsWaitingRequests) {
  std::atomic<int> status{0};
  {
    WebHost& host = Host();
    Browse([&](Browser& browser) {
      const Json box = browser.Top("msgbox");
      browser.Send({{"window", box["id"]}, {"answer", "OK"}});
      // A long poll that waits for a change that never comes: the host goes first.
      const uint64_t version =
          browser.WaitFor([](const Json& s) { return s["stack"].empty(); })["version"];
      auto result = browser.Get("state?since=" + std::to_string(version));
      status = result ? result->status : -1;
    });
    host.MsgBox("Hi", kOkOnly, "");
    std::this_thread::sleep_for(100ms);
    const auto start = std::chrono::steady_clock::now();
    host_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  }
  browser_thread_.join();
  EXPECT_THAT(status.load(), ::testing::AnyOf(503, -1));
}

}  // namespace
}  // namespace vellumo::ui::testing
