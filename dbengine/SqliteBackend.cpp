#include "dbengine/SqliteBackend.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <array>
#include <map>

#include "dbengine/FieldTypes.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"

namespace qx::dao {

namespace {

[[noreturn]] void Fail(const std::string& utf8Message) { throw EEngineError(Utf8ToAnsi(utf8Message)); }

// A name in double quotes, inner quotes doubled: any text is a valid
// identifier this way except one holding a NUL character.
std::string QuoteIdentifier(std::string_view name) {
  if (name.find('\0') != std::string_view::npos)
    Fail("The name '" + std::string(name.substr(0, name.find('\0'))) + "...' holds a NUL character.");
  std::string out;
  out.reserve(name.size() + 2);
  out.push_back('"');
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// SQLite treats a bare ":memory:" or "" as special and a name starting with
// "file:" as a URI when URIs are enabled; a path with a folder part is
// always a plain file.
std::string PlainFilePath(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

// Finalizes a statement when it goes out of scope.
struct StmtGuard {
  sqlite3_stmt* stmt = nullptr;
  StmtGuard() = default;
  StmtGuard(const StmtGuard&) = delete;
  StmtGuard& operator=(const StmtGuard&) = delete;
  ~StmtGuard() { sqlite3_finalize(stmt); }
};

// Appends "YYYY-MM-DD HH:MM:SS" and ".SSS" when the milliseconds are not 0.
// buf holds at least 24 characters.
bool FormatDateTime(double value, char* buf, int& len) {
  DateParts p;
  if (!DecodeDateTime(value, p)) return false;
  auto put = [&](int v, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
      buf[len + i] = static_cast<char>('0' + v % 10);
      v /= 10;
    }
    len += digits;
  };
  len = 0;
  put(p.year, 4); buf[len++] = '-';
  put(p.month, 2); buf[len++] = '-';
  put(p.day, 2); buf[len++] = ' ';
  put(p.hour, 2); buf[len++] = ':';
  put(p.minute, 2); buf[len++] = ':';
  put(p.second, 2);
  if (p.msec != 0) {
    buf[len++] = '.';
    put(p.msec, 3);
  }
  return true;
}

// The connection and its transaction state, shared by the backend and its
// row writers (a writer may outlive an explicit Close; it then refuses).
class Session {
 public:
  Session(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (db_ == nullptr) return;
    try {
      Close();
    } catch (const std::exception& e) {
      // A destructor cannot raise; a loss not yet reported must still not
      // go unnoticed.
      if (!failureReported_) std::fprintf(stderr, "%s\n", e.what());
    }
  }

  sqlite3* Db() const { return db_; }
  const std::string& Path() const { return path_; }

  void CheckUsable() {
    if (!failure_.empty()) {
      failureReported_ = true;
      Fail(failure_);
    }
    if (db_ == nullptr) Fail("The database '" + path_ + "' is closed.");
  }

  // Prepares a statement; raises with the storage's reason.
  sqlite3_stmt* Prepare(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &stmt, &tail);
    if (rc != SQLITE_OK) {
      std::string msg = sqlite3_errmsg(db_);
      sqlite3_finalize(stmt);
      Fail("Database '" + path_ + "': " + msg + ".");
    }
    return stmt;
  }

  // Runs one statement without results; raises "<what>: <reason>." on failure.
  void Execute(const std::string& sql, const std::string& what) {
    StmtGuard g;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &g.stmt, &tail);
    if (rc == SQLITE_OK) {
      rc = sqlite3_step(g.stmt);
      if (rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    }
    Fail(what + ": " + sqlite3_errmsg(db_) + ".");
  }

  void BeginIfNeeded() {
    if (inTransaction_) return;
    Execute("BEGIN", "Cannot start a transaction in database '" + path_ + "'");
    inTransaction_ = true;
    rowsInTransaction_ = 0;
    nextCommitAt_ = kSqliteBatchRows;
    transactionStart_ = std::chrono::steady_clock::now();
  }

  // Counts a stored row; ends the transaction by count or by time. The row
  // is stored either way: when the commit fails but the transaction stays
  // open (another process holds a lock), it is tried again later; only a
  // commit that lost rows raises.
  void RowStored() {
    ++rowsInTransaction_;
    bool due = rowsInTransaction_ >= nextCommitAt_;
    if (!due && (rowsInTransaction_ & 255) == 0) {
      std::chrono::duration<double> age = std::chrono::steady_clock::now() - transactionStart_;
      due = age.count() >= kSqliteBatchSeconds;
    }
    if (!due) return;
    try {
      Commit();
    } catch (const EEngineError&) {
      if (!failure_.empty()) throw;
      nextCommitAt_ = rowsInTransaction_ + kSqliteBatchRows;
      transactionStart_ = std::chrono::steady_clock::now();
    }
  }

  // After a failed insert: SQLite rolls the whole transaction back on some
  // errors (disk full, I/O error, out of memory). The rows saved since the
  // last commit are then lost; say so, and take no more rows, so that the
  // file never holds a gap.
  std::string NoteFailedInsert() {
    if (inTransaction_ && sqlite3_get_autocommit(db_)) {
      inTransaction_ = false;
      failure_ = "The database '" + path_ + "' lost the " + std::to_string(rowsInTransaction_) +
                 " rows saved since its last commit when the storage failed; it takes no more rows.";
      failureReported_ = true;
      return " " + failure_;
    }
    return "";
  }

  void Commit() {
    if (!inTransaction_) return;
    StmtGuard g;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, "COMMIT", -1, &g.stmt, &tail);
    if (rc == SQLITE_OK) rc = sqlite3_step(g.stmt);
    if (rc == SQLITE_DONE) {
      inTransaction_ = false;
      rowsInTransaction_ = 0;
      return;
    }
    std::string reason = sqlite3_errmsg(db_);
    if (sqlite3_get_autocommit(db_)) {
      inTransaction_ = false;
      failure_ = "The database '" + path_ + "' lost the " + std::to_string(rowsInTransaction_) +
                 " rows saved since its last commit: " + reason + ".";
      failureReported_ = true;
      Fail(failure_);
    }
    Fail("Cannot commit the saved rows to database '" + path_ + "': " + reason + ".");
  }

