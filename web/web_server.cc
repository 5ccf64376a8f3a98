#include "web/web_server.h"

#include <sys/random.h>

#include <httplib.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <random>

#include "base/error.h"
#include "base/text.h"
#include "web/doc_files.h"

namespace vellumo::resources {
extern const std::string_view kWebWindowHtml;
extern const std::string_view kWebWindowCss;
extern const std::string_view kWebWindowJs;
}  // namespace vellumo::resources

namespace vellumo::ui::web {
namespace {

using Json = nlohmann::json;

// The window page may run its own script file and talk to its own server; nothing else, and no
// other page may frame it.
constexpr const char* kWindowPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "frame-src 'self'; connect-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";
// Documents and shipped pages: sandboxed even when opened on their own, so no script in them
// ever runs with the window layer's origin; they load nothing from outside (we stay offline).
constexpr const char* kDocumentPolicy =
    "sandbox; default-src 'none'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
    "font-src 'self' data:; media-src 'self'; frame-ancestors 'self'";

std::string NewToken() {
  std::array<unsigned char, 16> bytes{};
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got <= 0) {
      break;
    }
    filled += static_cast<size_t>(got);
  }
  if (filled < bytes.size()) {
    std::random_device device;
    for (auto& byte : bytes) {
      byte = static_cast<unsigned char>(device());
    }
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char byte : bytes) {
    token += kHex[byte >> 4];
    token += kHex[byte & 0x0F];
  }
  return token;
}

// Equal without an early exit, so the time taken tells nothing about how much of a guess matched.
bool SameSecret(std::string_view given, std::string_view secret) {
  unsigned char diff = given.size() == secret.size() ? 0 : 1;
  for (size_t i = 0; i < secret.size(); ++i) {
    const char c = i < given.size() ? given[i] : '\0';
    diff |= static_cast<unsigned char>(c ^ secret[i]);
  }
  return diff == 0;
}

void SendJson(httplib::Response& response, int status, const std::string& body) {
  response.status = status;
  response.set_content(body, "application/json");
}

