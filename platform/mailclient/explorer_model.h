// Explorers and command bars as a model: what the add-ins see of a main window.
//
// MemApplication uses them, and so may any client that has no toolbar of its own to drive (the
// local client keeps the buttons an add-in creates as a model, like these). Each takes a
// MemberHook (may be empty) that is called with "CommandBar.FindControl" and the like before
// each member. Behaviour is as explorer.h states.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mailclient/explorer.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

class CommandBarModel;

class CommandBarButtonModel final : public CommandBarButton,
                                    public std::enable_shared_from_this<CommandBarButtonModel> {
 public:
  CommandBarButtonModel(MemberHook hook, std::weak_ptr<CommandBarModel> bar, bool temporary);

  std::string Caption() override;
  void SetCaption(std::string_view caption) override;
  ButtonStyle Style() override;
  void SetStyle(ButtonStyle style) override;
  int FaceId() override;
  void SetFaceId(int face_id) override;
  std::string Tag() override;
  void SetTag(std::string_view tag) override;
  std::string TooltipText() override;
  void SetTooltipText(std::string_view text) override;
  bool Visible() override;
  void SetVisible(bool visible) override;
  bool Temporary() override;
  ButtonClickEvent& Click() override { return click_; }
  void Execute() override;
  void Delete() override;

  // Without the hook, for the bar and for inspection.
  const std::string& tag() const { return tag_; }
  const std::string& caption() const { return caption_; }

 private:
  void Hook(std::string_view member);

  MemberHook hook_;
  std::weak_ptr<CommandBarModel> bar_;
  bool temporary_;
  std::string caption_;
  ButtonStyle style_ = ButtonStyle::kAutomatic;
  int face_id_ = 0;
  std::string tag_;
  std::string tooltip_;
  bool visible_ = true;
  ButtonClickEvent click_;
};

class CommandBarModel final : public CommandBar,
                              public std::enable_shared_from_this<CommandBarModel> {
 public:
  CommandBarModel(MemberHook hook, std::string name);

  std::string Name() override;
  std::shared_ptr<CommandBarButton> FindControl(std::string_view tag) override;
  std::shared_ptr<CommandBarControls> Controls() override;

  const std::string& name() const { return name_; }
  // The buttons on the bar now, in order.
  const std::vector<std::shared_ptr<CommandBarButtonModel>>& buttons() const { return buttons_; }
  // For the controls collection and the buttons.
  std::shared_ptr<CommandBarButtonModel> AddButton(bool temporary);
  void RemoveButton(const CommandBarButtonModel* button);
  void Hook(std::string_view member);

 private:
  MemberHook hook_;
  std::string name_;
  std::vector<std::shared_ptr<CommandBarButtonModel>> buttons_;
};

class CommandBarsModel final : public CommandBars {
 public:
  CommandBarsModel(MemberHook hook, const std::vector<std::string>& names);

  int Count() override;
  std::shared_ptr<CommandBar> Item(int index) override;
  std::shared_ptr<CommandBar> Item(std::string_view name) override;

  // The bar of that name (ignoring case), or nullptr; no hook.
  std::shared_ptr<CommandBarModel> Find(std::string_view name) const;

 private:
  MemberHook hook_;
  std::vector<std::shared_ptr<CommandBarModel>> bars_;
};

class ExplorerModel final : public Explorer {
 public:
  // Bars "Menu Bar" and "Standard". on_closed runs after the close event, once.
  ExplorerModel(MemberHook hook, std::function<void(ExplorerModel&)> on_closed);

  std::shared_ptr<mail::CommandBars> CommandBars() override;
  ExplorerCloseEvent& CloseEvent() override { return close_; }
  void Close() override;

  bool closed() const { return closing_; }
  // The bars without the hook, for set-up and inspection.
  const std::shared_ptr<CommandBarsModel>& bars() const { return bars_; }

 private:
  MemberHook hook_;
  std::function<void(ExplorerModel&)> on_closed_;
  std::shared_ptr<CommandBarsModel> bars_;
  ExplorerCloseEvent close_;
  bool closing_ = false;
};

// The explorers list gives the open explorers at each call.
class ExplorersModel final : public Explorers {
 public:
  ExplorersModel(MemberHook hook, std::function<std::vector<std::shared_ptr<Explorer>>()> list);

  int Count() override;
  std::shared_ptr<Explorer> Item(int index) override;

 private:
  MemberHook hook_;
  std::function<std::vector<std::shared_ptr<Explorer>>()> list_;
};

}  // namespace vellumo::mail
