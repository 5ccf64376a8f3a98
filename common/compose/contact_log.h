// ContactLog: the contact and marketing features of a real send (contact_hooks.h).
//
// Contact mode (Admin Settings "Marketing" is "Enterprise"): the contact placeholders are filled
// from the contact the mail was created from (the item's first link), else from the mail itself,
// and a dated line "[Dec-08-26 07:55 PM] Subject: body" is put in front of that contact's notes
// when User Settings "LogContactNotes" is "True". Subject and body together are kept within
// kNotesTextLimit characters (the body is cut), so a long mail never floods the notes.
//
// Marketing mode ("Marketing" a description
// "Mode|ON#Conn|<connection>#Table|<table>#Field|<name>|", read once by Get_Marketing_Info):
// "[#<name>#]" is filled with the first recipient's address and one row per recipient goes into
// <table> of the outside database, all rows of a send in one transaction through one prepared
// statement, values bound (never pasted into the SQL), so an address or subject holding a quote is
// stored as written. Any failure of the step throws, and the composition then logs it and sends the
// user's own text.
//
// Contact mode switches marketing mode off for the add-in's life. Not thread-safe: used on the
// mail client's user-interface thread.
#pragma once

#include <string>
#include <string_view>

#include "common/compose/contact_hooks.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/database.h"
#include "platform/mailclient/application.h"

namespace vellumo::compose {

inline constexpr std::string_view kMarketingInfoWhere = "Get_Marketing_Info";
inline constexpr std::string_view kMarketingInfoLabel = "Marketing_err";
inline constexpr std::string_view kNotContactFolder = "Mail not created from a contact item";
inline constexpr std::string_view kProgramUsed = "Vellumo";
inline constexpr int kNotesTextLimit = 85;

// The marketing state, as Get_Marketing_Info leaves it.
struct MarketingInfo {
  bool on = false;
  std::string connection;   // the database's connection string; empty: no rows written
  std::string table;        // receives the rows
  std::string placeholder;  // filled as "[#" placeholder "#]"
};

// Admin Settings "Marketing" parsed: fields split at "#", each a label, "|", a value. Empty, or
// "Enterprise", or a first field that is empty or whose value is not exactly "ON": off. When on,
// the other three fields must be there, each with its "|" (else Error(kSubscriptOutOfRange)
// naming the field), and the table name must not hold a quote, ";" or "--" (Error naming it).
MarketingInfo ParseMarketingInfo(std::string_view description);

// Throws Error naming table when it holds a quote, ";" or "--": the table name is the one thing
// pasted into the statements, so it must stay a name.
void CheckMarketingTableName(std::string_view table);

// The SQL of a marketing row, with quoted_date the "date" column in the database's quoting.
std::string MarketingInsertSql(std::string_view table, std::string_view quoted_date);

// A table that fits the marketing row, for an administrator setting one up: the six columns
// (the date as the text the row carries) and an id that numbers the rows in the order written.
// The id is declared the standard way (PostgreSQL and most servers), else SQLite's way. Error
// when the table exists already, or with both databases' answers when neither form works.
void CreateMarketingTable(db::Connection& connection, std::string_view table);

// The newest count rows of table (oldest first): the six columns, ordered by the id when the
// table has one, else as the database returns them.
db::Rows LatestMarketingRows(db::Connection& connection, std::string_view table, int count);

struct ContactLogDeps {
  Settings& settings;
  Clock& clock;
  Log& log;
  // The outside database, opened only when a row is to be written; null: none (a row to write
  // is then an Error).
  db::Database* database = nullptr;
};

class ContactLog final : public ContactHooks {
 public:
  explicit ContactLog(ContactLogDeps deps) : deps_(std::move(deps)) {}

  // Reads "Marketing" into the marketing state. Never throws: a malformed description is logged
  // (kMarketingInfoWhere, kMarketingInfoLabel) and leaves marketing mode off.
  void Get_Marketing_Info();
  const MarketingInfo& marketing() const { return marketing_; }

  // Where the sender of a row (the profile's current user) comes from; null: none, and then
  // a row cannot be written (the step fails as an object-model call does).
  void set_application(mail::Application* application) { application_ = application; }

  std::string ContactStep(std::string_view composed, const SendState& state) override;
  std::string MarketingStep(std::string_view composed, const SendState& state) override;

 private:
  std::string Sender();

  ContactLogDeps deps_;
  MarketingInfo marketing_;
  mail::Application* application_ = nullptr;
};

}  // namespace vellumo::compose
