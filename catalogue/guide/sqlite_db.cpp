#include "catalogue/guide/sqlite_db.h"

#include <utility>

namespace vantrel {

CSqliteStatement::CSqliteStatement(sqlite3* db, std::string_view sql) {
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) !=
      SQLITE_OK)
    m_stmt = nullptr;
}

CSqliteStatement& CSqliteStatement::operator=(CSqliteStatement&& other) noexcept {
  std::swap(m_stmt, other.m_stmt);
  m_lastCode = other.m_lastCode;
  return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(m_stmt, index, value);
  return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, std::string_view text) {
  // An empty view may have no data at all, which SQLite would store as NULL.
  sqlite3_bind_text(m_stmt, index, text.data() ? text.data() : "", static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

bool CSqliteStatement::Step() {
  if (!m_stmt) {
    m_lastCode = SQLITE_MISUSE;
    return false;
  }
  m_lastCode = sqlite3_step(m_stmt);
  return m_lastCode == SQLITE_ROW;
}

bool CSqliteStatement::Run() {
  while (Step()) {
  }
  const bool done = Done();
  Reset();
  return done;
}

void CSqliteStatement::Reset() {
  if (!m_stmt) return;
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

std::string CSqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

bool CSqliteDb::Open(const std::filesystem::path& file) {
  if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    return false;
  // An import on another connection holds the write lock for a few seconds at most.
  sqlite3_busy_timeout(m_db, 10'000);
  return true;
}

bool CSqliteDb::Exec(std::string_view sql) {
  const std::string text(sql);
  return m_db && sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace vantrel
