#include "addin/preview_form.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "addin/dress.h"
#include "addin/item_send.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/neutralise.h"
#include "common/settings/keys.h"

namespace vellumo::addin {
namespace {

constexpr std::string_view kHelpCaption = "Help";
constexpr std::string_view kReturnCaption = "Return";
constexpr std::string_view kOptionsClosed = "> Options";
constexpr std::string_view kOptionsOpen = "< Options";
// The buttons the help page takes out of use while it is shown.
constexpr std::string_view kHelpDisables[] = {"Command1", "cmdSendPlain", "cmdNext", "cmdSignNext",
                                              "cmdOptions"};

// The entry of a list, or "" outside it (as a list box's List(i) reads).
std::string Entry(const ui::Control& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.list.size())) return {};
  return list.list[static_cast<size_t>(index)];
}

int Count(const ui::Control& list) { return static_cast<int>(list.list.size()); }

}  // namespace

const std::vector<const SettingKey*> kProfileKeys = {
    &keys::SigEmail,
    &keys::SigWebsite,
    &keys::SigWebsiteFR,
    &keys::SigWebsiteDisplayName,
    &keys::SigWebsiteDisplayNameFR,
    &keys::SigFullnameFR,
    &keys::SigFullname,
    &keys::SigPosition,
    &keys::SigPositionFR,
    &keys::SigTelephone,
    &keys::SigFax,
    &keys::SigAddress,
    &keys::SigAddress2,
    &keys::SigAddress3,
    &keys::SigAddress4,
    &keys::SigAddressFR,
    &keys::SigAddress2FR,
    &keys::SigAddress3FR,
    &keys::SigAddress4FR,
    &keys::SigOrganizationName,
    &keys::SigOrganizationNameFR,
    &keys::SigCell,
};

std::string GetFileName(std::string_view name) {
  // Any case: the lists hold "Letter.HTM" too, and its visible name must pick it back.
  constexpr std::string_view kHtm = ".htm";
  for (size_t at = 0; at + kHtm.size() <= name.size(); ++at) {
    bool same = true;
    for (size_t i = 0; i < kHtm.size() && same; ++i) {
      const char c = name[at + i];
      same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == kHtm[i];
    }
    if (same) return std::string(name.substr(0, at));
  }
  return std::string(name);
}

// The two file lists the window pages through: the templates and the signatures.
struct PreviewForm::FileListSpec {
  std::string_view hidden;       // full file names
  std::string_view visible;      // names without ".htm"
  std::string_view next_button;  // disabled when the folder holds one file
  const SettingKey& folder;
  const SettingKey& setting;  // the current file
  std::string_view where;     // the click procedure failures are logged with
  bool PreviewForm::*loaded;
  int PreviewForm::*cursor;
  bool PreviewForm::*load_only;
  bool is_template;
};

PreviewForm::PreviewForm(PreviewDeps deps, compose::SendState& state)
    : ui::Form("frmBrowser"), deps_(std::move(deps)), state_(state) {
  Design();
  On("Form", "Load", [this](ui::Event&) { OnLoad(); });
  On("Form", "Unload", [this](ui::Event& event) { OnUnload(event.mode); });
  On("Form", "Resize", [this](ui::Event&) { OnResize(); });
  On("cmdNext", "Click", [this](ui::Event&) { NextEntry(TemplateList()); });
  On("cmdSignNext", "Click", [this](ui::Event&) { NextEntry(SignatureList()); });
  On("cboTemplates", "Click", [this](ui::Event&) { PickTemplate(); });
  On("cboSignatures", "Click", [this](ui::Event&) { PickSignature(); });
  On("cboSig", "Click", [this](ui::Event&) { PickProfile(); });
  On("cboBplates", "Click", [this](ui::Event&) { PickBoilerplate(); });
  On("cboBGColourName", "Click", [this](ui::Event&) { PickColour(); });
  On("cmdOptions", "Click", [this](ui::Event&) { ToggleOptions(); });
  On("cmdHelp", "Click", [this](ui::Event&) { ToggleHelp(); });
  On("Command1", "Click", [this](ui::Event&) {
    state_.AttachVCard = (*this)["chkvCard"].value == 1;
    state_.SelectedBoilerplate = ChosenBoilerplate();
    Unload();
  });
  On("cmdSendPlain", "Click", [this](ui::Event&) {
    state_.SendPlain = true;
    Unload();
  });
  On("cmdClose", "Click", [this](ui::Event&) {
    state_.BrowserSend = false;
    Unload();
  });
  On("cmdSendToMany", "Click", [this](ui::Event&) {
    deps_.settings.Set(keys::SendToManySubject, state_.ItemSubject);
    // The send-to-many program may not be installed: say so in the log, then leave as Close.
    Guard(deps_.log, "cmdSendToMany_Click", "",
          [&] { deps_.processes.Start(state_.ApplicationPath + std::string(kSendToManyProgram)); });
    state_.BrowserSend = false;
    Unload();
  });
}

