// The contact log and the marketing record, through the whole composition (ContactLog as the
// composition's hooks) over an in-memory mail client and database.
#include "common/compose/contact_log.h"

#include <gtest/gtest.h>

#include "common/compose/create_html_body_fixture.h"
#include "platform/mem_database.h"

namespace vellumo::compose {
namespace {

using testing::ComposeTest;
using testing::kTemplate;

TEST(ParseMarketingInfoTest, ReadsTheFourFieldsAndStaysOffUnlessExactlyOn) {
  const MarketingInfo on = ParseMarketingInfo(
      "Mode|ON#Conn|Driver=SQLite3;Database=/m|x.db#Table|sent_log#Field|Recipient|rest");
  EXPECT_TRUE(on.on);
  EXPECT_EQ(on.connection, "Driver=SQLite3;Database=/m|x.db");  // everything after the first "|"
  EXPECT_EQ(on.table, "sent_log");
  EXPECT_EQ(on.placeholder, "Recipient");  // up to the next "|"

  for (const char* off : {"", "Enterprise", "Mode|on#Conn|c#Table|t#Field|f",
                          "#Conn|c#Table|t#Field|f", "Mode|OFF", "Mode|ON "}) {
    EXPECT_FALSE(ParseMarketingInfo(off).on) << off;
  }
  // On, but malformed: an error naming the field; a table name that would end the statement.
  for (const char* bad :
       {"Mode|ON#Conn|c", "Mode|ON#Conn|c#Table t#Field|f", "ON",
        "Mode|ON#Conn|c#Table|t; drop table x#Field|f", "Mode|ON#Conn|c#Table|t'#Field|f"}) {
    EXPECT_THROW(ParseMarketingInfo(bad), Error) << bad;
  }
}

class ContactLogTest : public ComposeTest {
 protected:
  ContactLogTest() {
    fs_.AddFile(kTemplate,
                "<b>[#ContactName#]|[#ContactCompanyName#]|[#ContactFolder#]|[#ContactID#]|"
                "[#ContactFolderID#]|[#SigEmail#]|[#Recipient#]</b> [#Input your message here#]");
    app_.SetCurrentUser("Ada Lovelace", "ada@example.com");
    contacts_.set_application(&app_);
    hooks_ = &contacts_;
    item_->SetSubject("Quarterly figures");
    item_->SetBody("Dear Grace,\r\nthe figures are in.");
  }

  std::shared_ptr<mail::ContactItem> LinkedContact() {
    auto contact =
        std::dynamic_pointer_cast<mail::ContactItem>(app_.CreateItem(mail::ItemType::kContact));
    contact->SetFullName("Grace Hopper");
    contact->SetCompanyName("Navy");
    contact->SetBody("met at the conference");
    contact->Save();
    item_->Links()->Add(contact);
    return contact;
  }
  void Marketing(std::string_view description) {
    Admin("Marketing", description);
    contacts_.Get_Marketing_Info();
  }
  // The notes as saved in the contacts folder.
  std::string Notes() {
    return app_.StandardFolder(mail::DefaultFolder::kContacts)->Items()->Item(1)->Body();
  }

