// The HTTP surface of the web window layer: who gets in, what is served, what never is.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "posix/posix_file_system.h"
#include "web/web_host.h"
#include "web/web_test_support.h"

namespace vellumo::ui::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using WebServerTest = WebHostFixture;

// Answers the message box that keeps the host serving, once the checks are done.
void AnswerBox(Browser& browser) {
  browser.Send({{"window", browser.Top("msgbox")["id"]}, {"answer", "OK"}});
}

TEST_F(WebServerTest, EveryAddressWithoutTheTokenIsForbidden) {
  WebHost& host = Host();
  Browse([](Browser& browser) {
    std::string wrong = browser.token;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    const std::vector<std::string> rests = {
        "", "state", "event", "gone", "doc/f/c/v1/a.htm", "pages/help", "assets/window.js"};
    for (const std::string& prefix : {std::string(""), "/" + wrong, "/" + browser.token + "x",
                                      "/" + browser.token.substr(0, 31)}) {
      for (const std::string& rest : rests) {
        const std::string path = prefix + "/" + rest;
        auto got = browser.client->Get(path);
        ASSERT_TRUE(got) << path;
        EXPECT_EQ(got->status, 403) << path;
        EXPECT_EQ(got->body, "Forbidden\n") << path;
        auto posted = browser.client->Post(path, "{}", "application/json");
        ASSERT_TRUE(posted) << path;
        EXPECT_EQ(posted->status, 403) << path;
      }
    }
    // The right token through a name we do not own (DNS rebinding) is refused too.
    auto rebound = browser.client->Get(browser.Path(""), {{"Host", "evil.example:80"}});
    ASSERT_TRUE(rebound);
    EXPECT_EQ(rebound->status, 403);
    // Our own names in any case are ours; a second Host header is refused whatever it says.
    const std::string port = ":" + std::to_string(browser.port);
    for (const std::string& name : {"LOCALHOST" + port, "LocalHost" + port, "127.0.0.1" + port}) {
      auto ours = browser.client->Get(browser.Path(""), {{"Host", name}});
      ASSERT_TRUE(ours);
      EXPECT_EQ(ours->status, 200) << name;
    }
    auto doubled = browser.client->Get(browser.Path(""),
                                       {{"Host", "127.0.0.1" + port}, {"Host", "evil.example:80"}});
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->status, 403);
    auto same_twice = browser.client->Get(
        browser.Path(""), {{"Host", "127.0.0.1" + port}, {"Host", "127.0.0.1" + port}});
    ASSERT_TRUE(same_twice);
    EXPECT_EQ(same_twice->status, 403);
    AnswerBox(browser);
  });
  EXPECT_EQ(host.MsgBox("Hi", kOkOnly, ""), kOk);
}

TEST_F(WebServerTest, ThePageIsLockedDown) {
  std::string announced;
  WebHostOptions options = Options();
  options.on_ready = [&](const std::string& address) {
    announced = address;
    ready_.set_value(address);
  };
  WebHost& host = Host(options);
  EXPECT_EQ(host.address(), "");
  Browse([](Browser& browser) {
    auto page = browser.Get("");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(page->get_header_value("Cache-Control"), "no-store");
    const std::string policy = page->get_header_value("Content-Security-Policy");
    EXPECT_THAT(policy, HasSubstr("frame-ancestors 'none'"));
    EXPECT_THAT(policy, HasSubstr("script-src 'self'"));
    EXPECT_THAT(policy, Not(HasSubstr("unsafe-inline")));
    // Documents are framed with a sandbox that lets no script run and gives them no origin.
    const std::string& html = page->body;
    const size_t frame = html.find("<iframe");
    ASSERT_NE(frame, std::string::npos);
    const std::string tag = html.substr(frame, html.find('>', frame) - frame);
    EXPECT_THAT(tag, HasSubstr("sandbox=\""));
    EXPECT_THAT(tag, Not(HasSubstr("allow-scripts")));
    EXPECT_THAT(tag, Not(HasSubstr("allow-same-origin")));
    EXPECT_THAT(html, Not(HasSubstr("<script>")));  // no inline script
    for (const char* asset : {"assets/window.js", "assets/window.css"}) {
      auto got = browser.Get(asset);
      ASSERT_TRUE(got);
      EXPECT_EQ(got->status, 200);
      EXPECT_FALSE(got->body.empty());
      EXPECT_EQ(got->get_header_value("X-Content-Type-Options"), "nosniff");
    }
    auto missing = browser.Get("assets/other.js");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    AnswerBox(browser);
  });
  host.MsgBox("Hi", kOkOnly, "");
  EXPECT_EQ(announced, host.address());
  EXPECT_THAT(announced, ::testing::MatchesRegex("http://127\\.0\\.0\\.1:[0-9]+/[0-9a-f]{32}/"));
}

