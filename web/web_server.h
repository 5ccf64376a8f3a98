// WebServer: the HTTP side of WebHost. One cpp-httplib server on 127.0.0.1, a random token as the
// first segment of every address, and the hand-over between the HTTP threads and the one thread
// that owns the forms (the model thread, the caller of WebHost).
//
// HTTP threads never touch a Form. They read the snapshot the model thread published last, queue
// events for it and wait for its reply, and note when a browser was last heard from. The model
// thread publishes snapshots, takes queued events (Next), and replies to each (Reply). Every
// member below marked "model thread" must only be called from that thread; the rest is internal.
// Internal to web/.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace vellumo::ui::web {

// A document the server may hand out for a control of a shown form: the file the control's
// document names now, resolved to a native path by the model thread.
struct DocEntry {
  std::string form;
  std::string control;
  std::string native_path;
  bool operator==(const DocEntry&) const = default;
};

// An event the page sent: its JSON body (an object) and the id its reply is waited for under.
struct Incoming {
  uint64_t id = 0;
  nlohmann::json body;
};

struct ServerOptions {
  std::function<bool(const std::string& native_path)> may_serve;
  std::map<std::string, std::pair<std::string, std::string>> pages;
  std::chrono::milliseconds gone_after{20000};
  std::chrono::milliseconds close_grace{3000};
  // How long a queued event may wait for the model thread to take it before the page is told
  // that the program is busy (503).
  std::chrono::milliseconds busy_after{30000};
};

class WebServer {
 public:
  explicit WebServer(ServerOptions options);
  // Stops the server: wakes every waiting request (503) and joins every thread.
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds 127.0.0.1 on a port the system picks and serves from a thread of its own. Throws
  // Error when no port can be bound.
  void Start();
  // "http://127.0.0.1:PORT/TOKEN/"; "" before Start.
  const std::string& address() const { return address_; }
  const std::string& token() const { return token_; }
  int port() const { return port_; }

  // Model thread. Publishes what is shown; the version goes up when anything differs from the
  // last publication, and waiting long polls return.
  void Publish(nlohmann::json stack, std::string title, std::vector<DocEntry> docs);
  // Model thread. Whether anything is shown. Events arriving while nothing is shown are refused
  // (409), and queued ones too when the last window goes. When something is shown again, the
  // browser gets a fresh gone_after to show up unless it is already known to be gone.
  void SetShowing(bool showing);

  // What the model thread is woken for: an event, or (event empty) the browser being gone, in
  // absence number `absence` (counting up each time a present browser goes).
  struct Work {
    std::optional<Incoming> event;
    uint64_t absence = 0;
  };
  // Model thread. Blocks until an event is queued, or the browser is gone in an absence other
  // than handled_absence (so each window acts once per absence).
  Work Next(uint64_t handled_absence);
  // Model thread. Answers the event `id`: status 200 with the published state ({"done":done,
  // "state":…}), or an error status with {"error":message}. Later replies to one id are ignored.
  void Reply(uint64_t id, int status, const std::string& message, bool done);

 private:
  using Clock = std::chrono::steady_clock;

  void Route(const httplib::Request& request, httplib::Response& response);
  bool Admit(const httplib::Request& request);
  void Heard(bool beacon);
  void ServeState(const httplib::Request& request, httplib::Response& response);
  void ServeEvent(const httplib::Request& request, httplib::Response& response);
  void ServeDoc(const std::string& rest, httplib::Response& response);
  void ServePage(const std::string& name, httplib::Response& response);
  // REQUIRES: mu_ held.
  bool AbsentLocked(Clock::time_point now);
  Clock::time_point DeadlineLocked(Clock::time_point now) const;
  void RefuseQueuedLocked(const std::string& message);

  ServerOptions options_;
  std::string token_;
  std::string address_;
  int port_ = 0;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;

  struct Pending {
    int status = 0;
    std::string message;
    bool done = false;
  };

  mutable std::mutex mu_;
  std::condition_variable model_cv_;  // events queued, the browser heard from
  std::condition_variable state_cv_;  // a new version published, stopping
  std::condition_variable reply_cv_;  // a reply given, stopping
  bool stopping_ = false;
  uint64_t version_ = 0;
  std::string published_;  // the state JSON the page gets
  nlohmann::json last_stack_;
  std::string last_title_;
  std::vector<DocEntry> docs_;
  bool showing_ = false;
  std::deque<Incoming> queue_;
  uint64_t next_event_ = 0;
  std::map<uint64_t, Pending> replies_;
  Clock::time_point last_heard_;
  bool heard_ = false;  // a browser has asked for anything at all
  std::optional<Clock::time_point> gone_since_;
  bool absent_ = false;
  uint64_t absence_ = 0;
};

// "%XX"-escapes everything but letters, digits and "-._~", for one segment of an address.
std::string EncodeSegment(std::string_view segment);

}  // namespace vellumo::ui::web
