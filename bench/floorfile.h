// The floors' file work, written directly against POSIX and SQLite: a file replaced whole
// (temporary beside it, synced once, renamed, folder synced) and the key table's statements.
#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace qlv::floor {

[[noreturn]] inline void die(const char* what)
{
    std::fprintf(stderr, "floor: %s\n", what);
    std::exit(2);
}

inline std::string temporaryBeside(const std::string& path)
{
    return path + ".floor-tmp";
}

inline void syncFolderOf(const std::string& path)
{
    const QString folder = QFileInfo(QString::fromLocal8Bit(path)).absolutePath();
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dir < 0 || ::fsync(dir) != 0)
        die("folder sync");
    ::close(dir);
}

// The temporary file, already written, synced and put in place.
inline void putInPlace(const std::string& temporary, const std::string& path)
{
    const int fd = ::open(temporary.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        die("sync");
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        die("rename");
    syncFolderOf(path);
}

inline void writeBytes(const std::string& path, const char* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        die("create");
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            die("write");
        data += n;
        size -= std::size_t(n);
    }
    ::close(fd);
}

inline void replaceWhole(const std::string& path, const QByteArray& bytes)
{
    const std::string temporary = temporaryBeside(path);
    writeBytes(temporary, bytes.constData(), std::size_t(bytes.size()));
    putInPlace(temporary, path);
}

inline QByteArray readAll(const std::string& path)
{
    QByteArray bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        die("open");
    struct stat st {};
    ::fstat(fd, &st);
    bytes.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n <= 0)
            die("read");
        done += n;
    }
    ::close(fd);
    return bytes;
}

struct Row {
    sqlite3_int64 rowid = 0;
    sqlite3_int64 id = 0;
    std::optional<QString> function, format, carry, remark;
    std::optional<QByteArray> irData;
};

inline sqlite3* openDb(const std::string& path, bool readOnly = false)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        die("sqlite open");
    return db;
}

inline void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        die(sqlite3_errmsg(db));
}

inline sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        die(sqlite3_errmsg(db));
    return statement;
}

inline std::optional<QString> text(sqlite3_stmt* s, int column)
{
    if (sqlite3_column_type(s, column) == SQLITE_NULL)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(s, column));
}

inline std::vector<Row> readRows(sqlite3* db)
{
    sqlite3_stmt* s = prepare(db, R"(SELECT rowid, "ID", "Function", "Format", "Carry", "IR Data",)"
                                  R"( "Remark" FROM KeyInfo ORDER BY rowid)");
    std::vector<Row> rows;
    rows.reserve(512);
    while (sqlite3_step(s) == SQLITE_ROW) {
        Row row;
        row.rowid = sqlite3_column_int64(s, 0);
        row.id = sqlite3_column_int64(s, 1);
        row.function = text(s, 2);
        row.format = text(s, 3);
        row.carry = text(s, 4);
        if (sqlite3_column_type(s, 5) != SQLITE_NULL)
            row.irData = QByteArray(static_cast<const char*>(sqlite3_column_blob(s, 5)),
                                    sqlite3_column_bytes(s, 5));
        row.remark = text(s, 6);
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    return rows;
}

inline std::vector<std::optional<QString>> readModel(sqlite3* db)
{
    sqlite3_stmt* s =
        prepare(db, R"(SELECT "Module Name", "Type", "Manufactory", "Module ID", "ReCyc", "Remark")"
                    R"( FROM ModelInfo ORDER BY rowid LIMIT 1)");
    std::vector<std::optional<QString>> model;
    if (sqlite3_step(s) == SQLITE_ROW)
        for (int c = 0; c < 6; ++c)
            model.push_back(text(s, c));
    sqlite3_finalize(s);
    return model;
}

inline void bindText(sqlite3_stmt* s, int index, const std::optional<QString>& value)
{
    if (!value) {
        sqlite3_bind_null(s, index);
        return;
    }
    const QByteArray utf8 = value->toUtf8();
    sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

inline void updateRows(sqlite3* db, const std::vector<Row>& rows, bool insertModel = false)
{
    exec(db, "BEGIN");
    if (insertModel)
        exec(db, R"(INSERT INTO ModelInfo ("Module Name", "Type", "Manufactory", "Module ID",)"
                 R"( "ReCyc", "Remark") VALUES ('', '', '', '', 0, ''))");
    sqlite3_stmt* s =
        prepare(db, R"(UPDATE KeyInfo SET "ID" = ?1, "Function" = ?2, "Format" = ?3, "Carry" = ?4,)"
                    R"( "IR Data" = ?5, "Remark" = ?6 WHERE rowid = ?7)");
    for (const Row& row : rows) {
        sqlite3_bind_int64(s, 1, row.id);
        bindText(s, 2, row.function);
        bindText(s, 3, row.format);
        bindText(s, 4, row.carry);
        if (row.irData)
            sqlite3_bind_blob(s, 5, row.irData->constData(), int(row.irData->size()),
                              SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(s, 5);
        bindText(s, 6, row.remark);
        sqlite3_bind_int64(s, 7, row.rowid);
        if (sqlite3_step(s) != SQLITE_DONE)
            die(sqlite3_errmsg(db));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    exec(db, "COMMIT");
}

// A copy of source beside path, to be changed and then put in place.
inline std::string copyBeside(const std::string& source, const std::string& path)
{
    const std::string temporary = temporaryBeside(path);
    const QByteArray bytes = readAll(source);
    writeBytes(temporary, bytes.constData(), std::size_t(bytes.size()));
    return temporary;
}

// The 262144-byte image of the rows: each record's 512 bytes, filler where a slot has none.
inline QByteArray imageOf(const std::vector<Row>& rows)
{
    QByteArray image(512 * 512, char(0xFF));
    for (std::size_t n = 0; n < rows.size() && n < 512; ++n)
        if (rows[n].irData && rows[n].irData->size() == 512)
            std::memcpy(image.data() + n * 512, rows[n].irData->constData(), 512);
    return image;
}

} // namespace qlv::floor