PreviewForm::FileListSpec PreviewForm::TemplateList() const {
  return {"cboListTemplates",
          "cboTemplates",
          "cmdNext",
          keys::HtmFilesPath,
          keys::Template,
          "cmdNext_Click",
          &PreviewForm::TemplatesLoaded,
          &PreviewForm::TemplateCursor,
          &PreviewForm::LoadOnlyTemplates,
          true};
}

PreviewForm::FileListSpec PreviewForm::SignatureList() const {
  return {"cboPrevSigs",
          "cboSignatures",
          "cmdSignNext",
          keys::SignaturesPath,
          keys::Signature,
          "cmdSignNext_Click",
          &PreviewForm::SignaturesLoaded,
          &PreviewForm::SignatureCursor,
          &PreviewForm::LoadOnlySignatures,
          false};
}

std::string PreviewForm::Setting(const SettingKey& key) const { return deps_.settings.Get(key); }

std::string PreviewForm::TemplateFolder() const { return Setting(keys::HtmFilesPath); }

std::string PreviewForm::PreviewFolder() const {
  std::string folder = Setting(keys::BrowserPath);
  return folder.empty() ? state_.ApplicationPath : folder;
}

std::string PreviewForm::PreviewFile() const {
  return PreviewFolder() + std::string(kPreviewFileName);
}

void PreviewForm::ShowPreview(const std::string& html) {
  PreviewHtml = html;
  const std::string file = PreviewFile();
  // A fresh installation may not have its program folder yet; the preview must still show.
  if (!deps_.fs.FolderExists(PreviewFolder())) deps_.fs.CreateFolder(PreviewFolder());
  deps_.fs.WriteFile(file, html + "\r\n");
  (*this)["brwWebBrowser"].document = deps_.fs.NativePath(file);
}

std::string PreviewForm::ChosenBoilerplate() const {
  const std::string& boilerplate = (*this)["cboBplates"].text;
  return text::Trim(boilerplate).empty() ? std::string() : boilerplate;
}

void PreviewForm::ComposePreview(std::string_view template_name, bool plain_text) {
  if (!state_.CurrentItem) throw Error(ErrorCode::kObjectNotSet, "CurrentItem");
  std::exception_ptr failure;
  const std::optional<std::string> dressed = DressBody(
      {deps_.settings, deps_.fs, deps_.log, deps_.composer}, *state_.CurrentItem, plain_text,
      {Setting(keys::HtmFilesPathAsSet), std::string(template_name), ChosenBoilerplate()}, state_,
      [&](const std::function<void()>& step) {
        try {
          step();
          return true;
        } catch (const std::exception&) {
          if (!failure) failure = std::current_exception();
          return false;
        }
      });
  if (!dressed) {
    if (failure) std::rethrow_exception(failure);
    return;
  }
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      deps_.log.Write_log_line(DescriptionOf(e) + std::string(kPreviewErrorSuffix));
    }
  }
  ShowPreview(*dressed);
}

void PreviewForm::ShowInList(std::string_view list, std::string_view text) {
  ui::Control& control = (*this)[list];
  control.text = std::string(text);
  control.list_index = -1;
  for (size_t i = 0; i < control.list.size(); ++i) {
    if (control.list[i] == text) {
      control.list_index = static_cast<int>(i);
      break;
    }
  }
}