  void Close() {
    if (db_ == nullptr) return;
    std::string error;
    if (failure_.empty()) {
      try {
        Commit();
      } catch (const EEngineError& e) {
        error = e.Message();
        if (inTransaction_)
          error += " The " + std::to_string(rowsInTransaction_) + " rows saved since the last commit are lost.";
      }
    } else {
      error = failure_;
      failureReported_ = true;
    }
    // Statements still held by row writers keep the connection open until
    // they are finalized (close_v2); the transaction is over either way.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    inTransaction_ = false;
    if (!error.empty()) throw EEngineError(Utf8ToAnsi(error));
  }

 private:
  sqlite3* db_;
  std::string path_;
  bool inTransaction_ = false;
  long long rowsInTransaction_ = 0;
  long long nextCommitAt_ = kSqliteBatchRows;
  std::chrono::steady_clock::time_point transactionStart_;
  std::string failure_;
  bool failureReported_ = false;
};

class SqliteWriter : public RowWriter {
 public:
  SqliteWriter(std::shared_ptr<Session> session, std::string table, std::vector<ColumnSpec> columns)
      : session_(std::move(session)),
        table_(std::move(table)),
        columns_(std::move(columns)),
        dateBuffers_(columns_.size()) {}
  ~SqliteWriter() override {
    sqlite3_finalize(full_);
    for (auto& [mask, stmt] : partial_) sqlite3_finalize(stmt);
  }

