#include "common/forms/file_list.h"

#include "base/error.h"
#include "common/settings/keys.h"

namespace vellumo {
namespace {

struct ListDesign {
  std::string_view name;
  std::string_view pattern;
  const SettingKey& folder;  // its default "": no folder, an empty list
};

constexpr ListDesign kLists[] = {
    {kFilListTXTTemplates, "*.txt", keys::SignatureTemplatesFolder},
    {kFilListHTMTemplates, "*.html", keys::SignatureTemplatesFolder},
    {kFilListRTFTemplates, "*.rtf", keys::SignatureTemplatesFolder},
    {kFilSignatures, "*.*", keys::SignatureListFolder},
    {kFilTemplates, "*.*", keys::HtmFilesPath},
};

}  // namespace

FileListForm::FileListForm(const Settings& settings, FileSystem& fs)
    : ui::Form("frmFileList"), settings_(settings), fs_(fs) {
  caption = "frmFileList";
  for (const ListDesign& design : kLists) {
    Add({.name = std::string(design.name),
         .kind = ui::ControlKind::kFileList,
         .pattern = std::string(design.pattern)});
  }
  On("Form", "Load", [this](ui::Event&) { OnLoad(); });
}

void FileListForm::EnsureLoaded() {
  if (!loaded()) {
    Load();
  }
}

void FileListForm::OnLoad() {
  for (const ListDesign& design : kLists) {
    SetPath(design.name, settings_.Get(design.folder));
  }
}

void FileListForm::SetPath(std::string_view list, std::string_view folder) {
  (*this)[list].folder = std::string(folder);
  Refresh(list);
}

void FileListForm::Refresh(std::string_view list) {
  ui::Control& control = (*this)[list];
  control.list.clear();
  control.list_index = -1;
  if (control.folder.empty()) {
    return;
  }
  try {
    control.list = fs_.ListFiles(control.folder, control.pattern);
    // A file list box leaves hidden files out; ".DS_Store" must never become a template.
    std::erase_if(control.list, [](const std::string& name) { return name.starts_with('.'); });
  } catch (const Error&) {
    // Ignored by rule: a folder that cannot be listed is an empty list to its readers.
  }
}

}  // namespace vellumo