void PreviewForm::Guarded(std::string_view where, std::string_view label,
                          const std::function<void()>& step) {
  Guard(deps_.log, where, label, step);
}

// ---------------------------------------------------------------------------------------------
// Load, unload, resize.

void PreviewForm::OnLoad() {
  TemplatesLoaded = SignaturesLoaded = false;
  TemplateCursor = SignatureCursor = 0;
  SuppressClick = LoadOnlyTemplates = LoadOnlySignatures = false;
  PreviewHtml.clear();
  // Each step ignores its failure: a missing folder or setting only leaves a list empty.
  const auto step = Ignore;
  step([&] { ApplyCaptionTable(*this, deps_.captions); });
  for (std::string_view list : {"cboListTemplates", "cboListBplates", "cboPrevSigs"}) {
    (*this)[list].list.clear();
  }
  ui::Control& boilerplates = (*this)["cboBplates"];
  boilerplates.list = {std::string(kNoBoilerplate)};
  boilerplates.list_index = 0;
  boilerplates.text = std::string(kNoBoilerplate);
  (*this)["txtSubject"].text = state_.ItemSubject;
  (*this)["txtSubject"].enabled = false;
  step([&] {
    if (deps_.make_topmost) deps_.make_topmost(*this);
  });
  step([&] {
    if (Setting(keys::BrowserWarnPastedImages) == "False") {
      (*this)["lblPastedImages"].visible = false;
      (*this)["brwWebBrowser"].top = kBrowserTopClosed;
    }
  });
  step([&] {
    if (Setting(keys::ShowBoilerplates) != "True") return;
    int found = 0;
    for (const std::string& name : deps_.fs.ListFiles(TemplateFolder(), "*")) {
      if (name.starts_with('.') || !text::LCase(name).ends_with(".txt")) continue;
      (*this)["cboListBplates"].list.push_back(name);
      (*this)["cboBplates"].list.push_back(name);
      ++found;
    }
    (*this)["cboBplates"].visible = found > 0;
    (*this)["lblBplates"].visible = found > 0;
  });
  step([&] {
    if (Setting(keys::MultipleSignatures) != "True") return;
    ui::Control& profiles = (*this)["cboSig"];
    profiles.list = text::Split(Setting(keys::SignatureList), ";");
    const std::string current = Setting(keys::CurrentSignature);
    const int index = current.empty() ? 0 : static_cast<int>(text::Val(current));
    // A profile the list does not have selects nothing: the profile keys stay as they are.
    if (index >= 0 && index < Count(profiles)) Fire("cboSig", "Click", std::to_string(index));
  });
  step([&] {
    if (Setting(keys::PreviewOptionsShow) != "True") return;
    ToggleOptions();
    SuppressClick = true;
    ShowInList("cboSignatures", GetFileName(Setting(keys::Signature)));
    ShowInList("cboTemplates", GetFileName(Setting(keys::Template)));
    SuppressClick = false;
  });
  step([&] {
    if (Setting(keys::WipeOutBrowserSendButton) == "False") (*this)["Command1"].visible = false;
  });
  step([&] {
    if (Setting(keys::ShowSendToMany) == "False") (*this)["cmdSendToMany"].visible = false;
  });
}

void PreviewForm::OnUnload(ui::UnloadMode mode) {
  // Escape, a closed tab or a browser that went away: the person did not choose to send.
  if (mode == ui::UnloadMode::kCloseBox) state_.BrowserSend = false;
  answer = !state_.BrowserSend ? "Close" : state_.SendPlain ? "Send Plain" : "Send";
  deps_.settings.Set(keys::BrowserTop, std::to_string(top));
  deps_.settings.Set(keys::BrowserLeft, std::to_string(left));
  deps_.settings.Set(keys::BrowserHeight, std::to_string(height));
  deps_.settings.Set(keys::BrowserWidth, std::to_string(width));
  if ((*this)["chkShowPreview"].value == 1) {
    deps_.settings.Set(keys::AutoPreview, "False");
    deps_.host.MsgBox(kPreviewOffText, ui::kInformation, kPreviewOffTitle);
  }
}

void PreviewForm::OnResize() {
  ui::Control& browser = (*this)["brwWebBrowser"];
  browser.height = height > 600 ? height - 600 : 0;
  browser.width = width > 180 ? width - 180 : 0;
}