  void Insert(const std::vector<StoredValue>& values, const std::vector<uint8_t>& assigned) override {
    session_->CheckUsable();
    bool all = true;
    for (uint8_t a : assigned) all = all && a;
    sqlite3_stmt* stmt = all ? FullStatement() : PartialStatement(assigned);
    session_->BeginIfNeeded();
    int param = 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (!assigned[i]) continue;
      Bind(stmt, ++param, values[i]);
    }
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) {
      std::string reason = sqlite3_errmsg(session_->Db());
      sqlite3_reset(stmt);
      std::string lost = session_->NoteFailedInsert();
      Fail("Cannot save the row in table '" + table_ + "': " + reason + "." + lost);
    }
    sqlite3_reset(stmt);
    session_->RowStored();
  }

 private:
  void Bind(sqlite3_stmt* stmt, int param, const StoredValue& v) {
    int rc = SQLITE_OK;
    switch (v.kind) {
      case StoredValue::Kind::Null:
        rc = sqlite3_bind_null(stmt, param);
        break;
      case StoredValue::Kind::Integer:
        rc = sqlite3_bind_int64(stmt, param, v.integer);
        break;
      case StoredValue::Kind::Real:
        rc = sqlite3_bind_double(stmt, param, v.real);
        break;
      case StoredValue::Kind::DateTime: {
        // One buffer per parameter: it must live until the step.
        char* buf = dateBuffers_[static_cast<size_t>(param - 1)].data();
        int len = 0;
        if (!FormatDateTime(v.real, buf, len))
          Fail("Cannot save the row in table '" + table_ + "': a date lies outside the years 1 to 9999.");
        rc = sqlite3_bind_text(stmt, param, buf, len, SQLITE_STATIC);
        break;
      }
      case StoredValue::Kind::Text:
        // The row's buffers outlive the step; an empty text must not bind as NULL.
        rc = sqlite3_bind_text(stmt, param, v.text.empty() ? "" : v.text.data(), static_cast<int>(v.text.size()),
                               SQLITE_STATIC);
        break;
      case StoredValue::Kind::Bytes:
        rc = v.bytes.empty() ? sqlite3_bind_zeroblob(stmt, param, 0)
                             : sqlite3_bind_blob(stmt, param, v.bytes.data(), static_cast<int>(v.bytes.size()),
                                                 SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK)
      Fail("Cannot save the row in table '" + table_ + "': " + sqlite3_errmsg(session_->Db()) + ".");
  }

  sqlite3_stmt* FullStatement() {
    if (full_ == nullptr) full_ = session_->Prepare(InsertSql(std::vector<uint8_t>(columns_.size(), 1)));
    return full_;
  }

  sqlite3_stmt* PartialStatement(const std::vector<uint8_t>& assigned) {
    auto it = partial_.find(assigned);
    if (it != partial_.end()) return it->second;
    sqlite3_stmt* stmt = session_->Prepare(InsertSql(assigned));
    partial_.emplace(assigned, stmt);
    return stmt;
  }

  std::string InsertSql(const std::vector<uint8_t>& assigned) const {
    std::string names, params;
    int n = 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (!assigned[i]) continue;
      if (n > 0) { names += ", "; params += ", "; }
      names += QuoteIdentifier(columns_[i].name);
      params += "?" + std::to_string(++n);
    }
    if (n == 0) return "INSERT INTO " + QuoteIdentifier(table_) + " DEFAULT VALUES";
    return "INSERT INTO " + QuoteIdentifier(table_) + " (" + names + ") VALUES (" + params + ")";
  }

  std::shared_ptr<Session> session_;
  std::string table_;
  std::vector<ColumnSpec> columns_;
  std::vector<std::array<char, 32>> dateBuffers_;
  sqlite3_stmt* full_ = nullptr;
  std::map<std::vector<uint8_t>, sqlite3_stmt*> partial_;
};

class SqliteBackend : public Backend {
 public:
  explicit SqliteBackend(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  ~SqliteBackend() override = default;  // the session commits and closes

  std::vector<std::string> TableNames() override {
    session_->CheckUsable();
    StmtGuard g;
    g.stmt = session_->Prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "ORDER BY rowid");
    std::vector<std::string> names;
    int rc;
    while ((rc = sqlite3_step(g.stmt)) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(g.stmt, 0);
      names.emplace_back(text ? reinterpret_cast<const char*>(text) : "",
                         static_cast<size_t>(sqlite3_column_bytes(g.stmt, 0)));
    }
    if (rc != SQLITE_DONE)
      Fail("Cannot list the tables of database '" + session_->Path() + "': " + sqlite3_errmsg(session_->Db()) + ".");
    return names;
  }

