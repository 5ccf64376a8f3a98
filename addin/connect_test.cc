// The add-in object and its place in the mail client: created by its programmatic identifier,
// connected (ItemSend wired, the application held), disconnected (unwired), and registered under
// the client's add-in key.
#include "addin/connect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/item_send_fixture.h"
#include "addin/registration.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

class ConnectTest : public SendTest {
 protected:
  ConnectTest() { app_.ItemSend().DisconnectAll(); }  // only the add-in listens here

  std::shared_ptr<Connect> Connected() {
    RegisterConnectClass(app_, env_);
    auto connect = std::dynamic_pointer_cast<Connect>(app_.CreateObject("vellumo.connect"));
    if (connect) connect->OnConnection(app_);
    return connect;
  }
  std::string SupportLog() {
    return fs_.Contents(std::string(WinPath::kProgramFolder) + "\\Support\\SupportLog.txt")
        .value_or("");
  }
};

TEST_F(ConnectTest, CreatedByItsIdentifierItDressesWhatTheClientSends) {
  std::shared_ptr<Connect> connect = Connected();
  ASSERT_NE(connect, nullptr);
  EXPECT_TRUE(connect->connected());
  EXPECT_EQ(connect->application(), &app_);
  EXPECT_EQ(app_.ItemSend().Count(), 1);

  NewMail("<p>Hello</p>")->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].billing_information, kDressedMark);
  EXPECT_THAT(app_.sent()[0].html_body, HasSubstr("<div class=paper>"));
  EXPECT_EQ(connect->send_state().CurrentItem, nullptr);
}

TEST_F(ConnectTest, DisconnectionUnwiresTheEventAndLetsTheApplicationGo) {
  std::shared_ptr<Connect> connect = Connected();
  connect->OnDisconnection(1);
  EXPECT_FALSE(connect->connected());
  EXPECT_EQ(app_.ItemSend().Count(), 0);
  NewMail("<p>Hello</p>")->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].html_body, "<p>Hello</p>");
  connect->OnDisconnection(0);  // harmless when not connected

  connect->OnConnection(app_);
  connect->OnConnection(app_);  // connecting again does not wire twice
  EXPECT_EQ(app_.ItemSend().Count(), 1);
}

TEST_F(ConnectTest, EachObjectIsItsOwnAddInAndADroppedOneNoLongerActs) {
  RegisterConnectClass(app_, env_);
  auto first = app_.CreateObject(Connect::kProgId);
  auto second = app_.CreateObject(Connect::kProgId);
  EXPECT_NE(first, second);
  {
    auto dropped = Connect::Create(env_);
    dropped->OnConnection(app_);
  }
  NewMail("<p>Hello</p>")->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].html_body, "<p>Hello</p>");
}

TEST_F(ConnectTest, ReadsTheApplicationPathAtConnection) {
  Admin("ApplicationPath", "C:\\Corvane");
  std::shared_ptr<Connect> connect = Connected();
  EXPECT_EQ(connect->send_state().ApplicationPath, "C:\\Corvane");
  EXPECT_EQ(connect->diagnostics().application_path(), "C:\\Corvane");
}

TEST_F(ConnectTest, FailuresGoToTheLogAndTheReportQuestionIsTheMessageForm) {
  std::shared_ptr<Connect> connect = Connected();
  auto item = NewMail("<p>Hello</p>");
  app_.FailMember(mail::Member::kMailItemSetHTMLBody, Error(ErrorCode::kPermissionDenied), 1);
  item->Send();
  EXPECT_THAT(SupportLog(), HasSubstr("ol_ItemSend, olSendItem_Err, Permission denied"));
  const auto shown = Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0]["name"], "frmMessage") << "the report is asked through the message form";
  ASSERT_FALSE(app_.sent().empty());
  EXPECT_EQ(app_.sent().back().billing_information, kDressedMark);
}

TEST_F(ConnectTest, TheToolbarAndThePreviewPlugIn) {
  std::shared_ptr<Connect> connect = Connected();
  connect->set_mode_button(&button_);
  connect->set_preview(&preview_);
  Admin("AutoPreview", "True");
  preview_.button = FakePreview::Button::kClose;
  auto item = NewMail("<p>Hello</p>");
  item->Send();
  EXPECT_THAT(app_.sent(), IsEmpty());
  ASSERT_EQ(preview_.setups.size(), 1u);

  User("Template", "");
  item->Send();
  EXPECT_THAT(button_.captions, ::testing::ElementsAre("Vellumo On"));
}

