// OptionsDialog: the mail client's options dialog, a window that shows the property pages the
// add-ins supplied (OptionsPagesAdd, collected in an OptionsPageList) as tabs, with OK, Cancel and
// Apply. A page with a form (PropertyPage::PageForm) has it embedded in its tab's frame, so its
// controls are addressed through the dialog as "FORMNAME.CONTROL" (ui::Form::Embed).
//
// Controls, in order: tabPages (a tab strip, one tab per page: the title given to Add, else the
// page's Name()), one frame per page, fraPage1, fraPage2, ... (a page without a form shows the
// label lblEmpty1, ... saying so), then cmdOK "OK", cmdCancel "Cancel", cmdApply "&Apply".
// Enter presses no button: every button acts on what the person may still be typing.
//
// Behaviour:
//   Load     each page gets the dialog's site (its OnStatusChange recomputes cmdApply) and its
//            form is loaded; the first tab is chosen and only its frame shown; the page form gets
//            "Form"/"EnterFocus" (a page reloads its settings on focus). cmdApply is enabled
//            exactly while a page is Dirty().
//   tab      choosing another tab hides the other frames, shows that page's and fires its
//            EnterFocus; choosing the shown tab again does nothing.
//   cmdApply Apply() on every dirty page.
//   cmdOK    the same; the dialog closes with answer "OK" only when afterwards no page is dirty
//            (a page that could not save stays open for the person to fix or cancel).
//   cmdCancel and the close box: answer "Cancel", nothing applied.
//   Unload   unloads the page forms and takes the site back (SetSite(nullptr)).
// A page member that throws (Apply, SetSite, a page form's handlers) is reported in a message box
// on the host and the dialog stays as it was; a Dirty() that throws counts as dirty (unsaved work
// may exist); a Name() that throws gives the tab "Page N".
//
// The dialog holds the pages (shared) for its life; the host must outlive it. One thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mailclient/application.h"
#include "platform/mailclient/options_page_list.h"
#include "platform/ui/form.h"
#include "platform/ui/host.h"

namespace vellumo::mail {

class OptionsDialog final : public ui::Form {
 public:
  OptionsDialog(ui::Host& host, const OptionsPageList& pages);
  ~OptionsDialog() override;

  // 0-based index of the tab shown; -1 before Load or without pages.
  int current_page() const { return current_; }
  // The caption of each tab, in order.
  const std::vector<std::string>& titles() const { return (*this)["tabPages"].list; }

 private:
  class Site;
  struct Page {
    std::shared_ptr<PropertyPage> page;
    std::string title;
    ui::Form* form = nullptr;  // embedded page form, or nullptr
    std::string frame;
  };

  void AddPage(size_t index, const OptionsPageList::Page& entry);
  void OnLoad();
  void OnUnload();
  void ShowPage(int index);
  void EnterFocus(const Page& page);
  // Applies every dirty page; false when one failed.
  bool ApplyDirty();
  bool AnyDirty();
  void RecomputeApply();
  // Runs a page call; shows its failure on the host and returns false.
  template <class Call>
  bool Guard(const Page& page, std::string_view what, Call&& call);

  ui::Host& host_;
  std::vector<Page> pages_;
  std::shared_ptr<Site> site_;
  int current_ = -1;
};

// Shows an OptionsDialog for pages modally on host; returns its answer, "OK" or "Cancel".
std::string RunOptionsDialog(ui::Host& host, const OptionsPageList& pages);

}  // namespace vellumo::mail
