#include "platform/mem_database.h"

#include <utility>

#include "base/error.h"

namespace vellumo::db {

class MemConnection final : public Connection {
 public:
  explicit MemConnection(MemDatabase& db) : db_(db) { ++db_.open_connections_; }
  ~MemConnection() override { --db_.open_connections_; }

  void Execute(std::string_view sql) override { db_.Ran({std::string(sql), {}}, Pending()); }

  std::unique_ptr<Statement> Prepare(std::string_view sql) override;

  Rows Query(std::string_view sql, std::span<const Value> params) override {
    db_.Ran({std::string(sql), {params.begin(), params.end()}}, Pending());
    return db_.rows_;
  }

  void BeginTransaction() override {
    if (in_transaction_) throw Error("MemDatabase: a transaction is already open");
    in_transaction_ = true;
    ++db_.transactions_;
  }
  void Commit() override {
    if (!in_transaction_) throw Error("MemDatabase: no transaction to commit");
    for (MemDatabase::Run& run : pending_) db_.committed_.push_back(std::move(run));
    pending_.clear();
    in_transaction_ = false;
    ++db_.commits_;
  }
  void Rollback() override {
    pending_.clear();
    in_transaction_ = false;
  }

  std::string QuoteIdentifier(std::string_view name) override {
    std::string quoted = "\"";
    for (char c : name) {
      if (c == '"') quoted += '"';
      quoted += c;
    }
    return quoted + '"';
  }

  void RunPrepared(const std::string& sql, std::span<const Value> params) {
    db_.Ran({sql, {params.begin(), params.end()}}, Pending());
  }

 private:
  std::vector<MemDatabase::Run>* Pending() { return in_transaction_ ? &pending_ : nullptr; }

  MemDatabase& db_;
  bool in_transaction_ = false;
  std::vector<MemDatabase::Run> pending_;
};

namespace {

class MemStatement final : public Statement {
 public:
  MemStatement(MemConnection& connection, std::string sql)
      : connection_(connection), sql_(std::move(sql)) {}
  void Execute(std::span<const Value> params) override { connection_.RunPrepared(sql_, params); }

 private:
  MemConnection& connection_;
  std::string sql_;
};

}  // namespace

std::unique_ptr<Statement> MemConnection::Prepare(std::string_view sql) {
  ++db_.prepared_;
  return std::make_unique<MemStatement>(*this, std::string(sql));
}

std::unique_ptr<Connection> MemDatabase::Open(std::string_view connection_string) {
  opened_.emplace_back(connection_string);
  if (fail_open_) {
    std::string message = std::move(*fail_open_);
    fail_open_.reset();
    throw Error(std::move(message));
  }
  return std::make_unique<MemConnection>(*this);
}

void MemDatabase::FailRun(int n, std::string message) {
  fail_countdown_ = n;
  fail_message_ = std::move(message);
}

void MemDatabase::Ran(Run run, std::vector<Run>* pending) {
  if (fail_countdown_ > 0 && --fail_countdown_ == 0) throw Error(fail_message_);
  (pending != nullptr ? *pending : committed_).push_back(std::move(run));
}

}  // namespace vellumo::db