TEST_F(ConnectTest, TheClientsStartConnectsTheAddInsRegisteredToLoad) {
  RegisterConnectClass(app_, env_);
  ASSERT_TRUE(RegisterAddInKey(registry_));
  const std::string other = std::string(kAddInsKey) + "\\Other.Connect";
  const std::string off = std::string(kAddInsKey) + "\\Sleeping.Connect";
  registry_.SetValue(other, "LoadBehavior", RegValue::Dword(3));
  registry_.SetValue(off, "LoadBehavior", RegValue::Dword(2));
  {
    ConnectedAddIns connected = ConnectRegisteredAddIns(app_, registry_);
    ASSERT_EQ(connected.addins().size(), 1u);
    EXPECT_TRUE(connected.addins()[0]->connected());
    EXPECT_EQ(connected.problems(),
              std::vector<std::string>{"Other.Connect: ActiveX component can't create object"});
    EXPECT_EQ(app_.ItemSend().Count(), 1);
    NewMail("<p>Hello</p>")->Send();
    ASSERT_EQ(app_.sent().size(), 1u);
    EXPECT_EQ(app_.sent()[0].billing_information, kDressedMark);
  }
  EXPECT_EQ(app_.ItemSend().Count(), 0) << "disconnected when the client shuts down";

  registry_.SetValue(kAddInKey, "LoadBehavior", RegValue::String("3"));
  EXPECT_TRUE(ConnectRegisteredAddIns(app_, registry_).addins().empty())
      << "only the dword 3 loads an add-in";
}

TEST(AddInKey, WrittenOnTheFirstRunOnlyAsOneTransaction) {
  MemRegistry registry;
  EXPECT_TRUE(RegisterAddInKey(registry, "/opt/vellumo/bin/vellumo"));
  EXPECT_EQ(registry.writes(), 1);
  EXPECT_EQ(registry.GetValue(kAddInKey, "FriendlyName"), RegValue::String("Vellumo Corvane"));
  EXPECT_EQ(registry.GetValue(kAddInKey, "Description"),
            RegValue::String("Add-In Project Template"));
  EXPECT_EQ(registry.GetValue(kAddInKey, "loadbehavior"), RegValue::Dword(3));
  EXPECT_EQ(registry.SubKeys(kAddInsKey), std::vector<std::string>{"Vellumo.Connect"});
  EXPECT_EQ(registry.GetValue("HKCR\\Vellumo.Connect\\CLSID", ""),
            RegValue::String(std::string(kClassId)));
  EXPECT_EQ(registry.GetValue(std::string(kClassKey) + "\\InprocServer32", ""),
            RegValue::String("/opt/vellumo/bin/vellumo"));

  // An administrator switched the add-in off: a later start keeps it so.
  registry.SetValue(kAddInKey, "LoadBehavior", RegValue::Dword(2));
  EXPECT_FALSE(RegisterAddInKey(registry));
  EXPECT_EQ(registry.GetValue(kAddInKey, "LoadBehavior"), RegValue::Dword(2));
  EXPECT_FALSE(AddInRegistered(registry));

  // Unregistered, it stays so at the next start; registered again, it loads.
  UnregisterAddIn(registry);
  EXPECT_FALSE(registry.KeyExists(kAddInKey));
  EXPECT_FALSE(registry.KeyExists(kClassKey));
  EXPECT_FALSE(registry.KeyExists(kProgIdKey));
  EXPECT_FALSE(RegisterAddInKey(registry));
  EXPECT_FALSE(registry.KeyExists(kAddInKey));
  RegisterAddIn(registry, "/usr/bin/vellumo");
  EXPECT_TRUE(AddInRegistered(registry));

  // A home an older version registered (the key without the mark) keeps its key as it is.
  MemRegistry older;
  older.SetValue(kAddInKey, "LoadBehavior", RegValue::Dword(2));
  EXPECT_FALSE(RegisterAddInKey(older));
  EXPECT_EQ(older.GetValue(kAddInKey, "LoadBehavior"), RegValue::Dword(2));

  MemRegistry fresh;
  FaultyRegistry faulty(fresh);
  faulty.Fail(FaultyRegistry::Call::kApply);
  EXPECT_THROW(RegisterAddInKey(faulty), Error);
  EXPECT_FALSE(fresh.KeyExists(kAddInKey)) << "nothing half-written";
  EXPECT_FALSE(fresh.KeyExists(kClassKey));
}

}  // namespace
}  // namespace vellumo::addin::testing
