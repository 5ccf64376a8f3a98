#include "posix/sqlite_registry.h"

#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <unordered_map>
#include <unordered_set>

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace {

// Keys are rows addressed by their folded full path; each names its parent, so the subkeys of a
// key are one index range. Values are addressed by (folded key path, folded name): GetValue is
// one primary-key lookup. Names keep the case they were created with.
//
// A value's data column holds TEXT for strings (multi-string parts each followed by NUL),
// INTEGER for dword and qword, and a BLOB for everything kept as bytes.
constexpr const char* kSchema = R"sql(
CREATE TABLE reg_keys (
  path_fold TEXT NOT NULL PRIMARY KEY,
  parent_fold TEXT REFERENCES reg_keys(path_fold) ON DELETE CASCADE,
  name TEXT NOT NULL
) WITHOUT ROWID;
CREATE INDEX reg_keys_by_parent ON reg_keys(parent_fold);
CREATE TABLE reg_values (
  key_fold TEXT NOT NULL REFERENCES reg_keys(path_fold) ON DELETE CASCADE,
  name_fold TEXT NOT NULL,
  name TEXT NOT NULL,
  type INTEGER NOT NULL,
  data,
  PRIMARY KEY (key_fold, name_fold)
) WITHOUT ROWID;
)sql";

enum Sql {
  kBegin,
  kCommit,
  kGetValue,
  kKeyExists,
  kInsertKey,
  kUpsertValue,
  kDeleteValue,
  kSubKeys,
  kValues,
  kDeleteKeyValues,
  kDeleteTreeValues,
  kTreeKeys,
  kDeleteKey,
  kKeySnapshot,
  kSqlCount,
};

constexpr std::array<const char*, kSqlCount> kSqlText{
    "BEGIN IMMEDIATE",
    "COMMIT",
    "SELECT type, data FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2",
    "SELECT 1 FROM reg_keys WHERE path_fold = ?1",
    "INSERT INTO reg_keys (path_fold, parent_fold, name) VALUES (?1, ?2, ?3) "
    "ON CONFLICT (path_fold) DO NOTHING",
    "INSERT INTO reg_values (key_fold, name_fold, name, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT (key_fold, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2",
    "SELECT name FROM reg_keys WHERE parent_fold = ?1 ORDER BY path_fold",
    "SELECT name, type, data FROM reg_values WHERE key_fold = ?1 ORDER BY name_fold",
    "DELETE FROM reg_values WHERE key_fold = ?1",
    "DELETE FROM reg_values WHERE key_fold >= ?1 AND key_fold < ?2",
    "SELECT path_fold FROM reg_keys WHERE path_fold >= ?1 AND path_fold < ?2",
    "DELETE FROM reg_keys WHERE path_fold = ?1",
    "SELECT name_fold, type, data FROM reg_values WHERE key_fold = ?1",
};

constexpr int kBusyTimeoutMs = 10000;

// The components of a normalized path; its folded form splits alike (folding never adds or
// removes a backslash).
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// The SQLite handle with its cached statements; failures become Errors naming the file.
class Connection {
 public:
  explicit Connection(std::string file) : path(std::move(file)) {}
  // Opened for reading only because the disk is full (see OpenForReadingOnFullDisk).
  bool read_only_full = false;
  ~Connection() {
    for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
    sqlite3_close_v2(db);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  [[noreturn]] void Fail(int rc) const {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string detail = "registry file " + path + ": " + message;
    if (read_only_full) FailDiskFull();
    switch (rc & 0xFF) {
      case SQLITE_FULL:
        throw Error(ErrorCode::kDiskFull, detail);
      case SQLITE_READONLY:
      case SQLITE_PERM:
      case SQLITE_AUTH:
        throw Error(ErrorCode::kPermissionDenied, detail);
      case SQLITE_CANTOPEN:
        throw Error(ErrorCode::kPathFileAccess, detail);
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        throw Error(ErrorCode::kPathFileAccess, detail + " (another process kept it locked)");
      case SQLITE_NOTADB:
        throw Error("The registry file " + path +
                    " is not a SQLite database; it was left as it is");
      case SQLITE_CORRUPT:
        throw Error("The registry file " + path + " is damaged (" + message +
                    "); it was left as it is");
      default:
        throw Error("Registry file " + path + ": " + message);
    }
  }

  void Check(int rc) const {
    if (rc != SQLITE_OK) Fail(rc);
  }

  [[noreturn]] void FailDiskFull() const {
    throw Error(ErrorCode::kDiskFull,
                "registry file " + path + ": no space left to write; it can only be read");
  }

  sqlite3_stmt* Statement(Sql id) {
    if (!statements[id]) {
      Check(sqlite3_prepare_v3(db, kSqlText[id], -1, SQLITE_PREPARE_PERSISTENT, &statements[id],
                               nullptr));
    }
    return statements[id];
  }

  void Exec(const std::string& sql) {
    Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
  }

  int64_t PragmaInt(const char* name);
  std::vector<std::string> Tables();

  std::string path;
  sqlite3* db = nullptr;
  std::array<sqlite3_stmt*, kSqlCount> statements{};
};

int64_t Connection::PragmaInt(const char* name) {
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(db, (std::string("PRAGMA ") + name).c_str(), -1, &statement, nullptr));
  const int rc = sqlite3_step(statement);
  const int64_t value = rc == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
  sqlite3_finalize(statement);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(rc);
  return value;
}