void SendError(httplib::Response& response, int status, const std::string& message) {
  SendJson(response, status,
           Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace

std::string EncodeSegment(std::string_view segment) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : segment) {
    if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

WebServer::WebServer(ServerOptions options)
    : options_(std::move(options)), token_(NewToken()), last_heard_(Clock::now()) {
  published_ = Json{{"version", 0}, {"title", ""}, {"stack", Json::array()}}.dump();
}

WebServer::~WebServer() {
  {
    std::lock_guard lock(mu_);
    stopping_ = true;
  }
  state_cv_.notify_all();
  reply_cv_.notify_all();
  if (server_) {
    server_->stop();
  }
  if (listener_.joinable()) {
    listener_.join();
  }
}

void WebServer::Start() {
  auto server = std::make_unique<httplib::Server>();
  // Long polls and waiting events each hold a thread; a browser opens several connections.
  server->new_task_queue = [] { return new httplib::ThreadPool(16); };
  server->set_keep_alive_timeout(2);
  server->set_payload_max_length(1 << 20);
  server->set_default_headers({{"X-Content-Type-Options", "nosniff"},
                               {"Cache-Control", "no-store"},
                               {"Referrer-Policy", "no-referrer"}});
  server->set_pre_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        if (Admit(request)) {
          return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 403;
        response.set_content("Forbidden\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
      });
  auto route = [this](const httplib::Request& request, httplib::Response& response) {
    Route(request, response);
  };
  server->Get(".*", route);
  server->Post(".*", route);
  const int port = server->bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    throw Error("the window layer could not listen on 127.0.0.1");
  }
  server_ = std::move(server);
  port_ = port;
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() before the accept loop runs would be lost and the join would hang.
  for (int waited = 0; !server_->is_running(); ++waited) {
    if (waited == 5000) {
      throw Error("the window layer could not start serving on 127.0.0.1");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  address_ = "http://127.0.0.1:" + std::to_string(port_) + "/" + token_ + "/";
}

bool WebServer::Admit(const httplib::Request& request) {
  // "/TOKEN" followed by "/" or the end; anything else is refused whole.
  std::string_view path = request.path;
  if (path.empty() || path.front() != '/') {
    return false;
  }
  path.remove_prefix(1);
  const size_t slash = path.find('/');
  if (!SameSecret(path.substr(0, slash), token_)) {
    return false;
  }
  // A page of another site that learned the address still cannot reach us through a name it
  // controls (DNS rebinding): only our own host names are answered.
  // Host names compare without case; two Host headers are a request no browser sends, and one
  // that two parties could each read differently.
  if (request.get_header_value_count("Host") != 1) {
    return false;
  }
  const std::string host = request.get_header_value("Host");
  const std::string port = ":" + std::to_string(port_);
  if (!text::EqualsText(host, "127.0.0.1" + port) && !text::EqualsText(host, "localhost" + port)) {
    return false;
  }
  Heard(path.substr(slash == std::string_view::npos ? path.size() : slash) == "/gone");
  return true;
}

void WebServer::Heard(bool beacon) {
  {
    std::lock_guard lock(mu_);
    const auto now = Clock::now();
    if (beacon) {
      if (!gone_since_) {
        gone_since_ = now;
      }
    } else {
      last_heard_ = now;
      heard_ = true;
      gone_since_.reset();
      absent_ = false;
    }
  }
  model_cv_.notify_all();
}

void WebServer::Route(const httplib::Request& request, httplib::Response& response) {
  const std::string rest = request.path.substr(1 + token_.size());
  try {
    if (request.method == "POST") {
      if (rest == "/event") {
        ServeEvent(request, response);
      } else if (rest == "/gone") {
        response.status = 204;
      } else {
        response.status = 404;
      }
      return;
    }
    if (rest == "/" || rest.empty()) {
      response.set_header("Content-Security-Policy", kWindowPolicy);
      response.set_header("X-Frame-Options", "DENY");
      response.set_content(std::string(resources::kWebWindowHtml), "text/html; charset=utf-8");
    } else if (rest == "/assets/window.css") {
      response.set_content(std::string(resources::kWebWindowCss), "text/css; charset=utf-8");
    } else if (rest == "/assets/window.js") {
      response.set_content(std::string(resources::kWebWindowJs), "text/javascript; charset=utf-8");
    } else if (rest == "/state") {
      ServeState(request, response);
    } else if (rest.rfind("/doc/", 0) == 0) {
      ServeDoc(rest.substr(5), response);
    } else if (rest.rfind("/pages/", 0) == 0) {
      ServePage(rest.substr(7), response);
    } else {
      response.status = 404;
    }
  } catch (const std::exception& error) {
    // A web request is a host entry point: whatever went wrong ends here, as a 500.
    SendError(response, 500, error.what());
  }
}

void WebServer::ServeState(const httplib::Request& request, httplib::Response& response) {
  uint64_t since = 0;
  bool has_since = false;
  if (request.has_param("since")) {
    const std::string value = request.get_param_value("since");
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), since);
    has_since = ec == std::errc() && end == value.data() + value.size();
  }
  // A live page asks again well within gone_after, which is how we know it is still there.
  const auto wait = std::clamp<std::chrono::milliseconds>(
      options_.gone_after / 2, std::chrono::milliseconds(10), std::chrono::milliseconds(25000));
  std::unique_lock lock(mu_);
  if (has_since) {
    state_cv_.wait_for(lock, wait, [&] { return stopping_ || version_ != since; });
  }
  if (stopping_) {
    SendError(response, 503, "the program has ended");
    return;
  }
  SendJson(response, 200, published_);
}

void WebServer::ServeEvent(const httplib::Request& request, httplib::Response& response) {
  Json body = Json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) {
    SendError(response, 400, "the event is not a JSON object");
    return;
  }
  std::unique_lock lock(mu_);
  if (!showing_ || stopping_) {
    SendError(response, 409, "nothing is shown");
    return;
  }
  const uint64_t id = ++next_event_;
  queue_.push_back({id, std::move(body)});
  model_cv_.notify_all();
  auto replied = [&] { return stopping_ || replies_.count(id) != 0; };
  if (!reply_cv_.wait_for(lock, options_.busy_after, replied)) {
    auto queued = std::find_if(queue_.begin(), queue_.end(),
                               [&](const Incoming& event) { return event.id == id; });
    if (queued != queue_.end()) {
      queue_.erase(queued);
      SendError(response, 503, "the program is busy; try again");
      return;
    }
    // Taken: the handler runs; its reply follows when it ends or opens another window.
    reply_cv_.wait(lock, replied);
  }
  if (stopping_ && replies_.count(id) == 0) {
    SendError(response, 503, "the program has ended");
    return;
  }
  const Pending reply = replies_[id];
  replies_.erase(id);
  if (reply.status == 200) {
    SendJson(response, 200,
             std::string("{\"done\":") + (reply.done ? "true" : "false") +
                 ",\"state\":" + published_ + "}");
  } else {
    SendError(response, reply.status, reply.message);
  }
}

