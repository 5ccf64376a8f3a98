// The sub-objects of a LocalMailItem: recipients, attachments, links, the inspector and its
// word-editor stand-in. They edit the item's lists; the item writes them into its message on
// Save.
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/local_folders.h"
#include "localmail/local_mail_item.h"
#include "localmail/mime_message.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace vellumo::localmail {
namespace {

template <class T>
const T& At(const std::vector<T>& list, std::string_view collection, int index) {
  if (index < 1 || static_cast<size_t>(index) > list.size()) {
    throw Error(ErrorCode::kSubscriptOutOfRange,
                std::string(collection) + "(" + std::to_string(index) + ")");
  }
  return list[static_cast<size_t>(index) - 1];
}

class LocalRecipient final : public mail::Recipient {
 public:
  LocalRecipient(std::shared_ptr<LocalMailItem> item, std::shared_ptr<RecipientData> data)
      : item_(std::move(item)), data_(std::move(data)) {}
  std::string Name() override {
    item_->Check();
    return data_->name.empty() ? data_->address : data_->name;
  }
  std::string Address() override { return item_->Check(), data_->address; }
  mail::RecipientType Type() override { return item_->Check(), data_->type; }
  void SetType(mail::RecipientType type) override {
    item_->Check();
    if (type != mail::RecipientType::kTo && type != mail::RecipientType::kCc &&
        type != mail::RecipientType::kBcc) {
      throw Error(ErrorCode::kInvalidCall,
                  "recipient type " + std::to_string(static_cast<int>(type)));
    }
    data_->type = type;
    item_->MarkRecipientsChanged();
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
  std::shared_ptr<RecipientData> data_;
};

class LocalRecipients final : public mail::Recipients {
 public:
  explicit LocalRecipients(std::shared_ptr<LocalMailItem> item) : item_(std::move(item)) {}
  int Count() override { return item_->Check(), static_cast<int>(item_->recipients().size()); }
  std::shared_ptr<mail::Recipient> Item(int index) override {
    item_->Check();
    return std::make_shared<LocalRecipient>(item_, At(item_->recipients(), "Recipients", index));
  }
  std::shared_ptr<mail::Recipient> Add(std::string_view address) override {
    item_->Check();
    auto data = std::make_shared<RecipientData>(ParseRecipient(address));
    item_->recipients().push_back(data);
    item_->MarkRecipientsChanged();
    return std::make_shared<LocalRecipient>(item_, data);
  }
  void Remove(int index) override {
    item_->Check();
    At(item_->recipients(), "Recipients", index);
    item_->recipients().erase(item_->recipients().begin() + (index - 1));
    item_->MarkRecipientsChanged();
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
};

class LocalAttachment final : public mail::Attachment {
 public:
  LocalAttachment(std::shared_ptr<LocalMailItem> item, std::shared_ptr<AttachmentData> data)
      : item_(std::move(item)), data_(std::move(data)) {}
  std::string FileName() override { return item_->Check(), data_->file_name; }
  std::string DisplayName() override { return item_->Check(), data_->file_name; }
  void SaveAsFile(std::string_view path) override {
    item_->Check()->fs().WriteFile(path, data_->content);
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
  std::shared_ptr<AttachmentData> data_;
};

class LocalAttachments final : public mail::Attachments {
 public:
  explicit LocalAttachments(std::shared_ptr<LocalMailItem> item) : item_(std::move(item)) {}
  int Count() override { return item_->Check(), static_cast<int>(item_->attachments().size()); }
  std::shared_ptr<mail::Attachment> Item(int index) override {
    item_->Check();
    return std::make_shared<LocalAttachment>(item_, At(item_->attachments(), "Attachments", index));
  }
  std::shared_ptr<mail::Attachment> Add(std::string_view path) override {
    std::shared_ptr<ClientCore> core = item_->Check();
    std::string content = core->fs().ReadFile(path);
    const std::string name = SafeAttachmentName(WinPath::LastComponent(path));
    auto data = std::make_shared<AttachmentData>(
        AttachmentData{name, GuessMimeType(name), std::move(content), std::nullopt});
    item_->attachments().push_back(data);
    item_->MarkAttachmentsChanged();
    return std::make_shared<LocalAttachment>(item_, data);
  }
  void Remove(int index) override {
    item_->Check();
    At(item_->attachments(), "Attachments", index);
    item_->attachments().erase(item_->attachments().begin() + (index - 1));
    item_->MarkAttachmentsChanged();
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
};

class LocalLink final : public mail::Link {
 public:
  LocalLink(std::shared_ptr<LocalMailItem> item, LinkData data)
      : item_(std::move(item)), data_(std::move(data)) {}
  std::string Name() override { return item_->Check(), data_.name; }
  std::shared_ptr<mail::Item> Item() override {
    return FindItemAnywhere(item_->Check(), data_.entry_id);
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
  LinkData data_;
};

class LocalLinks final : public mail::Links {
 public:
  explicit LocalLinks(std::shared_ptr<LocalMailItem> item) : item_(std::move(item)) {}
  int Count() override { return item_->Check(), static_cast<int>(item_->links().size()); }
  std::shared_ptr<mail::Link> Item(int index) override {
    item_->Check();
    return std::make_shared<LocalLink>(item_, At(item_->links(), "Links", index));
  }
  std::shared_ptr<mail::Link> Add(std::shared_ptr<mail::Item> linked) override {
    item_->Check();
    if (!linked || linked->EntryID().empty()) throw Error(ErrorCode::kInvalidCall, "Links.Add");
    std::shared_ptr<mail::ContactItem> contact = mail::AsContactItem(linked);
    LinkData data{linked->EntryID(), contact ? contact->FullName() : linked->Subject()};
    item_->links().push_back(data);
    item_->MarkLinksChanged();
    return std::make_shared<LocalLink>(item_, std::move(data));
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
};

// The word processor is not here: this document stands in for it, over the item's text body,
// so the word-editor path of the system runs end to end.
class LocalWordDocument final : public mail::WordDocument {
 public:
  explicit LocalWordDocument(std::shared_ptr<LocalMailItem> item) : item_(std::move(item)) {}
  std::string Content() override {
    item_->Check();
    return item_->Body();
  }
  void Copy() override { item_->Check()->clipboard = item_->Body(); }
  std::string ApplicationVersion() override { return item_->WordVersion(); }
  void SaveAs(std::string_view path, int format) override {
    std::shared_ptr<ClientCore> core = item_->Check();
    if (format != mail::kWordFormatHtml && format != mail::kWordFormatFilteredHtml) {
      throw Error(ErrorCode::kInvalidCall, "WordDocument.SaveAs format " + std::to_string(format));
    }
    std::string html = "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n</head>\r\n<body>\r\n";
    for (const std::string& line : text::Split(item_->Body(), "\r\n")) {
      html += "<p>" + text::EscapeHtml(line) + "</p>\r\n";
    }
    html += "</body>\r\n</html>\r\n";
    core->fs().WriteFile(path, html);
  }

