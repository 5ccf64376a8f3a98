// Event: the mail client's events (item send, options pages, explorer close, button click).
//
// Handlers are connected in order and get back a connection id, so a component that goes away
// (an add-in that disconnects) unwires exactly its own handlers. Raising calls the handlers in
// connection order. The owner of an event (an application, an explorer, a button) holds it; the
// real client and the fake share this class.
//
// Handlers are host entry points: they should catch their own failures. An exception that still
// escapes a handler stops the raise and reaches whoever raised the event (for ItemSend: the
// caller of Send, and the item is not sent).
//
// Not thread-safe: events are raised on the mail client's one user-interface thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vellumo::mail {

// Identifies one connected handler; 0 is never issued.
using ConnectionId = uint64_t;

template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

  // Adds handler after those already connected. REQUIRES: handler is callable.
  ConnectionId Connect(Handler handler) {
    const ConnectionId id = ++last_id_;
    handlers_.push_back({id, std::make_shared<Handler>(std::move(handler))});
    return id;
  }

  // Removes the handler; false when id is not connected (already removed, or never issued).
  bool Disconnect(ConnectionId id) {
    auto it = std::find_if(handlers_.begin(), handlers_.end(),
                           [id](const Entry& e) { return e.id == id; });
    if (it == handlers_.end()) return false;
    handlers_.erase(it);
    return true;
  }

  void DisconnectAll() { handlers_.clear(); }

  int Count() const { return static_cast<int>(handlers_.size()); }

  // Calls every handler connected when the raise starts, in connection order, with the same
  // arguments (a reference argument such as a cancel flag is shared: each handler sees what the
  // one before it left). A handler disconnected by an earlier handler of the same raise is not
  // called; one connected during the raise waits for the next raise.
  void Raise(Args... args) const {
    const std::vector<Entry> snapshot = handlers_;
    for (const Entry& entry : snapshot) {
      if (!IsConnected(entry.id)) continue;
      (*entry.handler)(args...);
    }
  }

 private:
  struct Entry {
    ConnectionId id;
    std::shared_ptr<Handler> handler;  // shared so a raise survives the handler's disconnection
  };

  bool IsConnected(ConnectionId id) const {
    return std::any_of(handlers_.begin(), handlers_.end(),
                       [id](const Entry& e) { return e.id == id; });
  }

  std::vector<Entry> handlers_;
  ConnectionId last_id_ = 0;
};

}  // namespace vellumo::mail