// ---------------------------------------------------------------------------------------------
// The file lists: filling, "> Template" / "> Signature", picking.

void PreviewForm::FillList(const FileListSpec& files) {
  ui::Control& hidden = (*this)[files.hidden];
  ui::Control& visible = (*this)[files.visible];
  if (hidden.list.empty()) {
    for (const std::string& name : deps_.fs.ListFiles(Setting(files.folder), "*")) {
      const std::string lower = text::LCase(name);
      // Hidden files (".~lock", "._x.htm" left by other systems) are never stationery.
      if (name.starts_with('.') || !lower.ends_with(".htm") || lower.ends_with("_merge.htm")) {
        continue;
      }
      hidden.list.push_back(name);
      visible.list.push_back(GetFileName(name));
    }
  }
  if (Count(hidden) == 1) (*this)[files.next_button].enabled = false;
  const std::string current = Setting(files.setting);
  for (int i = 0; i < Count(hidden); ++i) {
    if (hidden.list[static_cast<size_t>(i)] == current) {
      this->*files.cursor = i + 1;
      break;
    }
  }
  // The template list counts as filled only once a press has composed (NextEntry).
  if (!files.is_template) this->*files.loaded = true;
}

void PreviewForm::NextEntry(const FileListSpec& files) {
  int& cursor = this->*files.cursor;
  const ui::Control& hidden = (*this)[files.hidden];
  Guarded(files.where, "", [&] {
    if (!(this->*files.loaded)) FillList(files);
  });
  if (cursor == Count(hidden)) cursor = 0;
  if (this->*files.load_only) {
    SuppressClick = true;
    ShowInList(files.visible, GetFileName(Entry(hidden, cursor < 1 ? 0 : cursor - 1)));
    SuppressClick = false;
    return;
  }
  const std::string entry = Entry(hidden, cursor);
  Guarded(files.where, "", [&] {
    if (files.is_template) {
      ComposePreview(text::Trim(entry));
    } else {
      deps_.settings.Set(files.setting, entry);
      ComposePreview(Setting(keys::Template));
    }
  });
  SuppressClick = true;
  ShowInList(files.visible, GetFileName(entry));
  SuppressClick = false;
  Guarded(files.where, "", [&] {
    if (files.is_template) deps_.settings.Set(files.setting, entry);
  });
  if (files.is_template) TemplatesLoaded = true;
  ++cursor;
}

void PreviewForm::PickTemplate() {
  if (SuppressClick) return;
  try {
    const FileListSpec files = TemplateList();
    TemplateCursor = (*this)["cboTemplates"].list_index;
    if (!TemplatesLoaded) FillList(files);
    if (TemplateCursor == Count((*this)[files.hidden])) TemplateCursor = 0;
    const std::string picked = (*this)["cboTemplates"].text;
    ComposePreview(text::Trim(picked) + ".htm");
    deps_.settings.Set(keys::Template, picked + ".htm");
    ++TemplateCursor;
  } catch (const std::exception& e) {
    deps_.log.Write_log_line(DescriptionOf(e) + std::string(kTemplatePickSuffix));
  }
}

void PreviewForm::PickSignature() {
  if (SuppressClick) return;
  try {
    const FileListSpec files = SignatureList();
    const int picked = (*this)["cboSignatures"].list_index;
    SignatureCursor = picked;
    if (!SignaturesLoaded) FillList(files);
    if (SignatureCursor == Count((*this)[files.hidden])) SignatureCursor = 0;
    deps_.settings.Set(keys::Signature, Entry((*this)[files.hidden], picked));
    ComposePreview(Setting(keys::Template));
    ++SignatureCursor;
  } catch (const std::exception& e) {
    deps_.log.Write_log_line(DescriptionOf(e) + "- cboSignatures, frmBrowser in Vellumo");
  }
}

void PreviewForm::PickProfile() {
  if (SuppressClick) return;
  Guarded("cboSig", "Browser signature profile", [&] {
    const std::string profile = (*this)["cboSig"].text;
    for (const SettingKey* key : kProfileKeys) {
      deps_.settings.Set(*key, deps_.settings.GetInSection(*key, profile));
    }
    ComposePreview(Setting(keys::Template));
  });
}

