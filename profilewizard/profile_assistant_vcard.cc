// The set-up wizard's vCard panel: the search below the documents folder, the manual locate, the
// import of a chosen card into the fields and the offer to create one from Step 2.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/forms/path_form.h"
#include "common/settings/keys.h"
#include "profilewizard/profile_assistant.h"
#include "profilewizard/vcard_search.h"

namespace vellumo::profilewizard {
namespace {

constexpr std::string_view kNoCardQuestion =
    "The Wizard cannot locate any vCards. Would you like to manually locate a vCard?";
constexpr std::string_view kNoCardTitle = "vCard Scanning finished";
constexpr std::string_view kCreateQuestion =
    "Would you like to save this information as a vCard?\r\nA vCard is a file attachment that "
    "can be sent to your \r\nrecipients for their contacts folder.";
constexpr std::string_view kCreateTitle = "Create a vCard?";
constexpr std::string_view kCreatedTitle = "vCard creation";
constexpr std::string_view kReadErrorTitle = "vCard";

// Work a searching thread hands to the window's thread, which runs it until the search is over.
class WindowQueue {
 public:
  void Post(std::function<void()> task) {
    {
      std::lock_guard lock(mu_);
      tasks_.push_back(std::move(task));
    }
    cv_.notify_one();
  }
  void Finish() {
    {
      std::lock_guard lock(mu_);
      finished_ = true;
    }
    cv_.notify_one();
  }
  // On the window's thread: runs what is posted until Finish, and whatever came before it.
  void Run() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mu_);
        cv_.wait(lock, [this] { return finished_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> tasks_;
  bool finished_ = false;
};

// The file name of a path written with either separator.
std::string FileNameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// The boxes a card fills, as the card's fields.
struct CardBox {
  const char* control;
  std::string VCardFields::*field;
};
constexpr CardBox kCardBoxes[] = {
    {"txtFullname", &VCardFields::full_name}, {"txtOrganization", &VCardFields::organization},
    {"txtPosition", &VCardFields::position},  {"txtTelephone", &VCardFields::telephone},
    {"txtCell", &VCardFields::cell},          {"txtFax", &VCardFields::fax},
    {"txtEmail", &VCardFields::email},        {"txtWebsite", &VCardFields::website},
    {"txtAddress1", &VCardFields::address1},  {"txtAddress2", &VCardFields::address2},
    {"txtAddress3", &VCardFields::address3},
};

}  // namespace

void ProfileAssistant::AddVCard(const std::string& name, const std::string& path) {
  ui::Form& form = *this;
  ui::Control& cards = form["cboVcard"];
  ui::Control& paths = form["lstVcardPaths"];
  cards.list.push_back(name);
  paths.list.push_back(path);
  cards.list_index = static_cast<int>(cards.list.size()) - 1;
  cards.text = name;
  paths.list_index = cards.list_index;
}

void ProfileAssistant::ClearVCardFields() {
  for (const CardBox& box : kCardBoxes) (*this)[box.control].text.clear();
}

VCardFields ProfileAssistant::TypedFields() const {
  VCardFields fields;
  for (const CardBox& box : kCardBoxes) fields.*box.field = (*this)[box.control].text;
  return fields;
}

void ProfileAssistant::ImportChosenVCard() {
  ui::Form& form = *this;
  ui::Control& paths = form["lstVcardPaths"];
  const int at = form["cboVcard"].list_index;
  if (at < 0 || at >= static_cast<int>(paths.list.size())) return;
  paths.list_index = at;
  const std::string& path = paths.list[at];
  if (path.empty()) return;
  VCardFields card;
  try {
    ImportVCard(deps_.env.fs, path, card);
  } catch (const Error& e) {
    // The fields stay as they were: a card that cannot be read must not empty them.
    host_.MsgBox("The vCard could not be read: " + std::string(e.what()), ui::kInformation,
                 kReadErrorTitle);
    return;
  }
  ClearVCardFields();
  for (const CardBox& box : kCardBoxes) form[box.control].text = card.*box.field;
}

void ProfileAssistant::RefillFromProfile() {
  ui::Form& form = *this;
  for (const CardBox& box : kCardBoxes) {
    for (const ProfileField& field : ProfileFields()) {
      if (field.control == box.control) form[box.control].text = settings_.Get(*field.key);
    }
  }
  form["txtWebsite"].text = settings_.Get(keys::WizardWebsite);
}

std::string ProfileAssistant::SearchVCard(std::string_view start) {
  ui::Form& form = *this;
  ui::Control& bar = form["prgScan"];
  form["lblScanning"].visible = true;
  bar.visible = true;
  bar.max = CFSOFindFile::kProgressWrap;
  bar.value = 0;
  if (on_change) on_change();

  WindowQueue queue;
  std::atomic<int> latest{0};
  std::atomic<bool> progress_posted{false};
  auto progress = [&](int value) {
    latest.store(value, std::memory_order_relaxed);
    // One redraw waiting at a time: the bar shows the latest value, never a backlog.
    if (progress_posted.exchange(true)) return;
    queue.Post([&] {
      progress_posted.store(false);
      bar.value = latest.load(std::memory_order_relaxed);
      if (on_change) on_change();
    });
  };
  auto ask = [&]() -> bool {
    std::promise<bool> reply;
    std::future<bool> future = reply.get_future();
    queue.Post([&] {
      try {
        reply.set_value(host_.MsgBox(CFSOFindFile::kContinueQuestion, ui::kYesNo,
                                     CFSOFindFile::kContinueTitle) == ui::kYes);
      } catch (...) {
        reply.set_exception(std::current_exception());
      }
    });
    return future.get();
  };
  CFSOFindFile finder(deps_.env.fs, progress, ask);
  std::string found;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      found = finder.FindFile(start, CFSOFindFile::kVCardExtension);
    } catch (...) {
      failure = std::current_exception();
    }
    queue.Finish();
  });
  queue.Run();
  worker.join();

  form["lblScanning"].visible = false;
  bar.visible = false;
  for (const CFSOFindFile::Skipped& skipped : finder.skipped()) {
    Note("Profile Assistant - vCard search skipped " + skipped.folder + ": " + skipped.reason);
  }
  if (failure) std::rethrow_exception(failure);
  if (found.empty()) {
    RefillFromProfile();
    return {};
  }
  AddVCard(FileNameOf(found), found);
  ImportChosenVCard();
  return found;
}

