// The marketing record of a mail to 1,000 recipients: 1,000 rows of the marketing row's shape
// written in one transaction through one prepared statement, on SQLite through its ODBC driver
// and on PostgreSQL when VELLUMO_TEST_PG holds a connection string
// (scripts/pg-test-server run -- build/release/bench/odbc_bench).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "odbc/odbc_database.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

constexpr int kRecipients = 1000;

void WriteRows(benchmark::State& state, const std::string& connection_string) {
  odbc::OdbcDatabase database;
  auto connection = database.Open(connection_string);
  const std::string table = "vellumo_bench" + std::to_string(std::random_device{}() % 1000000);
  const std::string date = connection->QuoteIdentifier("date");
  connection->Execute("CREATE TABLE " + table + " (Emailaddress VARCHAR(320), " + date +
                      " VARCHAR(40), template VARCHAR(255), bulkmail INTEGER,"
                      " program_used VARCHAR(64), sender VARCHAR(320))");
  std::vector<std::vector<db::Value>> rows;
  for (int i = 0; i < kRecipients; ++i) {
    rows.push_back({"recipient" + std::to_string(i) + "@example.com",
                    std::string("12/9/2026 6:31:00 PM"), std::string("Morning Paper.htm"),
                    int64_t{1}, std::string("Vellumo"), std::string("o'brien@example.com")});
  }
  for (auto _ : state) {
    connection->BeginTransaction();
    auto insert = connection->Prepare("INSERT INTO " + table + " (Emailaddress, " + date +
                                      ", template, bulkmail, program_used, sender)"
                                      " VALUES (?, ?, ?, ?, ?, ?)");
    for (const auto& row : rows) insert->Execute(row);
    connection->Commit();
    state.PauseTiming();
    connection->Execute("DELETE FROM " + table);
    state.ResumeTiming();
  }
  connection->Execute("DROP TABLE " + table);
  state.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kRecipients, benchmark::Counter::kIsRate);
}

void BM_MarketingRowsSqlite(benchmark::State& state) {
  const test_support::ScopedTempDir dir("vellumo-odbc-bench");
  WriteRows(state, "Driver=SQLite3;Database=" + (dir / "marketing.db").string());
}
BENCHMARK(BM_MarketingRowsSqlite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarketingRowsPostgres(benchmark::State& state) {
  const char* pg = std::getenv("VELLUMO_TEST_PG");
  if (pg == nullptr || *pg == '\0') {
    state.SkipWithError("VELLUMO_TEST_PG is not set (scripts/pg-test-server run -- odbc_bench)");
    return;
  }
  WriteRows(state, pg);
}
BENCHMARK(BM_MarketingRowsPostgres)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vellumo