 private:
  std::shared_ptr<LocalMailItem> item_;
};

class LocalInspector final : public mail::Inspector {
 public:
  explicit LocalInspector(std::weak_ptr<LocalMailItem> item) : item_(std::move(item)) {}
  mail::EditorType EditorType() override { return Item()->Editor(); }
  bool IsWordMail() override { return Item()->Editor() == mail::EditorType::kWord; }
  std::shared_ptr<mail::WordDocument> WordEditor() override {
    std::shared_ptr<LocalMailItem> item = Item();
    if (item->Editor() != mail::EditorType::kWord) return nullptr;
    return std::make_shared<LocalWordDocument>(item);
  }

 private:
  std::shared_ptr<LocalMailItem> Item() {
    std::shared_ptr<LocalMailItem> item = item_.lock();
    if (!item) throw Error("The item has been moved or deleted.");
    return item;
  }
  std::weak_ptr<LocalMailItem> item_;
};

}  // namespace

std::shared_ptr<mail::Recipients> MakeRecipients(std::shared_ptr<LocalMailItem> item) {
  return std::make_shared<LocalRecipients>(std::move(item));
}

std::shared_ptr<mail::Attachments> MakeAttachments(std::shared_ptr<LocalMailItem> item) {
  return std::make_shared<LocalAttachments>(std::move(item));
}

std::shared_ptr<mail::Links> MakeLinks(std::shared_ptr<LocalMailItem> item) {
  return std::make_shared<LocalLinks>(std::move(item));
}

std::shared_ptr<mail::Inspector> MakeInspector(std::weak_ptr<LocalMailItem> item) {
  return std::make_shared<LocalInspector>(std::move(item));
}

}  // namespace vellumo::localmail