void PreviewForm::PickBoilerplate() {
  try {
    ComposePreview(text::Trim((*this)["cboTemplates"].text) + ".htm");
  } catch (const std::exception& e) {
    deps_.log.Write_log_line(DescriptionOf(e) + "- cboBplates, frmBrowser in Vellumo");
  }
}

void PreviewForm::PickColour() {
  ui::Control& codes = (*this)["cboBGColourCode"];
  codes.list_index = (*this)["cboBGColourName"].list_index;
  codes.text = Entry(codes, codes.list_index);
  deps_.settings.Set(keys::SigBGColor, codes.text);
  ComposePreview(Setting(keys::Template));
}

// ---------------------------------------------------------------------------------------------
// The options panel and the help page.

void PreviewForm::ToggleOptions() {
  constexpr std::string_view where = "cmdOptions_Click";
  Guarded(where, "", [&] {
    if (!SignaturesLoaded) {
      LoadOnlySignatures = true;
      NextEntry(SignatureList());
      LoadOnlySignatures = false;
    }
    if (!TemplatesLoaded) {
      LoadOnlyTemplates = true;
      NextEntry(TemplateList());
      LoadOnlyTemplates = false;
    }
  });
  ui::Control& options = (*this)["cmdOptions"];
  ui::Control& browser = (*this)["brwWebBrowser"];
  Guarded(where, "", [&] {
    // The browser slides down to make room for the lists, and back up when they close.
    if (options.caption == kOptionsClosed) {
      options.caption = std::string(kOptionsOpen);
      (*this)["lblPastedImages"].visible = false;
      browser.top = kBrowserTopOpen;
      deps_.settings.Set(keys::PreviewOptionsShow, "True");
    } else {
      options.caption = std::string(kOptionsClosed);
      if (!(*this)["lblPastedImages"].visible) browser.top = kBrowserTopClosed;
      deps_.settings.Set(keys::PreviewOptionsShow, "False");
    }
  });
  const bool profiles = Setting(keys::MultipleSignatures) == "True";
  for (std::string_view name :
       {"lblTemplate", "lblSignature", "cboTemplates", "cboSignatures", "chkShowPreview"}) {
    (*this)[name].visible = !(*this)[name].visible;
  }
  if (profiles) {
    for (std::string_view name : {"lblBGColor", "cboSig"}) {
      (*this)[name].visible = !(*this)[name].visible;
    }
  }
  if (!(*this)["cboSignatures"].visible) return;
  SuppressClick = true;
  Guarded(where, "", [&] {
    ShowInList("cboSignatures", GetFileName(Setting(keys::Signature)));
    ShowInList("cboTemplates", GetFileName(Setting(keys::Template)));
    const std::string current = Setting(keys::CurrentSignature);
    ui::Control& list = (*this)["cboSig"];
    const int index = current.empty() ? 0 : static_cast<int>(text::Val(current));
    if (index >= 0 && index < Count(list)) {
      list.list_index = index;
      list.text = Entry(list, index);
    }
  });
  SuppressClick = false;
}

void PreviewForm::ToggleHelp() {
  ui::Control& help = (*this)["cmdHelp"];
  ui::Control& browser = (*this)["brwWebBrowser"];
  if (help.caption == kHelpCaption) {
    help.caption = std::string(kReturnCaption);
    // Remember what was usable: a plain-text message keeps its choices off after the help page.
    enabled_before_help_.clear();
    for (std::string_view name : kHelpDisables) {
      enabled_before_help_.push_back((*this)[name].enabled);
      (*this)[name].enabled = false;
    }
    const std::string* page = deps_.captions.Find(kHelpPageEntry);
    browser.document = page != nullptr ? *page : std::string();
  } else {
    help.caption = std::string(kHelpCaption);
    for (size_t i = 0; i < std::size(kHelpDisables); ++i) {
      (*this)[kHelpDisables[i]].enabled =
          i < enabled_before_help_.size() ? enabled_before_help_[i] : true;
    }
    browser.document = deps_.fs.NativePath(PreviewFile());
  }
}

}  // namespace vellumo::addin
