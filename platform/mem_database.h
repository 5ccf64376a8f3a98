// MemDatabase: an in-memory Database for tests. It understands no SQL: it keeps every statement
// that ran, with its parameters, and what was committed, so a test can see what a real database
// would have been asked. Queries answer with the rows a test set. Failures are planned: the next
// Open, or the n-th statement run from now, throws the Error a driver would.
//
// A statement inside a transaction counts as committed only at Commit; Rollback, or a
// connection dropped before Commit, discards it, as a real database does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/database.h"

namespace vellumo::db {

class MemDatabase final : public Database {
 public:
  struct Run {
    std::string sql;
    std::vector<Value> params;
  };

  std::unique_ptr<Connection> Open(std::string_view connection_string) override;

  // Every connection string opened, in order.
  const std::vector<std::string>& opened() const { return opened_; }
  // Connections open now.
  int open_connections() const { return open_connections_; }
  // Statements and queries committed (or run outside a transaction), in order.
  const std::vector<Run>& committed() const { return committed_; }
  // How many times Prepare was called.
  int prepared() const { return prepared_; }
  // Transactions begun and committed.
  int transactions() const { return transactions_; }
  int commits() const { return commits_; }

  // The next Open throws Error(message) ("the database is down").
  void FailOpen(std::string message) { fail_open_ = std::move(message); }
  // The n-th statement run from now (1: the next) throws Error(message).
  void FailRun(int n, std::string message);
  // The rows every Query returns.
  void SetQueryRows(Rows rows) { rows_ = std::move(rows); }

 private:
  friend class MemConnection;
  void Ran(Run run, std::vector<Run>* pending);

  std::vector<std::string> opened_;
  std::vector<Run> committed_;
  int open_connections_ = 0;
  int prepared_ = 0;
  int transactions_ = 0;
  int commits_ = 0;
  std::optional<std::string> fail_open_;
  int fail_countdown_ = 0;
  std::string fail_message_;
  Rows rows_;
};

}  // namespace vellumo::db