  std::vector<ColumnSpec> Columns(const std::string& table) override {
    session_->CheckUsable();
    StmtGuard g;
    g.stmt = session_->Prepare("SELECT name, type FROM pragma_table_info(?1)");
    sqlite3_bind_text(g.stmt, 1, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
    std::vector<ColumnSpec> columns;
    int rc;
    while ((rc = sqlite3_step(g.stmt)) == SQLITE_ROW) {
      ColumnSpec c;
      const unsigned char* name = sqlite3_column_text(g.stmt, 0);
      if (name) c.name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(sqlite3_column_bytes(g.stmt, 0)));
      const unsigned char* decl = sqlite3_column_text(g.stmt, 1);
      std::string declared = decl ? reinterpret_cast<const char*>(decl) : "";
      SqliteFieldTypeOf(declared, c.type, c.size);
      c.attributes = NaturalAttributes(c.type);
      columns.push_back(std::move(c));
    }
    if (rc != SQLITE_DONE)
      Fail("Cannot read the fields of table '" + table + "': " + sqlite3_errmsg(session_->Db()) + ".");
    if (columns.empty()) Fail("The table '" + table + "' does not exist.");
    return columns;
  }

  void CreateTable(const std::string& table, const std::vector<ColumnSpec>& columns) override {
    session_->CheckUsable();
    std::string sql = "CREATE TABLE " + QuoteIdentifier(table) + " (";
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) sql += ", ";
      sql += QuoteIdentifier(columns[i].name) + " " + SqliteDeclaredType(columns[i].type, columns[i].size);
    }
    sql += ")";
    // A change of the schema is its own transaction: the rows saved so far
    // are committed first.
    session_->Commit();
    session_->Execute(sql, "Cannot create table '" + table + "'");
  }

  void DropTable(const std::string& table) override {
    session_->CheckUsable();
    session_->Commit();
    session_->Execute("DROP TABLE " + QuoteIdentifier(table), "Cannot delete table '" + table + "'");
  }

  std::unique_ptr<RowWriter> OpenWriter(const std::string& table, const std::vector<ColumnSpec>& columns) override {
    session_->CheckUsable();
    return std::make_unique<SqliteWriter>(session_, table, columns);
  }

  void Commit() override {
    session_->CheckUsable();
    session_->Commit();
  }

  void Close() override { session_->Close(); }

 private:
  std::shared_ptr<Session> session_;
};

// Opens the file with SQLite and checks that it is a database SQLite can
// read and write. `what` starts every message ("Cannot open database 'x'").
std::shared_ptr<Session> OpenSession(const std::string& path, const std::string& what) {
  sqlite3* raw = nullptr;
  // One connection is used by one thread at a time: SQLite's own locking
  // per call (serialized mode) would only cost time.
  int rc = sqlite3_open_v2(PlainFilePath(path).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  auto session = std::make_shared<Session>(raw, path);  // closes raw on every path
  if (raw == nullptr) Fail(what + ": out of memory.");
  if (rc != SQLITE_OK) Fail(what + ": " + sqlite3_errmsg(raw) + ".");
  if (sqlite3_db_readonly(raw, "main") == 1) Fail(what + ": the file is read-only.");
  sqlite3_busy_timeout(raw, 5000);
  // Rows are appended at the end of their table, which needs few pages at a
  // time: a small page cache keeps memory flat from small tables to huge ones.
  session->Execute("PRAGMA cache_size=-512", what);
  // Reading the schema is what proves the file is a database.
  session->Execute("SELECT count(*) FROM sqlite_master", what);
  return session;
}

}  // namespace

