#include "profilewizard/vcard_search.h"

#include <limits>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::profilewizard {
namespace {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
  path.append(name);
  return path;
}

}  // namespace

CFSOFindFile::CFSOFindFile(FileSystem& fs, Progress progress, Question question)
    : fs_(fs), on_progress_(std::move(progress)), ask_(std::move(question)) {}

CFSOFindFile::Question CFSOFindFile::AskThrough(ui::Host& host) {
  return [&host] { return host.MsgBox(kContinueQuestion, ui::kYesNo, kContinueTitle) == ui::kYes; };
}

std::string CFSOFindFile::FindFile(std::string_view start_folder, std::string_view file_name) {
  found_ = false;
  found_path_.clear();
  asked_to_continue_ = false;
  wrap_count_ = 0;
  progress_ = 0;
  skipped_.clear();
  wanted_ = text::UCase(file_name);
  if (wanted_.empty()) return {};
  Walk(std::string(start_folder));
  return found_path_;
}

void CFSOFindFile::Walk(const std::string& folder) {
  if (Done()) return;
  if (text::Len(folder) > kMaxPath) {
    skipped_.push_back({folder, "longer than " + std::to_string(kMaxPath) + " characters"});
    return;
  }
  if (folder.find(kDocumentsFolder) != std::string::npos) {
    std::vector<std::string> files;
    if (!Read(folder, [&] { files = fs_.ListFiles(folder, ""); })) return;
    ExamineFiles(folder, files);
  } else {
    Advance();
  }
  if (Done()) return;
  std::vector<std::string> subfolders;
  if (!Read(folder, [&] { subfolders = fs_.ListFolders(folder); })) return;
  for (const std::string& name : subfolders) Walk(JoinPath(folder, name));
}

bool CFSOFindFile::Read(const std::string& folder, const std::function<void()>& list) {
  try {
    list();
    return true;
  } catch (const Error& error) {
    // An unreadable folder is not the end of the search: note it and go on with the next one.
    skipped_.push_back({folder, error.what()});
    return false;
  }
}

void CFSOFindFile::ExamineFiles(const std::string& folder, const std::vector<std::string>& files) {
  for (const std::string& name : files) {
    if (Done()) return;
    Advance();
    if (Done()) return;
    if (text::UCase(name).find(wanted_) != std::string::npos) {
      found_ = true;
      found_path_ = JoinPath(folder, name);
      return;
    }
  }
}

void CFSOFindFile::Advance() {
  ++progress_;
  if (progress_ >= kProgressWrap) {
    progress_ = 0;
    // The counter stops at its largest value rather than overflow on an endless walk.
    if (wrap_count_ < std::numeric_limits<int16_t>::max()) ++wrap_count_;
  }
  if (on_progress_) on_progress_(progress_);
  if (wrap_count_ >= 2 && !asked_to_continue_) {
    asked_to_continue_ = true;
    if (ask_ && !ask_()) Stop();
  }
}

}  // namespace vellumo::profilewizard