std::vector<std::string> Connection::Tables() {
  std::vector<std::string> names;
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(
      db,
      "SELECT name FROM sqlite_master WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
      -1, &statement, nullptr));
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  }
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) Fail(rc);
  return names;
}

// One use of a cached statement: binds, steps, and resets it when done, so no read stays open.
class Query {
 public:
  Query(Connection& impl, Sql id) : impl_(impl), statement_(impl.Statement(id)) {}
  ~Query() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  // REQUIRES: the bound text and bytes outlive the query.
  Query& Text(int index, std::string_view s) {
    impl_.Check(sqlite3_bind_text64(statement_, index, s.data() ? s.data() : "", s.size(),
                                    SQLITE_STATIC, SQLITE_UTF8));
    return *this;
  }
  Query& Blob(int index, std::string_view bytes) {
    impl_.Check(sqlite3_bind_blob64(statement_, index, bytes.data() ? bytes.data() : "",
                                    bytes.size(), SQLITE_STATIC));
    return *this;
  }
  Query& Int(int index, int64_t n) {
    impl_.Check(sqlite3_bind_int64(statement_, index, n));
    return *this;
  }

  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    impl_.Fail(rc);
  }
  void Run() {
    while (Step()) {
    }
  }

  std::string ColumnText(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return data ? std::string(data, sqlite3_column_bytes(statement_, column)) : std::string();
  }
  int64_t ColumnInt(int column) const { return sqlite3_column_int64(statement_, column); }
  int ColumnType(int column) const { return sqlite3_column_type(statement_, column); }

 private:
  Connection& impl_;
  sqlite3_stmt* statement_;
};

RegValue ReadValue(const Query& query, int type_column, int data_column) {
  RegValue value;
  value.type = static_cast<uint32_t>(query.ColumnInt(type_column));
  switch (query.ColumnType(data_column)) {
    case SQLITE_INTEGER:
      value.number = static_cast<uint64_t>(query.ColumnInt(data_column));
      break;
    case SQLITE_TEXT:
      if (value.kind() == RegType::kMultiString) {
        const std::string joined = query.ColumnText(data_column);
        size_t start = 0;
        for (size_t i = 0; i < joined.size(); ++i) {
          if (joined[i] != '\0') continue;
          value.parts.push_back(joined.substr(start, i - start));
          start = i + 1;
        }
      } else {
        value.text = query.ColumnText(data_column);
      }
      break;
    default:
      value.bytes = query.ColumnText(data_column);
  }
  return value;
}

// Binds a Normalized() value; scratch holds what the binding points to.
void BindValue(Query& query, int type_index, int data_index, const RegValue& value,
               std::string& scratch) {
  query.Int(type_index, value.type);
  if (value.HoldsBytes()) {
    query.Blob(data_index, value.bytes);
  } else if (value.kind() == RegType::kMultiString) {
    scratch.clear();
    for (const std::string& part : value.parts) scratch.append(part).push_back('\0');
    query.Text(data_index, scratch);
  } else if (value.kind() == RegType::kDword || value.kind() == RegType::kQword) {
    query.Int(data_index, static_cast<int64_t>(value.number));
  } else {
    query.Text(data_index, value.text);
  }
}

