// `vellumo marketing init|show`: set up and look into the marketing database the add-in writes
// a row to per recipient (Admin Settings "Marketing").
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "common/compose/contact_log.h"
#include "common/settings/listing.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {
namespace {

constexpr char kDefaultTable[] = "marketing";

struct MarketingArgs {
  std::string connection;
  std::string table = kDefaultTable;
  int last = 20;
};

// A value as `settings list` writes fields (TAB, CR, LF, backslash escaped); NULL as NULL.
std::string Field(const std::optional<std::string>& value) {
  return value ? ListField(*value) : "NULL";
}

}  // namespace

void AddMarketingCommands(CLI::App& app, CommandContext& context) {
  auto args = std::make_shared<MarketingArgs>();
  CLI::App* marketing = app.add_subcommand(
      "marketing", "set up and look into the marketing database (Admin Settings \"Marketing\")");
  marketing->require_subcommand(1);

  CLI::App* init = marketing->add_subcommand(
      "init",
      "create the table the add-in writes its rows to (id, Emailaddress, date, template, "
      "bulkmail, program_used, sender)");
  init->add_option("CONNECTION", args->connection,
                   "ODBC connection string, e.g. \"Driver=SQLite3;Database=/path/marketing.db\"")
      ->required();
  init->add_option("TABLE", args->table, "table name")->capture_default_str();
  init->callback([&context, args] {
    compose::CheckMarketingTableName(args->table);
    std::unique_ptr<db::Connection> connection =
        context.Platform().database().Open(args->connection);
    compose::CreateMarketingTable(*connection, args->table);
    std::cout << "created table " << args->table << '\n';
  });

  CLI::App* show =
      marketing->add_subcommand("show", "print the newest rows, oldest first, tab-separated");
  show->add_option("CONNECTION", args->connection, "ODBC connection string")->required();
  show->add_option("TABLE", args->table, "table name")->capture_default_str();
  show->add_option("--last", args->last, "how many rows")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);
  show->callback([&context, args] {
    compose::CheckMarketingTableName(args->table);
    std::unique_ptr<db::Connection> connection =
        context.Platform().database().Open(args->connection);
    const db::Rows rows = compose::LatestMarketingRows(*connection, args->table, args->last);
    for (size_t i = 0; i < rows.columns.size(); ++i) {
      std::cout << (i ? "\t" : "") << rows.columns[i];
    }
    std::cout << '\n';
    for (const auto& row : rows.rows) {
      for (size_t i = 0; i < row.size(); ++i) std::cout << (i ? "\t" : "") << Field(row[i]);
      std::cout << '\n';
    }
  });
}

}  // namespace vellumo::program