// The listening socket of port in /proc/net/tcp: its local address in hex ("0100007F:1F90").
std::string ListeningAddress(int port) {
  std::ifstream tcp("/proc/net/tcp");
  std::string line;
  char wanted[8];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  while (std::getline(tcp, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (local.size() > 5 && local.substr(local.size() - 5) == wanted && state == "0A") {
      return local;
    }
  }
  return "";
}

TEST_F(WebServerTest, ListensOnLoopbackOnly) {
  WebHost& host = Host();
  Browse([](Browser& browser) {
    const std::string local = ListeningAddress(browser.port);
    EXPECT_EQ(local.substr(0, local.find(':')), "0100007F");  // 127.0.0.1, not 0.0.0.0
    AnswerBox(browser);
  });
  host.MsgBox("Hi", kOkOnly, "");
}

TEST_F(WebServerTest, ShippedPagesAreServedSandboxed) {
  WebHostOptions options = Options();
  options.pages["help"] = {"text/html; charset=utf-8", "<p>Help</p>"};
  WebHost& host = Host(options);
  Browse([](Browser& browser) {
    auto page = browser.Get("pages/help");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<p>Help</p>");
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_THAT(page->get_header_value("Content-Security-Policy"), HasSubstr("sandbox"));
    auto missing = browser.Get("pages/other");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    AnswerBox(browser);
  });
  host.MsgBox("Hi", kOkOnly, "");
}

// A real folder: the document with a picture beside it, a secret beside the folder, a link out.
class DocumentTest : public WebHostFixture {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) / ("web_docs_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "docs" / "images");
    fs::create_directories(root_ / "docs" / "refused");
    Write(root_ / "docs" / "preview.htm", "<img src=\"images/a.png\">");
    Write(root_ / "docs" / "other.htm", "other");
    Write(root_ / "docs" / "images" / "a.png", "PNG");
    Write(root_ / "docs" / "refused" / "b.png", "no");
    Write(root_ / "secret.txt", "secret");
    fs::create_symlink(root_ / "secret.txt", root_ / "docs" / "link.txt");
    root_ = fs::canonical(root_);
  }
  void TearDown() override {
    WebHostFixture::TearDown();
    fs::remove_all(root_);
  }
  static void Write(const fs::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }
  WebHostOptions DocOptions() {
    WebHostOptions options = Options();
    options.may_serve = [root = root_.string()](const std::string& path) {
      return path.rfind(root + "/", 0) == 0 && path.find("/refused/") == std::string::npos;
    };
    return options;
  }
  fs::path root_;
};

