// Test support for the web window layer: a host on the test thread, a browser stand-in on a thread
// of its own that talks HTTP to it.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/mem_file_system.h"
#include "platform/ui/transcript.h"
#include "web/web_host.h"

namespace vellumo::ui::testing {

using Json = nlohmann::json;

// What a browser does: plain HTTP against the host's address.
class Browser {
 public:
  explicit Browser(const std::string& address) {
    // http://127.0.0.1:PORT/TOKEN/
    const size_t colon = address.rfind(':');
    const size_t slash = address.find('/', colon);
    port = std::stoi(address.substr(colon + 1, slash - colon - 1));
    token = address.substr(slash + 1, address.size() - slash - 2);
    client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_read_timeout(std::chrono::seconds(5));
    client->set_connection_timeout(std::chrono::seconds(2));
  }

  std::string Path(const std::string& rest) const { return "/" + token + "/" + rest; }

  httplib::Result Get(const std::string& rest) { return client->Get(Path(rest)); }

  // The state now, or after version since when given.
  Json State(std::optional<uint64_t> since = std::nullopt) {
    auto result = Get(since ? "state?since=" + std::to_string(*since) : "state");
    if (!result || result->status != 200) {
      ADD_FAILURE() << "state request failed";
      return Json::object();
    }
    return Json::parse(result->body);
  }

  // The first state that satisfies test; fails the test after two seconds.
  Json WaitFor(const std::function<bool(const Json&)>& test) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    Json state = State();
    while (!test(state)) {
      if (std::chrono::steady_clock::now() > until) {
        ADD_FAILURE() << "state never came: " << state.dump();
        return state;
      }
      state = State(state.value("version", uint64_t{0}));
    }
    return state;
  }

  // The innermost window once its type is `type`.
  Json Top(const std::string& type) {
    Json state = WaitFor([&](const Json& s) {
      return s.contains("stack") && !s["stack"].empty() && s["stack"].back()["type"] == type;
    });
    return state["stack"].empty() ? Json::object() : state["stack"].back();
  }

  // POST /event: the status and the JSON answer.
  std::pair<int, Json> Send(const Json& body) {
    auto result = client->Post(Path("event"), body.dump(), "application/json");
    if (!result) {
      ADD_FAILURE() << "event request failed";
      return {0, Json()};
    }
    Json answer = Json::parse(result->body, nullptr, false);
    return {result->status, answer};
  }

  int Beacon() {
    auto result = client->Post(Path("gone"), "", "text/plain");
    return result ? result->status : 0;
  }

  int port = 0;
  std::string token;
  std::unique_ptr<httplib::Client> client;
};

// The control of a form window in a state's stack, by name.
inline Json ControlOf(const Json& window, const std::string& name) {
  for (const auto& control : window["controls"]) {
    if (control["name"] == name) {
      return control;
    }
  }
  ADD_FAILURE() << "no control " << name;
  return Json::object();
}

class WebHostFixture : public ::testing::Test {
 protected:
  WebHostOptions Options() {
    WebHostOptions options;
    options.transcript = &transcript_;
    options.on_ready = [this](const std::string& address) { ready_.set_value(address); };
    options.gone_after = std::chrono::milliseconds(4000);
    options.close_grace = std::chrono::milliseconds(150);
    return options;
  }
  WebHost& Host(WebHostOptions options) {
    host_ = std::make_unique<WebHost>(fs_, std::move(options));
    return *host_;
  }
  WebHost& Host() { return Host(Options()); }

  // Runs script as the browser, on its own thread, once the host listens.
  void Browse(std::function<void(Browser&)> script) {
    browser_thread_ = std::thread([this, script = std::move(script)] {
      Browser browser(address_.get());
      script(browser);
    });
  }
  void TearDown() override {
    if (browser_thread_.joinable()) {
      browser_thread_.join();
    }
  }
  std::vector<Json> Log() {
    std::vector<Json> lines;
    for (const auto& append : transcript_fs_.appends()) {
      lines.push_back(Json::parse(append.data));
    }
    return lines;
  }

  MemFileSystem fs_;
  MemFileSystem transcript_fs_;
  Transcript transcript_{transcript_fs_, "/home/user/ui.jsonl"};
  std::promise<std::string> ready_;
  std::shared_future<std::string> address_ = ready_.get_future().share();
  std::unique_ptr<WebHost> host_;
  std::thread browser_thread_;
};

}  // namespace vellumo::ui::testing
