// The mail client's main windows (explorers) and their command bars.
//
// An explorer has command bars by name ("Standard", "Menu Bar"); a bar has controls, of which
// the model knows buttons. Buttons carry the classic properties and a click event; the explorer
// has a close event, raised while the closing explorer still counts in Application::Explorers,
// so a handler that sees a count of 1 knows the last window is going. Temporary controls vanish
// when the client ends. Every member may throw vellumo::Error. Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/mailclient/event.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

class CommandBarButton;

// Click(button, cancel_default): setting cancel_default stops the client's own action.
using ButtonClickEvent = Event<std::shared_ptr<CommandBarButton>, bool&>;
using ExplorerCloseEvent = Event<>;

class CommandBarButton : public Object {
 public:
  virtual std::string Caption() = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  virtual ButtonStyle Style() = 0;
  virtual void SetStyle(ButtonStyle style) = 0;
  // The icon's number in the client's face list.
  virtual int FaceId() = 0;
  virtual void SetFaceId(int face_id) = 0;
  // Free text by which FindControl finds the button.
  virtual std::string Tag() = 0;
  virtual void SetTag(std::string_view tag) = 0;
  virtual std::string TooltipText() = 0;
  virtual void SetTooltipText(std::string_view text) = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Temporary() = 0;

  virtual ButtonClickEvent& Click() = 0;
  // Clicks the button: raises Click with this button (what the user's click does).
  virtual void Execute() = 0;
  // Takes the button off its bar; later FindControl calls do not find it.
  virtual void Delete() = 0;
};

class CommandBarControls : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<CommandBarButton> Item(int index) = 0;
  // A new button at the end of the bar: empty caption and tag, style kAutomatic, face 0,
  // visible. temporary: it vanishes when the client ends.
  virtual std::shared_ptr<CommandBarButton> Add(ControlType type, bool temporary) = 0;
};

class CommandBar : public Object {
 public:
  virtual std::string Name() = 0;
  // The first control on this bar whose Tag equals tag exactly, or nullptr.
  virtual std::shared_ptr<CommandBarButton> FindControl(std::string_view tag) = 0;
  virtual std::shared_ptr<CommandBarControls> Controls() = 0;
};

class CommandBars : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<CommandBar> Item(int index) = 0;
  // The bar of that name, ignoring case ("Standard"); none: Error(kInvalidCall, name).
  virtual std::shared_ptr<CommandBar> Item(std::string_view name) = 0;
};

class Explorer : public Object {
 public:
  virtual std::shared_ptr<mail::CommandBars> CommandBars() = 0;
  // Raised once, when the explorer closes (see the file comment).
  virtual ExplorerCloseEvent& CloseEvent() = 0;
  // Closes the window; a second call does nothing.
  virtual void Close() = 0;
};

// The open explorers.
class Explorers : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<Explorer> Item(int index) = 0;
};

}  // namespace vellumo::mail