void WebServer::ServeDoc(const std::string& rest, httplib::Response& response) {
  // FORM/CONTROL/vVERSION/PATH; the version only makes the address change with the document.
  std::vector<std::string> head;
  size_t at = 0;
  while (head.size() < 3) {
    const size_t slash = rest.find('/', at);
    if (slash == std::string::npos) {
      response.status = 404;
      return;
    }
    head.push_back(rest.substr(at, slash - at));
    at = slash + 1;
  }
  if (head[2].empty() || head[2][0] != 'v') {
    response.status = 404;
    return;
  }
  std::string document;
  {
    std::lock_guard lock(mu_);
    // The innermost window wins should two forms of one name be stacked.
    for (auto entry = docs_.rbegin(); entry != docs_.rend(); ++entry) {
      if (entry->form == head[0] && entry->control == head[1]) {
        document = entry->native_path;
        break;
      }
    }
  }
  const std::string path = ResolveDocRequest(document, rest.substr(at), options_.may_serve);
  std::optional<std::string> data;
  if (!path.empty()) {
    data = ReadNativeFile(path);
  }
  if (!data) {
    response.status = 404;
    return;
  }
  response.set_header("Content-Security-Policy", kDocumentPolicy);
  response.set_content(std::move(*data), ContentTypeFor(path));
}

void WebServer::ServePage(const std::string& name, httplib::Response& response) {
  const auto page = options_.pages.find(name);
  if (page == options_.pages.end()) {
    response.status = 404;
    return;
  }
  response.set_header("Content-Security-Policy", kDocumentPolicy);
  response.set_content(page->second.second, page->second.first);
}

void WebServer::Publish(Json stack, std::string title, std::vector<DocEntry> docs) {
  {
    std::lock_guard lock(mu_);
    if (version_ != 0 && stack == last_stack_ && title == last_title_ && docs == docs_) {
      return;
    }
    ++version_;
    published_ = Json{{"version", version_}, {"title", title}, {"stack", stack}}.dump(
        -1, ' ', false, Json::error_handler_t::replace);
    last_stack_ = std::move(stack);
    last_title_ = std::move(title);
    docs_ = std::move(docs);
  }
  state_cv_.notify_all();
}

void WebServer::SetShowing(bool showing) {
  std::lock_guard lock(mu_);
  if (showing && !showing_ && !absent_) {
    last_heard_ = std::max(last_heard_, Clock::now());
  }
  showing_ = showing;
  if (!showing) {
    RefuseQueuedLocked("nothing is shown");
  }
}

void WebServer::RefuseQueuedLocked(const std::string& message) {
  for (const Incoming& event : queue_) {
    replies_[event.id] = {409, message, false};
  }
  queue_.clear();
  reply_cv_.notify_all();
}

bool WebServer::AbsentLocked(Clock::time_point now) {
  // Until a browser has come at all, the user may still be opening the address: never decide
  // for them (an unseen preview would otherwise send the message as its close box does).
  if (!absent_ && showing_ && heard_ &&
      ((gone_since_ && now - *gone_since_ >= options_.close_grace) ||
       now - last_heard_ >= options_.gone_after)) {
    absent_ = true;
    ++absence_;
  }
  return absent_;
}

WebServer::Clock::time_point WebServer::DeadlineLocked(Clock::time_point now) const {
  // Wake at least once a second: a bound on any surprise in the arithmetic above.
  auto deadline = now + std::chrono::seconds(1);
  if (!absent_ && heard_) {
    deadline = std::min(deadline, last_heard_ + options_.gone_after);
    if (gone_since_) {
      deadline = std::min(deadline, *gone_since_ + options_.close_grace);
    }
  }
  return deadline;
}

WebServer::Work WebServer::Next(uint64_t handled_absence) {
  std::unique_lock lock(mu_);
  for (;;) {
    if (!queue_.empty()) {
      Work work;
      work.event = std::move(queue_.front());
      queue_.pop_front();
      return work;
    }
    const auto now = Clock::now();
    if (AbsentLocked(now) && absence_ != handled_absence) {
      return Work{std::nullopt, absence_};
    }
    model_cv_.wait_until(lock, DeadlineLocked(now));
  }
}

void WebServer::Reply(uint64_t id, int status, const std::string& message, bool done) {
  {
    std::lock_guard lock(mu_);
    replies_.emplace(id, Pending{status, message, done});
  }
  reply_cv_.notify_all();
}

}  // namespace vellumo::ui::web