  db::MemDatabase database_;
  ContactLog contacts_{ContactLogDeps{settings_, clock_, log_, &database_}};
};

TEST_F(ContactLogTest, MailNotFromAContactShowsItsOwnSubjectAndWritesNoNotes) {
  Marketing("Enterprise");
  Admin("SigEmail", "info@example.com");
  const std::string out = Compose("Hello there");
  // The company is the first 50 characters of the text composed so far, placeholders and all.
  EXPECT_NE(out.find("<b>Quarterly figures|<b>[#ContactName#]|[#ContactCompanyName#]|[#Contac|"
                     "Mail not created from a contact item|||info@example.com|[#Recipient#]</b>"),
            std::string::npos)
      << out;
  EXPECT_TRUE(database_.opened().empty());
}

TEST_F(ContactLogTest, MailFromAContactFillsItsDetailsAndPutsANotesLineInFront) {
  auto contact = LinkedContact();
  Marketing("Enterprise");
  const std::string out = Compose("Hello there");
  const std::string folder_id = app_.StandardFolder(mail::DefaultFolder::kContacts)->EntryID();
  EXPECT_NE(out.find("<b>Grace Hopper|Navy|Contacts|" + contact->EntryID() + "|" + folder_id + "|"),
            std::string::npos)
      << out;
  EXPECT_EQ(Notes(),
            "[Jan-05-04 02:07 PM] Quarterly figures: Dear Grace, the figures are in.\r\n"
            "met at the conference");

  // A long body is cut so subject and body keep within 85 characters.
  item_->SetBody(std::string(200, 'x'));
  (void)Compose("again");
  const std::string notes = Notes();
  EXPECT_EQ(notes.substr(0, notes.find("\r\n")),
            "[Jan-05-04 02:07 PM] Quarterly figures: " + std::string(85 - 17, 'x'));

  User("LogContactNotes", "False");
  const std::string before = Notes();
  (void)Compose("once more");
  EXPECT_EQ(Notes(), before);
}

TEST_F(ContactLogTest, ContactModeSwitchesMarketingModeOff) {
  Marketing("Mode|ON#Conn|dsn#Table|t#Field|Recipient");
  EXPECT_TRUE(contacts_.marketing().on);
  Admin("Marketing", "Enterprise");  // changed later: the state read at start-up still holds
  (void)Compose("x");
  EXPECT_FALSE(contacts_.marketing().on);
  EXPECT_TRUE(database_.opened().empty());
}

TEST_F(ContactLogTest, ThreeRecipientsGiveThreeRowsInOneTransactionWithBoundValues) {
  for (const char* to : {"o'brien@example.com", "b@example.com", "c@example.com"}) {
    item_->Recipients()->Add(to);
  }
  User("Template", "'); DROP TABLE x; --.htm");
  Marketing("Mode|ON#Conn|Driver=SQLite3;Database=/tmp/m.db#Table|sent_log#Field|Recipient");
  const std::string out = Compose("Hello");
  EXPECT_NE(out.find("|o'brien@example.com</b>"), std::string::npos) << out;

  EXPECT_EQ(database_.opened(), std::vector<std::string>{"Driver=SQLite3;Database=/tmp/m.db"});
  EXPECT_EQ(database_.prepared(), 1);
  EXPECT_EQ(database_.commits(), 1);
  ASSERT_EQ(database_.committed().size(), 3u);
  const db::MemDatabase::Run& first = database_.committed()[0];
  EXPECT_EQ(first.sql,
            "insert into sent_log (Emailaddress, \"date\", template, bulkmail, program_used, "
            "sender) values (?, ?, ?, ?, ?, ?)");
  EXPECT_EQ(first.params,
            (std::vector<db::Value>{std::string("o'brien@example.com"),
                                    std::string("01/05/2004 14:07:09"),
                                    std::string("'); DROP TABLE x; --.htm"), int64_t{1},
                                    std::string("Vellumo"), std::string("ada@example.com")}));
  EXPECT_EQ(std::get<std::string>(database_.committed()[2].params[0]), "c@example.com");
  EXPECT_EQ(database_.open_connections(), 0);
}

TEST_F(ContactLogTest, OneRecipientIsNotBulkAndASenderWithoutAnAddressGoesByName) {
  item_->Recipients()->Add("[#Recipient#]@example.com");  // holds the placeholder: filled once
  app_.SetCurrentUser("Ada Lovelace", "/o=Org/cn=ada");
  Marketing("Mode|ON#Conn|dsn#Table|t#Field|Recipient");
  const std::string out = Compose("Hello");
  EXPECT_NE(out.find("|[#Recipient#]@example.com</b>"), std::string::npos) << out;
  ASSERT_EQ(database_.committed().size(), 1u);
  EXPECT_EQ(database_.committed()[0].params[3], db::Value(int64_t{0}));
  EXPECT_EQ(database_.committed()[0].params[5], db::Value(std::string("Ada Lovelace")));

  // Without a connection string only the placeholder is filled.
  Marketing("Mode|ON#Conn|#Table|t#Field|Recipient");
  (void)Compose("Hello");
  EXPECT_EQ(database_.opened().size(), 1u);
}

TEST_F(ContactLogTest, ADatabaseThatFailsSendsTheUsersTextAndKeepsNoPartOfTheSend) {
  item_->Recipients()->Add("a@example.com");
  item_->Recipients()->Add("b@example.com");
  Marketing("Mode|ON#Conn|dsn#Table|t#Field|Recipient");

  database_.FailOpen("ODBC 08001: could not connect to server");
  EXPECT_EQ(Compose("Hello, as I wrote it"), "Hello, as I wrote it");
  EXPECT_EQ(Logged("error"), std::vector<MemLog::Entry>{
                                 ErrorEntry("ODBC 08001: could not connect to server",
                                            "CreateHTMLBody- eMarketing error", "eMarketing_Err")});

  database_.FailRun(2, "ODBC 23505: duplicate key");
  EXPECT_EQ(Compose("Hello again"), "Hello again");
  EXPECT_TRUE(database_.committed().empty());
  EXPECT_EQ(database_.open_connections(), 0);
}

TEST_F(ContactLogTest, AMalformedDescriptionIsLoggedAndLeavesMarketingOff) {
  Marketing("Mode|ON#Conn|dsn");
  EXPECT_FALSE(contacts_.marketing().on);
  ASSERT_EQ(Logged("error").size(), 1u);
  EXPECT_EQ(Logged("error")[0].b, kMarketingInfoWhere);
  EXPECT_EQ(Logged("error")[0].c, kMarketingInfoLabel);
  (void)Compose("x");
  EXPECT_TRUE(database_.opened().empty());
}

}  // namespace
}  // namespace vellumo::compose