void ProfileAssistant::chkVCard_Click() {
  if (loading_) return;
  ui::Form& form = *this;
  if (form["chkVCard"].value != 1) return;
  if (form["cboVcard"].list.empty()) {
    try {
      SearchVCard(CFSOFindFile::kStartFolder);
    } catch (const Error& e) {
      host_.MsgBox("The search for your vCard stopped: " + std::string(e.what()), ui::kInformation,
                   CFSOFindFile::kContinueTitle);
    }
  }
  if (form["cboVcard"].list.empty() &&
      host_.MsgBox(kNoCardQuestion, ui::kYesNo, kNoCardTitle) == ui::kYes) {
    form["lblScanning"].visible = false;
    form["prgScan"].visible = false;
    cmdFindvCard_Click();
  }
}

void ProfileAssistant::cboVcard_Click() { ImportChosenVCard(); }

void ProfileAssistant::cmdFindvCard_Click() {
  PathChoice choice;
  choice.prompt = std::string(kVCardPrompt);
  PathForm chooser(host_, settings_, deps_.env.fs, captions_, choice);
  host_.ShowForm(chooser);
  if (choice.chosen_path.empty()) return;  // Cancel
  // The card the user picked, else the first the folder lists.
  std::string name = chooser.SelectedFile();
  if (name.empty()) name = text::Split(choice.chosen_path, ";").front();
  if (name.empty()) return;
  std::string folder = choice.chosen_folder_or_file;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  AddVCard(name, folder + name);
  (*this)["chkVCard"].value = 1;
  ImportChosenVCard();
}

void ProfileAssistant::OfferVCard() {
  ui::Form& form = *this;
  if (!vcard_question_pending_ || form["chkVCard"].value == 1 ||
      text::Trim(form["txtFullname"].text).empty() ||
      settings_.Get(keys::AskedForVCard) != "False") {
    return;
  }
  if (host_.MsgBox(kCreateQuestion, ui::kYesNo + ui::kQuestion, kCreateTitle) == ui::kYes) {
    try {
      const CreatedVCard card = CreateUserVCard(deps_.env.fs, TypedFields());
      settings_.SetAll({{&keys::vCard, card.name},
                        {&keys::vCardSelected, card.name},
                        {&keys::vCardPath, card.path},
                        {&keys::vCardPathSelected, card.path}});
      // Listed, so the user can tick the box to attach it; Finish keeps the box as it is.
      AddVCard(card.name, card.path);
      host_.MsgBox(
          "a vCard has been created for you in your My Documents folder\r\ncalled " + card.name,
          ui::kInformation, kCreatedTitle);
    } catch (const Error& e) {
      host_.MsgBox("The vCard was not created: " + std::string(e.what()), ui::kInformation,
                   kCreatedTitle);
    }
  }
  settings_.Set(keys::AskedForVCard, "True");
  vcard_question_pending_ = false;
}

}  // namespace vellumo::profilewizard
