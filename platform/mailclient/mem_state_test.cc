// The members a test can fail on the in-memory application: each one is a member the fake really
// checks, and a plan is judged on whether it fired.
#include "platform/mailclient/mem_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/mailclient/mail_client.h"
#include "platform/mailclient/mem_application.h"

namespace vellumo::mail {
namespace {

using ::testing::HasSubstr;
using ::testing::SizeIs;

// Touches every member of the Member table once.
void UseEveryMember(MemApplication& app) {
  (void)app.Version();
  auto mail = AsMailItem(app.CreateItem(ItemType::kMail));
  mail->SetHTMLBody("<p>x</p>");
  (void)mail->HTMLBody();
  (void)mail->Body();
  (void)mail->MessageClass();
  mail->SetBillingInformation("mark");
  (void)mail->UserProperties();
  auto inspector = mail->GetInspector();
  (void)inspector->EditorType();
  (void)inspector->IsWordMail();
  mail->Recipients()->Add("ann@example.com");
  mail->Save();
  (void)app.GetNamespace("MAPI")
      ->GetDefaultFolder(DefaultFolder::kDrafts)
      ->Items()
      ->Restrict("[Subject] = ''");
  auto safe = CreateSafeMailItem(app);  // Application.CreateObject
  safe->SetItem(mail);
  safe->Save();
  safe->Send();  // SafeMailItem.Send, then MailItem.Send

  auto contact = CreateSafeContactItem(app);
  contact->SetItem(app.StandardFolder(DefaultFolder::kContacts)->AddContact({}));
  (void)contact->Email1Address();

  app.SetDefaultEditor(EditorType::kWord);
  auto word_mail = app.CreateMailItem();
  word_mail->GetInspector()->WordEditor()->SaveAs("/tmp/x.htm", 8);
  (void)app.ActiveExplorer()->CommandBars()->Item("Standard")->FindControl("tag");
}

TEST(MemMembers, EveryMemberATestCanFailIsOneTheFakeChecks) {
  MemApplication app;
  UseEveryMember(app);
  std::set<std::string> names;
  for (Member member : AllMembers()) {
    SCOPED_TRACE(std::string(MemberName(member)));
    EXPECT_GT(app.Calls(member), 0) << "a plan on it could never fire";
    EXPECT_TRUE(names.insert(std::string(MemberName(member))).second) << "named twice";
  }
}

TEST(MemMembers, APlannedFailureFiresThenIsJudged) {
  MemApplication app;
  app.FailMember(Member::kMailItemSend, Error(ErrorCode::kPermissionDenied), 1);
  auto mail = app.CreateMailItem();
  mail->Recipients()->Add("ann@example.com");
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(app.Calls(Member::kMailItemSend), 1);
  mail->Send();  // once only
  EXPECT_THAT(app.sent(), SizeIs(1));
  // Optional: this test never shows an explorer's bar, and says so.
  app.FailMember(Member::kCommandBarFindControl, Error(ErrorCode::kObjectNotSet), -1,
                 Firing::kOptional);
}

TEST(MemMembers, AnUnfiredPlanIsReportedWhenTheApplicationGoes) {
  std::vector<std::string> reported;
  static std::vector<std::string>* sink = nullptr;
  sink = &reported;
  const FaultLedger::Reporter previous = FaultLedger::reporter();
  FaultLedger::SetReporter(
      [](const char*, int, const std::string& plan) { sink->push_back(plan); });
  {
    MemApplication app;
    app.FailMember(Member::kItemsRestrict, Error("busy"));
    app.ClearFailure(Member::kItemsRestrict);
  }
  FaultLedger::SetReporter(previous);
  sink = nullptr;
  ASSERT_THAT(reported, SizeIs(1));
  EXPECT_THAT(reported[0], HasSubstr("Items.Restrict"));
}

}  // namespace
}  // namespace vellumo::mail
