#include "common/diagnostics/report_mail.h"

#include <memory>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/diagnostics/error_record.h"
#include "common/settings/keys.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo {

ReportMail::ReportMail(ReportMailOptions options, Settings& settings, mail::Application* mail,
                       Guard guard)
    : options_(options), settings_(settings), mail_(mail), guarded_(std::move(guard)) {}

void ReportMail::Send(const FailureReport& report) {
  std::shared_ptr<mail::MailItem> item;
  const bool created = guarded_([&] {
    if (mail_ == nullptr) {
      throw Error(ErrorCode::kCantCreateObject, "mail client");
    }
    item = mail_->CreateMailItem();
    if (!item) {
      throw Error(ErrorCode::kObjectNotSet, "mail item");
    }
  });
  if (!created) {
    return;
  }
  std::shared_ptr<mail::MailItem> target = item;
  if (options_.safe_wrapper) {
    const bool wrapped = guarded_([&] {
      std::shared_ptr<mail::SafeMailItem> safe = mail::CreateSafeMailItem(*mail_);
      safe->SetItem(item);
      target = safe;
    });
    if (!wrapped) {
      return;  // the report goes through the wrapper or not at all
    }
  }

  std::string body = report.record;
  guarded_([&] { body += WordEditorLine(target->GetInspector()->IsWordMail()); });
  if (options_.editor_type_line) {
    guarded_(
        [&] { body += EditorTypeLine(static_cast<int>(target->GetInspector()->EditorType())); });
  }
  if (options_.system_block) {
    body += std::string(text::kCrLf) + report.system_block;
  }

  std::string recipient(keys::EmailAddressNotify.default_value);
  if (options_.recipient_from_setting) {
    guarded_([&] { recipient = settings_.Get(keys::EmailAddressNotify); });
  }
  guarded_([&] { target->SetSubject(kReportSubject); });
  guarded_([&] { target->SetBillingInformation(kReportBilling); });
  guarded_([&] { target->SetDeleteAfterSubmit(true); });
  guarded_([&] { target->SetBody(body); });
  guarded_([&] { target->Recipients()->Add(recipient); });
  guarded_([&] { target->Attachments()->Add(report.log_path); });
  guarded_([&] { target->Send(); });
}

}  // namespace vellumo
