#pragma once
// A thin owner of a SQLite connection and its prepared statements: errors become false
// returns with the database's message kept, and nothing leaks on an early return.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

class CSqliteStatement {
 public:
  CSqliteStatement() = default;
  CSqliteStatement(sqlite3* db, std::string_view sql);
  ~CSqliteStatement() { sqlite3_finalize(m_stmt); }
  CSqliteStatement(CSqliteStatement&& other) noexcept : m_stmt(other.m_stmt) { other.m_stmt = nullptr; }
  CSqliteStatement& operator=(CSqliteStatement&& other) noexcept;
  CSqliteStatement(const CSqliteStatement&) = delete;
  CSqliteStatement& operator=(const CSqliteStatement&) = delete;

  bool Valid() const { return m_stmt != nullptr; }
  // Parameters count from 1, as in SQL.
  CSqliteStatement& Bind(int index, std::int64_t value);
  CSqliteStatement& Bind(int index, std::string_view text);
  // True while a row is there; false at the end or on an error (Done() tells).
  bool Step();
  bool Done() const { return m_lastCode == SQLITE_DONE; }
  // Runs to the end; true when it got there.
  bool Run();
  void Reset();

  std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
  std::string Text(int column) const;

 private:
  sqlite3_stmt* m_stmt = nullptr;
  int m_lastCode = SQLITE_OK;
};

class CSqliteDb {
 public:
  CSqliteDb() = default;
  ~CSqliteDb() { sqlite3_close_v2(m_db); }
  CSqliteDb(const CSqliteDb&) = delete;
  CSqliteDb& operator=(const CSqliteDb&) = delete;

  bool Open(const std::filesystem::path& file);
  void Close() {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
  }
  bool Exec(std::string_view sql);
  CSqliteStatement Prepare(std::string_view sql) const { return CSqliteStatement(m_db, sql); }
  std::string Error() const { return m_db ? sqlite3_errmsg(m_db) : "no database"; }
  sqlite3* Handle() const { return m_db; }

 private:
  sqlite3* m_db = nullptr;
};

// A transaction rolled back unless committed.
class CSqliteTransaction {
 public:
  explicit CSqliteTransaction(CSqliteDb& db) : m_db(db), m_open(db.Exec("BEGIN IMMEDIATE")) {}
  ~CSqliteTransaction() {
    if (m_open) m_db.Exec("ROLLBACK");
  }
  CSqliteTransaction(const CSqliteTransaction&) = delete;
  CSqliteTransaction& operator=(const CSqliteTransaction&) = delete;
  bool Began() const { return m_open; }
  bool Commit() {
    if (!m_open || !m_db.Exec("COMMIT")) return false;
    m_open = false;
    return true;
  }

 private:
  CSqliteDb& m_db;
  bool m_open;
};

}  // namespace vantrel
