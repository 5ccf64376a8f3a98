// The root of the mail client's object model and the numbers it speaks in.
//
// Every object of the model (application, folders, items, command bars, the safe wrappers) is an
// Object: shared by whoever holds it (std::shared_ptr), like the late-bound objects the system was
// written against, and created by programmatic identifier through Application::CreateObject when
// it is a helper component. The enum values are the mail client's own numbers, so settings and
// logs that carry them keep their meaning.
//
// Every member of every interface may throw vellumo::Error (missing object, refused access,
// unsupported member); callers guard the calls they make.
#pragma once

#include <functional>
#include <string_view>

namespace vellumo::mail {

class Object {
 public:
  virtual ~Object() = default;
};

// What an item is: CreateItem's argument and a folder's default item type.
enum class ItemType : int {
  kMail = 0,
  kAppointment = 1,
  kContact = 2,
  kTask = 3,
  kJournal = 4,
  kNote = 5,
  kPost = 6,
  kDistributionList = 7,
};

// The user's standard folders (Namespace::GetDefaultFolder).
enum class DefaultFolder : int {
  kDeletedItems = 3,
  kOutbox = 4,
  kSentMail = 5,
  kInbox = 6,
  kCalendar = 9,
  kContacts = 10,
  kJournal = 11,
  kNotes = 12,
  kTasks = 13,
  kDrafts = 16,
};

// The editor an inspector uses for a mail item. Any other number may come back from a client and
// must be treated as unknown.
enum class EditorType : int { kText = 1, kHtml = 2, kRtf = 3, kWord = 4 };

// Types of user properties. The model keeps every value as text; the type is recorded.
enum class UserPropertyType : int {
  kText = 1,
  kNumber = 3,
  kDateTime = 5,
  kYesNo = 6,
  kKeywords = 11,
};

enum class RecipientType : int { kOriginator = 0, kTo = 1, kCc = 2, kBcc = 3 };

// Item::Close.
enum class SaveMode : int { kSave = 0, kDiscard = 1, kPromptForSave = 2 };

// CommandBarControls::Add. Only buttons are modelled.
enum class ControlType : int { kButton = 1 };

// CommandBarButton::Style.
enum class ButtonStyle : int { kAutomatic = 0, kIcon = 1, kCaption = 2, kIconAndCaption = 3 };

// WordDocument::SaveAs formats.
inline constexpr int kWordFormatHtml = 8;
inline constexpr int kWordFormatFilteredHtml = 10;

// Called with "Interface.Member" (for example "SafeMailItem.Send") before the shared concrete
// classes of this library run a member; it may throw to make the member fail. Fakes use it to fail
// members on demand; real clients pass none.
using MemberHook = std::function<void(std::string_view member)>;

}  // namespace vellumo::mail