// Tells, without a system call, whether any process may have committed to the file since a
// given moment. Every SQL statement takes two file locks (fcntl) to begin and end its read, which
// is most of the cost of a GetValue; the WAL-index header, the first 96 bytes of the shared
// "-shm" memory (two copies of a 48-byte header, in SQLite's documented WAL-index format),
// changes with every transaction any connection commits. We compare it instead.
//
// The memory is SQLite's own mapping, asked for through the connection's file (xShmMap): opening
// and closing the "-shm" file ourselves would drop this process's POSIX locks on it, which SQLite
// relies on. The mapping lives as long as the connection.
class ChangeWatch {
 public:
  using Header = std::array<unsigned char, 48>;

  // Finds the header of a connection that has read in WAL mode; without it, Current() is empty.
  void Attach(sqlite3* db) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap) {
      return;
    }
    constexpr int kRegionSize = 32768;  // SQLite's WAL-index page size
    void volatile* region = nullptr;
    if (file->pMethods->xShmMap(file, 0, kRegionSize, 0, &region) == SQLITE_OK) {
      header_ = static_cast<const volatile unsigned char*>(region);
    }
  }

  // The header now, or nothing while a writer is half-way through updating it.
  std::optional<Header> Current() const {
    if (!header_) return std::nullopt;
    // Read as SQLite's own readers do: the first copy, a barrier, the second copy. A writer
    // updates them in the opposite order, so equal copies are a whole header.
    Header first;
    Header second;
    for (size_t i = 0; i < first.size(); ++i) first[i] = header_[i];
    std::atomic_thread_fence(std::memory_order_acquire);
    for (size_t i = 0; i < second.size(); ++i) second[i] = header_[first.size() + i];
    constexpr size_t kIsInit = 12;
    if (first != second || first[kIsInit] == 0) return std::nullopt;
    return first;
  }

 private:
  const volatile unsigned char* header_ = nullptr;
};

}  // namespace

struct SqliteRegistry::Impl : Connection {
  using Connection::Connection;

  void Open();
  // After Open failed: on a (nearly) full disk, opens the file for reading only and returns true.
  bool OpenForReadingOnFullDisk();
  void CheckSchema(int64_t application_id, int64_t version, const std::vector<std::string>& tables);
  void CreateSchema();

  template <class F>
  void Write(F&& body);
  void EnsureKey(const std::string& normalized, const std::string& fold);
  void Fold(std::string_view key);
  void SetIn(std::string_view key, std::string_view name, const RegValue& value);
  void DeleteValueIn(std::string_view key, std::string_view name);
  void DeleteTreeIn(std::string_view key);

  // The last key path asked for, normalized and folded: readers ask for many values of one key.
  std::string last_key;
  std::string last_normalized;
  std::string last_fold;
  // last_fold as the cache's names begin: its length first, so no two pairs run together.
  std::string key_prefix;
  // The key known to exist inside the running write transaction.
  std::string ensured_fold;

  // Values (or their absence) read while the WAL-index header was cached_under, by the folded
  // key path (length first, so no two pairs run together) and the folded value name.
  static constexpr size_t kMaxCached = 4096;
  ChangeWatch watch;
  bool watch_tried = false;
  std::optional<ChangeWatch::Header> cached_under;
  std::unordered_map<std::string, std::optional<RegValue>> cache;
  // The cache's name of the last value asked for, built in a buffer that stays.
  std::string lookup;
  // Folded key paths whose every value is in the cache: a name not there is absent.
  std::unordered_set<std::string> whole_keys;

  void ForgetCache() {
    cache.clear();
    whole_keys.clear();
    cached_under.reset();
  }
};

void SqliteRegistry::Impl::CheckSchema(int64_t application_id, int64_t version,
                                       const std::vector<std::string>& tables) {
  if (application_id != kApplicationId) {
    throw Error("The file " + path + " is a SQLite database of another program (tables: " +
                text::Join(tables, ", ") + "), not a registry; it was left as it is");
  }
  if (version > kSchemaVersion) {
    throw Error("The registry file " + path + " was written by a newer version (schema " +
                std::to_string(version) + ", this program knows " + std::to_string(kSchemaVersion) +
                "); it was left as it is");
  }
  const std::vector<std::string> expected{"reg_keys", "reg_keys_by_parent", "reg_values"};
  if (version != kSchemaVersion || tables != expected) {
    throw Error("The registry file " + path + " is damaged (schema " + std::to_string(version) +
                ", tables: " + text::Join(tables, ", ") + "); it was left as it is");
  }
}

