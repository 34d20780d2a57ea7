// A thin RAII layer over the SQLite C API; every failure becomes a StoreError.
#pragma once

#include <core/storeerror.h>

#include <QByteArray>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace qlv {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Binding: index is 1-based as in SQLite; nullopt binds NULL.
    void bind(int index, qint64 value);
    void bind(int index, const std::optional<QString>& text);
    void bind(int index, const std::optional<QByteArray>& bytes);

    bool step(); // true while a row is available
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    bool isInteger(int column) const;
    qint64 integer(int column) const;
    std::optional<QString> text(int column) const;
    std::optional<QByteArray> blob(int column) const;

private:
    [[noreturn]] void fail() const;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

class SqliteDb {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };
    explicit SqliteDb(const QString& path, Mode mode = Mode::ReadWrite);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void exec(const char* sql);
    SqliteStatement prepare(const char* sql) { return SqliteStatement(m_db, sql); }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};

// Rolls back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDb& db);
    ~SqliteTransaction();
    void commit();

private:
    SqliteDb& m_db;
    bool m_done = false;
};

} // namespace qlv