TEST_F(DocumentTest, ServesTheDocumentAndWhatLiesBelowItsFolderOnly) {
  PosixFileSystem disk(root_.string());
  host_ = std::make_unique<WebHost>(disk, DocOptions());
  Form form("frmPreview");
  form.Add({.name = "webPreview",
            .kind = ControlKind::kBrowser,
            .document = (root_ / "docs" / "preview.htm").string()});
  form.Add({.name = "cmdNext", .kind = ControlKind::kCommandButton});
  form.Add({.name = "cmdTouch", .kind = ControlKind::kCommandButton});
  form.On("cmdNext", "Click",
          [&](Event&) { form["webPreview"].document = (root_ / "docs" / "other.htm").string(); });
  form.On("cmdTouch", "Click", [&](Event&) {
    fs::last_write_time(root_ / "docs" / "other.htm",
                        fs::last_write_time(root_ / "docs" / "other.htm") + 1h);
  });
  Browse([](Browser& browser) {
    const Json window = browser.Top("form");
    const Json doc = ControlOf(window, "webPreview")["doc"];
    ASSERT_EQ(doc["kind"], "file");
    const std::string src = doc["src"];
    EXPECT_THAT(src, ::testing::MatchesRegex("doc/frmPreview/webPreview/v[0-9a-f]+/preview\\.htm"));
    auto got = browser.Get(src);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 200);
    EXPECT_EQ(got->body, "<img src=\"images/a.png\">");
    EXPECT_EQ(got->get_header_value("Content-Type"), "text/html");
    EXPECT_THAT(got->get_header_value("Content-Security-Policy"), HasSubstr("sandbox"));
    const std::string folder = src.substr(0, src.rfind('/') + 1);
    got = browser.Get(folder + "images/a.png");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 200);
    EXPECT_EQ(got->body, "PNG");
    EXPECT_EQ(got->get_header_value("Content-Type"), "image/png");
    for (const std::string rest :
         {"../secret.txt", "%2e%2e/secret.txt", "images/../../secret.txt", "link.txt",
          "refused/b.png", "images", "missing.png", "/etc/passwd", "%2fetc%2fpasswd"}) {
      got = browser.Get(folder + rest);
      ASSERT_TRUE(got) << rest;
      EXPECT_EQ(got->status, 404) << rest;
      EXPECT_THAT(got->body, Not(HasSubstr("secret"))) << rest;
    }
    // Only the control's current document is looked up, never a path the address names.
    got = browser.Get("doc/frmPreview/cmdNext/v1/preview.htm");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 404);
    got = browser.Get("doc/frmOther/webPreview/v1/preview.htm");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 404);

    // Another document, then the same one modified: each time a new address, so the frame
    // reloads.
    const uint64_t id = window["id"];
    Json answer = browser.Send({{"window", id}, {"control", "cmdNext"}, {"event", "Click"}}).second;
    const std::string next = ControlOf(answer["state"]["stack"][0], "webPreview")["doc"]["src"];
    EXPECT_THAT(next, HasSubstr("/other.htm"));
    EXPECT_NE(next.substr(0, next.rfind('/')), folder.substr(0, folder.size() - 1));
    got = browser.Get(next);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->body, "other");
    answer = browser.Send({{"window", id}, {"control", "cmdTouch"}, {"event", "Click"}}).second;
    const std::string touched = ControlOf(answer["state"]["stack"][0], "webPreview")["doc"]["src"];
    EXPECT_NE(touched, next);
    EXPECT_EQ(browser.Send({{"window", id}, {"close", true}}).first, 200);
  });
  host_->ShowForm(form);
}

TEST_F(DocumentTest, NothingIsServedWithoutMayServe) {
  PosixFileSystem disk(root_.string());
  WebHostOptions options = Options();
  host_ = std::make_unique<WebHost>(disk, options);
  Form form("frmPreview");
  form.Add({.name = "webPreview",
            .kind = ControlKind::kBrowser,
            .document = (root_ / "docs" / "preview.htm").string()});
  Browse([](Browser& browser) {
    const Json window = browser.Top("form");
    auto got = browser.Get(ControlOf(window, "webPreview")["doc"]["src"]);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 404);
    browser.Send({{"window", window["id"]}, {"close", true}});
  });
  host_->ShowForm(form);
}

}  // namespace
}  // namespace vellumo::ui::testing