bool IsSqliteHeader(std::string_view firstBytes) {
  static constexpr char kMagic[] = "SQLite format 3";  // followed by a NUL byte
  return firstBytes.size() >= sizeof kMagic && std::memcmp(firstBytes.data(), kMagic, sizeof kMagic) == 0;
}

std::unique_ptr<Backend> OpenSqliteBackend(const std::string& path) {
  return std::make_unique<SqliteBackend>(OpenSession(path, "Cannot open database '" + path + "'"));
}

std::unique_ptr<Backend> CreateSqliteBackend(const std::string& path) {
  const std::string what = "Cannot create database '" + path + "'";
  // O_EXCL makes "nothing exists here" and "the file is ours" one step, so
  // no file that appeared meanwhile is ever taken over.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    int err = errno;
    if (err == EEXIST) Fail(what + ": a file already exists at that path.");
    Fail(what + ": " + std::strerror(err) + ".");
  }
  ::close(fd);
  try {
    auto session = OpenSession(path, what);
    // Write the header now, so that the new file is a database even when no
    // table is ever created in it.
    session->Execute("VACUUM", what);
    return std::make_unique<SqliteBackend>(std::move(session));
  } catch (...) {
    ::unlink(path.c_str());  // the empty file made above, nothing else
    throw;
  }
}

std::string SqliteDeclaredType(int type, int size) {
  switch (type) {
    case dbBoolean: return "BOOLEAN";
    case dbLong: return "INTEGER";
    case dbDouble: return "DOUBLE";
    case dbDate: return "DATETIME";
    case dbBinary: return "BINARY(" + std::to_string(size) + ")";
    case dbText: return "VARCHAR(" + std::to_string(size) + ")";
    case dbLongBinary: return "LONGBINARY";
    case dbMemo: return "TEXT";
    case dbVarBinary: return "VARBINARY(" + std::to_string(size) + ")";
    default: Fail("Unknown field type " + std::to_string(type) + ".");
  }
}

void SqliteFieldTypeOf(std::string_view declaredType, int& type, int& size) {
  std::string d;
  for (char c : declaredType) d.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
  while (!d.empty() && d.back() == ' ') d.pop_back();
  size_t start = d.find_first_not_of(' ');
  d = start == std::string::npos ? "" : d.substr(start);
  size = 0;
  // The engine's own types first, with their sizes.
  auto sized = [&](std::string_view prefix, int t) {
    if (d.size() < prefix.size() + 2 || d.compare(0, prefix.size(), prefix) != 0 || d.back() != ')') return false;
    std::string digits = d.substr(prefix.size(), d.size() - prefix.size() - 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    type = t;
    size = std::stoi(digits);
    return true;
  };
  if (d == "BOOLEAN") type = dbBoolean;
  else if (d == "INTEGER") type = dbLong;
  else if (d == "DOUBLE") type = dbDouble;
  else if (d == "DATETIME") type = dbDate;
  else if (d == "LONGBINARY") type = dbLongBinary;
  else if (d == "TEXT") type = dbMemo;
  else if (sized("BINARY(", dbBinary) || sized("VARCHAR(", dbText) || sized("VARBINARY(", dbVarBinary)) {
    if (size <= 0) size = kDefaultVariableSize;
    return;
  }
  // Other tools' types: BOOL, DATE and TIME by name, the rest by SQLite's
  // affinity rules.
  else if (d.find("BOOL") != std::string::npos) type = dbBoolean;
  else if (d.find("DATE") != std::string::npos || d.find("TIME") != std::string::npos) type = dbDate;
  else if (d.find("INT") != std::string::npos) type = dbLong;
  else if (d.find("CHAR") != std::string::npos || d.find("CLOB") != std::string::npos ||
           d.find("TEXT") != std::string::npos) type = dbMemo;
  else if (d.empty() || d.find("BLOB") != std::string::npos) type = dbLongBinary;
  else type = dbDouble;  // REAL, FLOA, DOUB, and NUMERIC affinity
  size = EffectiveFieldSize(type, 0);
}

}  // namespace qx::dao