void SqliteRegistry::Impl::Open() {
  int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    throw Error(ErrorCode::kPathFileAccess, "cannot open the registry file " + path + ": " +
                                                (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  }
  sqlite3_extended_result_codes(db, 1);
  Check(sqlite3_busy_timeout(db, kBusyTimeoutMs));

  // Look before writing anything: a file that is not a registry is refused untouched. The look
  // is one read transaction, so a process creating the schema at this moment is seen before or
  // after, never half way (its tables already there, its identifiers not yet).
  int64_t application_id = 0;
  int64_t version = 0;
  std::vector<std::string> tables;
  Exec("BEGIN");
  try {
    application_id = PragmaInt("application_id");
    version = PragmaInt("user_version");
    tables = Tables();
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  Exec("COMMIT");
  const bool fresh = tables.empty() && application_id == 0 && version == 0;
  if (!fresh) CheckSchema(application_id, version, tables);

  // Switching to WAL needs a moment alone with the file; another process opening it at the same
  // time can make it busy, so try again for a while.
  for (int attempt = 0;; ++attempt) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &statement, nullptr));
    rc = sqlite3_step(statement);
    std::string mode;
    if (rc == SQLITE_ROW) mode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    if (rc == SQLITE_ROW && mode == "wal") break;
    if ((rc & 0xFF) != SQLITE_BUSY && (rc & 0xFF) != SQLITE_LOCKED && rc != SQLITE_ROW) Fail(rc);
    if (attempt * 10 >= kBusyTimeoutMs) {
      throw Error("The registry file " + path + " cannot be shared between processes (" +
                  (mode.empty() ? std::string("another process kept it locked")
                                : "its journal mode stays " + mode) +
                  ")");
    }
    usleep(10000);
  }
  // The log and its shared memory stay between processes, emptied by the last one out: a command
  // that only reads then neither creates nor deletes files beside the registry, and the next
  // start has no old log to replay.
  int persist = 1;
  Check(sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist));
  Exec("PRAGMA journal_size_limit = 0");
  Exec("PRAGMA foreign_keys = ON");
  Exec("PRAGMA synchronous = FULL");
  if (fresh) CreateSchema();
}

