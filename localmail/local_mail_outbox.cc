// The Outbox part of sending a mail item: queueing, claims, the transmitted flag and filing, all
// by renaming (see local_client.h and maildir.h).
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "localmail/local_folders.h"
#include "localmail/local_mail_item.h"
#include "localmail/maildir.h"
#include "platform/file_system.h"

namespace vellumo::localmail {

void LocalMailItem::MoveToOutbox(ClientCore& core) {
  std::shared_ptr<LocalFolder> outbox = MakeStandardFolder(core_, mail::DefaultFolder::kOutbox);
  if (folder_->Is(mail::DefaultFolder::kOutbox) && !unique_.empty()) {
    Store(core);
    ClaimOrThrow(core);
    return;
  }
  WriteModel();
  message_.SetPrivateHeader(header::kQueued, std::to_string(core.QueueTime()));
  const std::string bytes = message_.Serialize(false);
  const std::string folder = outbox->Path();
  if (!Maildir::Exists(core.fs(), folder)) Maildir::Create(core.fs(), folder);
  Maildir box(core.fs(), folder);
  std::string unique = unique_.empty() ? core.NewUnique() : unique_;
  if (box.Find(unique)) unique = core.NewUnique();
  // In the Outbox first, then out of the old folder: a failure in between leaves two copies,
  // never none. It arrives claimed: no flush takes it up while this process sends it.
  const std::string path = box.DeliverClaimed(unique, bytes, "S", core.ClaimTag());
  const std::string old_path = std::exchange(path_, path);
  folder_ = outbox;
  unique_ = std::move(unique);
  stored_revision_ = message_.Revision();
  if (old_path.empty()) return;
  try {
    core.fs().RemoveFile(old_path);
  } catch (const Error& e) {
    core.NoteProblem(old_path + ": the copy left behind when the message moved to the Outbox " +
                     "could not be removed: " + e.what());
  }
}

void LocalMailItem::ClaimOrThrow(ClientCore& core) {
  std::optional<std::string> claimed =
      Maildir(core.fs(), folder_->Path()).Claim(path_, core.ClaimTag());
  if (!claimed) throw Error(path_ + ": the message is being sent by another process, or is gone");
  path_ = std::move(*claimed);
}

void LocalMailItem::ReleaseClaim(ClientCore& core) {
  try {
    if (auto released = Maildir(core.fs(), folder_->Path()).Release(path_)) path_ = *released;
  } catch (const Error& e) {
    // A claim of a process that has ended is released by the next flush.
    core.NoteProblem(path_ + ": could not release the claim on the message: " + e.what());
  }
}

bool LocalMailItem::Transmitted() const {
  return ParseMaildirPath(path_).flags.find(kTransmittedFlag) != std::string::npos ||
         message_.PrivateHeader(header::kTransmitted).has_value();
}

void LocalMailItem::SendClaimed(ClientCore& core) {
  Transmit(core);
  MarkTransmitted(core);
  FileSent(core);
}

void LocalMailItem::Transmit(ClientCore& core) {
  const Envelope envelope = MessageEnvelope();
  try {
    core.Transmit(envelope, message_.Serialize(true));
  } catch (const Error& e) {
    std::string reason = e.what();
    message_.SetPrivateHeader(header::kSendError, reason);
    try {
      Maildir(core.fs(), folder_->Path()).Replace(path_, message_.Serialize(false));
    } catch (const Error& write_error) {
      reason += std::string(" (the reason could not be recorded with the message: ") +
                write_error.what() + ")";
    }
    ReleaseClaim(core);
    throw QueuedError(reason);
  }
}

void LocalMailItem::MarkTransmitted(ClientCore& core) {
  // A rename needs no free space: the mark holds when the disk has filled meanwhile.
  try {
    const std::string flags = ParseMaildirPath(path_).flags;
    if (auto marked = Maildir(core.fs(), folder_->Path())
                          .SetFlags(path_, WithFlag(flags, kTransmittedFlag))) {
      path_ = *marked;
    }
  } catch (const Error& e) {
    core.NoteProblem(path_ +
                     ": sent, but the Outbox copy could not be marked as sent: " + e.what());
  }
}

void LocalMailItem::RecordEnvelopeRecipients() {
  const Envelope envelope = MessageEnvelope();
  const std::vector<MimeRecipient> listed = message_.Recipients();
  for (const std::string& address : envelope.recipients) {
    const bool seen = std::any_of(listed.begin(), listed.end(), [&](const MimeRecipient& r) {
      return text::EqualsText(r.address, address);
    });
    if (!seen) message_.AddRecipient({"", address, RecipientType::kBcc});
  }
}

void LocalMailItem::FileSent(ClientCore& core) {
  FileSystem& fs = core.fs();
  // Transmitted: whatever filing does, the object no longer answers once it is done.
  struct MarkGone {
    bool& gone;
    ~MarkGone() { gone = true; }
  } mark_gone{gone_};
  if (DeleteAfterSubmit()) {
    try {
      fs.RemoveFile(path_);
    } catch (const Error& e) {
      ReleaseClaim(core);
      core.NoteProblem(path_ + ": sent, but could not be removed from the Outbox: " + e.what());
    }
    return;
  }
  RecordEnvelopeRecipients();
  for (std::string_view name : {header::kUnsent, header::kSendError, header::kEnvelopeFrom,
                                header::kEnvelopeTo, header::kTransmitted, header::kQueued}) {
    message_.RemovePrivateHeader(name);
  }
  const std::string folder = MakeStandardFolder(core_, mail::DefaultFolder::kSentMail)->Path();
  try {
    if (!Maildir::Exists(fs, folder)) Maildir::Create(fs, folder);
    Maildir box(fs, folder);
    // Already there: an earlier run filed it and ended before it left the Outbox.
    box.DeliverIfAbsent(unique_, message_.Serialize(false), "S");
  } catch (const Error& e) {
    ReleaseClaim(core);
    core.NoteProblem(std::string("The message was sent, but could not be filed in Sent Items (") +
                     e.what() + "); it stays in the Outbox and the next flush files it.");
    return;
  }
  try {
    fs.RemoveFile(path_);
  } catch (const Error& e) {
    ReleaseClaim(core);
    core.NoteProblem(path_ +
                     ": sent and filed, but could not be removed from the Outbox: " + e.what());
  }
}

}  // namespace vellumo::localmail
