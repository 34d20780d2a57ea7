#include "sqlitedb.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace qlv {

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql)
    : m_db(db)
{
    if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        fail();
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::fail() const
{
    throw StoreError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void SqliteStatement::bind(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail();
}

void SqliteStatement::bind(int index, const std::optional<QString>& text)
{
    int rc;
    if (!text) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        const QByteArray utf8 = text->toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        fail();
}

void SqliteStatement::bind(int index, const std::optional<QByteArray>& bytes)
{
    const int rc = bytes ? sqlite3_bind_blob(m_stmt, index, bytes->constData(), int(bytes->size()),
                                             SQLITE_TRANSIENT)
                         : sqlite3_bind_null(m_stmt, index);
    if (rc != SQLITE_OK)
        fail();
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail();
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SqliteStatement::isInteger(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::optional<QString> SqliteStatement::text(int column) const
{
    if (isNull(column))
        return std::nullopt;
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

std::optional<QByteArray> SqliteStatement::blob(int column) const
{
    if (isNull(column))
        return std::nullopt;
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return size == 0 ? QByteArray("") : QByteArray(data, size);
}

SqliteDb::SqliteDb(const QString& path, Mode mode)
    : m_path(path)
{
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                      : mode == Mode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                             : SQLITE_OPEN_READWRITE;
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (sqlite3_open_v2(native.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        throw StoreError(QStringLiteral("%1: %2").arg(native, message));
    }
    // A double-quoted name that matches no column must be an error, not a string literal.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(m_db, 2000);
}

SqliteDb::~SqliteDb()
{
    sqlite3_close(m_db);
}

void SqliteDb::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        throw StoreError(text);
    }
}

SqliteTransaction::SqliteTransaction(SqliteDb& db)
    : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (!m_done) {
        try {
            m_db.exec("ROLLBACK");
        } catch (const StoreError&) {
            // Nothing more to undo: SQLite has already rolled back on the failing statement.
        }
    }
}

void SqliteTransaction::commit()
{
    m_db.exec("COMMIT");
    m_done = true;
}

} // namespace qlv