bool SqliteRegistry::Impl::OpenForReadingOnFullDisk() {
  // With almost no space left SQLite cannot create the shared-memory and journal files it wants
  // for writing, and even reading fails ("disk I/O error"). Settings must stay readable: open the
  // file as it is, without them; writes then say the disk is full.
  constexpr uint64_t kFullBelowBytes = 256 * 1024;
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct statvfs fs_info;
  if (::statvfs(folder.c_str(), &fs_info) != 0) return false;
  if (static_cast<uint64_t>(fs_info.f_bavail) * fs_info.f_frsize >= kFullBelowBytes) return false;
  if (::access(path.c_str(), R_OK) != 0) return false;
  if (db) {
    for (sqlite3_stmt*& statement : statements) {
      sqlite3_finalize(statement);
      statement = nullptr;
    }
    sqlite3_close_v2(db);
    db = nullptr;
  }
  char* uri = sqlite3_mprintf("file:%q?immutable=1", path.c_str());
  const int rc = sqlite3_open_v2(uri, &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  sqlite3_free(uri);
  if (rc != SQLITE_OK) return false;
  read_only_full = true;
  // Without a shared-memory file there is no change counter to watch: read every time.
  watch_tried = true;
  CheckSchema(PragmaInt("application_id"), PragmaInt("user_version"), Tables());
  return true;
}

void SqliteRegistry::Impl::CreateSchema() {
  Write([&] {
    // Another process may have created the schema since we looked.
    const std::vector<std::string> tables = Tables();
    if (!tables.empty()) {
      CheckSchema(PragmaInt("application_id"), PragmaInt("user_version"), tables);
      return;
    }
    Exec(kSchema);
    for (const char* root : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"}) {
      const std::string fold = text::FoldCase(root);
      Query insert(*this, kInsertKey);
      insert.Text(1, fold).Text(3, root);
      insert.Run();
    }
    Exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    Exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
  });
}

template <class F>
void SqliteRegistry::Impl::Write(F&& body) {
  if (read_only_full) FailDiskFull();
  ForgetCache();
  ensured_fold.clear();
  Query(*this, kBegin).Run();
  try {
    body();
    Query(*this, kCommit).Run();
  } catch (...) {
    ensured_fold.clear();
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  ensured_fold.clear();
}

void SqliteRegistry::Impl::Fold(std::string_view key) {
  if (!last_fold.empty() && key == last_key) return;
  last_fold.clear();
  last_normalized = NormalizeKeyPath(key);
  last_fold = text::FoldCase(last_normalized);
  key_prefix = std::to_string(last_fold.size()) + ":" + last_fold;
  last_key = key;
}

void SqliteRegistry::Impl::EnsureKey(const std::string& normalized, const std::string& fold) {
  if (fold == ensured_fold) return;
  bool exists;
  {
    Query query(*this, kKeyExists);
    query.Text(1, fold);
    exists = query.Step();
  }
  if (!exists) {
    CheckKeyLimits(normalized);
    const std::vector<std::string_view> names = Components(normalized);
    const std::vector<std::string_view> folds = Components(fold);
    size_t end = folds[0].size();
    for (size_t i = 1; i < names.size(); ++i) {
      const std::string_view parent = std::string_view(fold).substr(0, end);
      end += 1 + folds[i].size();
      Query insert(*this, kInsertKey);
      insert.Text(1, std::string_view(fold).substr(0, end)).Text(2, parent).Text(3, names[i]);
      insert.Run();
    }
  }
  ensured_fold = fold;
}

void SqliteRegistry::Impl::SetIn(std::string_view key, std::string_view name,
                                 const RegValue& value) {
  const RegValue normalized = value.Normalized();
  CheckValueLimits(name, normalized);
  Fold(key);
  EnsureKey(last_normalized, last_fold);
  const std::string name_fold = text::FoldCase(name);
  std::string scratch;
  Query upsert(*this, kUpsertValue);
  upsert.Text(1, last_fold).Text(2, name_fold).Text(3, name);
  BindValue(upsert, 4, 5, normalized, scratch);
  upsert.Run();
}

void SqliteRegistry::Impl::DeleteValueIn(std::string_view key, std::string_view name) {
  Fold(key);
  const std::string name_fold = text::FoldCase(name);
  Query remove(*this, kDeleteValue);
  remove.Text(1, last_fold).Text(2, name_fold);
  remove.Run();
}

void SqliteRegistry::Impl::DeleteTreeIn(std::string_view key) {
  Fold(key);
  if (IsRootKey(last_normalized)) {
    throw Error(ErrorCode::kPermissionDenied,
                "the registry root " + last_normalized + " cannot be deleted");
  }
  const std::string fold = last_fold;
  // Every key below has the prefix "fold\"; ']' is the character after '\'.
  const std::string below = fold + "\\";
  const std::string after = fold + "]";
  Query(*this, kDeleteKeyValues).Text(1, fold).Run();
  Query(*this, kDeleteTreeValues).Text(1, below).Text(2, after).Run();
  // Deepest first (a child's path is longer than its parent's), so no deletion cascades: a
  // cascade nests one trigger level per level of the tree, which SQLite stops at 1,000 levels
  // and which costs the square of the depth before that.
  std::vector<std::string> keys;
  {
    Query below_keys(*this, kTreeKeys);
    below_keys.Text(1, below).Text(2, after);
    while (below_keys.Step()) keys.push_back(below_keys.ColumnText(0));
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& below_key : keys) Query(*this, kDeleteKey).Text(1, below_key).Run();
  Query(*this, kDeleteKey).Text(1, fold).Run();
  ensured_fold.clear();
}

SqliteRegistry::SqliteRegistry(std::string path) : impl_(std::make_unique<Impl>(std::move(path))) {
  try {
    impl_->Open();
  } catch (const Error&) {
    if (!impl_->OpenForReadingOnFullDisk()) throw;
  }
}

SqliteRegistry::~SqliteRegistry() = default;

const std::string& SqliteRegistry::path() const { return impl_->path; }

std::optional<RegValue> SqliteRegistry::GetValue(std::string_view key, std::string_view name) {
  Impl& impl = *impl_;
  impl.Fold(key);
  const std::string name_fold = text::FoldCase(name);
  const std::string& key_prefix = impl.key_prefix;
  const std::optional<ChangeWatch::Header> now = impl.watch.Current();
  // The cache's name of the value, built in a buffer that stays: a send reads a few hundred.
  impl.lookup.assign(key_prefix).append(name_fold);
  if (!now || now != impl.cached_under) {
    impl.cache.clear();
    impl.whole_keys.clear();
    impl.cached_under = now;
  } else if (auto hit = impl.cache.find(impl.lookup); hit != impl.cache.end()) {
    return hit->second;
  } else if (impl.whole_keys.contains(impl.last_fold)) {
    return std::nullopt;
  }

  std::optional<RegValue> value;
  if (!now) {
    // Nothing can be kept without the header to check it against: this one value only.
    Query query(impl, kGetValue);
    query.Text(1, impl.last_fold).Text(2, name_fold);
    if (query.Step()) value = ReadValue(query, 0, 1);
  } else {
    // Readers ask for many values of one key (a send reads a few hundred settings from a few
    // sections): the whole key in one query, kept while the file is unchanged.
    if (impl.cache.size() >= Impl::kMaxCached) {
      impl.cache.clear();
      impl.whole_keys.clear();
    }
    bool whole = true;
    Query query(impl, kKeySnapshot);
    query.Text(1, impl.last_fold);
    while (query.Step()) {
      std::string fold = query.ColumnText(0);
      RegValue read = ReadValue(query, 1, 2);
      if (fold == name_fold) value = read;
      if (impl.cache.size() >= Impl::kMaxCached) {
        whole = false;  // a key too large to keep: what is not kept is asked again
        continue;
      }
      impl.cache.insert_or_assign(key_prefix + fold, std::move(read));
    }
    if (whole) {
      impl.whole_keys.insert(impl.last_fold);
    } else if (!value && impl.cache.size() < Impl::kMaxCached) {
      impl.cache.emplace(key_prefix + name_fold, std::nullopt);
    }
  }
  if (!impl.watch_tried) {
    // Our connection has read in WAL mode now, so its shared memory is mapped.
    impl.watch_tried = true;
    impl.watch.Attach(impl.db);
  }
  return value;
}

void SqliteRegistry::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  impl_->Write([&] { impl_->SetIn(key, name, value); });
}

void SqliteRegistry::DeleteValue(std::string_view key, std::string_view name) {
  impl_->Write([&] { impl_->DeleteValueIn(key, name); });
}

bool SqliteRegistry::KeyExists(std::string_view key) {
  impl_->Fold(key);
  Query query(*impl_, kKeyExists);
  query.Text(1, impl_->last_fold);
  return query.Step();
}

void SqliteRegistry::CreateKey(std::string_view key) {
  impl_->Write([&] {
    impl_->Fold(key);
    impl_->EnsureKey(impl_->last_normalized, impl_->last_fold);
  });
}

void SqliteRegistry::DeleteKeyTree(std::string_view key) {
  impl_->Write([&] { impl_->DeleteTreeIn(key); });
}

std::vector<std::string> SqliteRegistry::SubKeys(std::string_view key) {
  impl_->Fold(key);
  std::vector<std::string> names;
  Query query(*impl_, kSubKeys);
  query.Text(1, impl_->last_fold);
  while (query.Step()) names.push_back(query.ColumnText(0));
  return names;
}

std::vector<std::pair<std::string, RegValue>> SqliteRegistry::Values(std::string_view key) {
  impl_->Fold(key);
  std::vector<std::pair<std::string, RegValue>> values;
  Query query(*impl_, kValues);
  query.Text(1, impl_->last_fold);
  while (query.Step()) values.emplace_back(query.ColumnText(0), ReadValue(query, 1, 2));
  return values;
}

void SqliteRegistry::Apply(const std::vector<RegOp>& ops) {
  impl_->Write([&] {
    for (const RegOp& op : ops) {
      switch (op.kind) {
        case RegOp::Kind::kCreateKey:
          impl_->Fold(op.key);
          impl_->EnsureKey(impl_->last_normalized, impl_->last_fold);
          break;
        case RegOp::Kind::kSetValue:
          impl_->SetIn(op.key, op.name, op.value);
          break;
        case RegOp::Kind::kDeleteValue:
          impl_->DeleteValueIn(op.key, op.name);
          break;
        case RegOp::Kind::kDeleteKeyTree:
          impl_->DeleteTreeIn(op.key);
          break;
      }
    }
  });
}

}  // namespace vellumo
