// CFSOFindFile: the set-up wizard's search for the user's vCard below "C:\documents and settings".
//
// FindFile walks the folder tree depth-first and returns the first file whose name, in upper
// case, contains the searched text (".vcf": "Ann.vcf", "old.VCF.bak"). Only folders whose path
// contains "My Documents" (as written, case-sensitive) have their files looked at; every other
// folder just moves the progress bar. The bar counts to kProgressWrap and starts again at 0; at
// the second wrap the user is asked, once, whether to go on (kContinueQuestion), and No ends the
// search.
//
// Threads: the wizard runs FindFile off its window's thread. Progress and the question are
// reported through callbacks called on the searching thread; the window marshals them. Stop() and
// the read-only accessors marked so may be called from any thread; everything else belongs to
// the thread that calls FindFile. The file system is used only by FindFile, from that thread:
// the caller must not use the same FileSystem object elsewhere while a search runs.
//
// Folders that cannot be read (permission denied, any Error from the file system) are skipped and
// listed in skipped(); the search goes on with the next folder. Folders whose Windows path is
// longer than kMaxPath characters are skipped the same way: the original environment could not
// open them either, and it ends a walk that a folder link looping back up the tree would make
// endless.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/host.h"

namespace vellumo::profilewizard {

class CFSOFindFile {
 public:
  // Where the wizard starts looking, and what it looks for.
  static constexpr std::string_view kStartFolder = "C:\\documents and settings";
  static constexpr std::string_view kVCardExtension = ".vcf";
  // Folders whose path holds this have their files examined.
  static constexpr std::string_view kDocumentsFolder = "My Documents";
  static constexpr int kProgressWrap = 4750;
  static constexpr int kMaxPath = 260;
  static constexpr std::string_view kContinueQuestion =
      "The Wizard cannot find the vCards in the usual vCard folder.\r\n"
      "Do you want to continue searching for a vCard?";
  static constexpr std::string_view kContinueTitle = "Searching for your vCards";

  // Called with the bar's new value (0 .. kProgressWrap - 1) after each step.
  using Progress = std::function<void(int value)>;
  // Asks whether to keep searching; true goes on, false stops the search.
  using Question = std::function<bool()>;

  // A folder the search could not read, and why.
  struct Skipped {
    std::string folder;
    std::string reason;
  };

  // fs must outlive this object. An empty progress callback reports nothing; an empty question
  // answers Yes (the search goes on).
  CFSOFindFile(FileSystem& fs, Progress progress, Question question);

  // Asks kContinueQuestion through host (Yes/No, titled kContinueTitle), for a search run on the
  // host's own thread. host must outlive the returned callback.
  static Question AskThrough(ui::Host& host);

  // Searches below start_folder (a Windows-style or native path; "C:\documents and settings" on
  // the wizard's side) for the first file whose upper-case name contains the upper case of
  // file_name. Returns its path (start_folder joined with the folder and file names with "\"),
  // or "" when nothing was found, the search was stopped or file_name is empty. Clears the
  // state of an earlier search first, but not the stop flag: a Stop() that comes before the
  // search thread got going still cancels it, and a stopped finder finds nothing until Reset().
  // Never throws for an unreadable folder (see skipped()); an exception from a callback passes
  // through.
  std::string FindFile(std::string_view start_folder, std::string_view file_name);

  // Ends a running or coming search as soon as it finishes the step it is on. Any thread.
  void Stop() { stop_.store(true, std::memory_order_relaxed); }
  // Clears the stop flag, for searching again with this object. Not while a search runs.
  void Reset() { stop_.store(false, std::memory_order_relaxed); }

  // The search state, valid after FindFile returned.
  bool found() const { return found_; }
  const std::string& found_path() const { return found_path_; }
  // Any thread: set by Stop() or by a No to the question.
  bool stopped() const { return stop_.load(std::memory_order_relaxed); }
  bool asked_to_continue() const { return asked_to_continue_; }
  int16_t wrap_count() const { return wrap_count_; }
  int progress() const { return progress_; }
  const std::vector<Skipped>& skipped() const { return skipped_; }

 private:
  void Walk(const std::string& folder);
  void ExamineFiles(const std::string& folder, const std::vector<std::string>& files);
  // Runs list, a listing of folder; false (folder noted in skipped_) when the file system failed.
  bool Read(const std::string& folder, const std::function<void()>& list);
  // One step of the bar; wraps and asks as described above.
  void Advance();
  bool Done() const { return found_ || stopped(); }

  FileSystem& fs_;
  Progress on_progress_;
  Question ask_;
  std::string wanted_;  // upper case

  bool found_ = false;
  std::atomic<bool> stop_{false};
  std::string found_path_;
  bool asked_to_continue_ = false;
  int16_t wrap_count_ = 0;
  int progress_ = 0;
  std::vector<Skipped> skipped_;
};

}  // namespace vellumo::profilewizard
