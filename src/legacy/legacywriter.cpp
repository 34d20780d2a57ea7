#include "legacyproject.h"

#include <project/projectfile.h>
#include <project/projecttemplate.h>
#include <project/sqlitedb.h>
#include <project/wholefile.h>

#include <QDir>
#include <QFile>

namespace qlv {

namespace {

constexpr const char* InsertModelRow =
    R"(INSERT INTO ModelInfo ("ID", "Module Name", "Type", "Manufactory", "Module ID", "ReCyc",)"
    R"( "Remark") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7))";

void bindInteger(SqliteStatement& statement, int index, std::optional<qint64> value)
{
    if (value)
        statement.bind(index, *value);
    else
        statement.bind(index, std::optional<QString>());
}

} // namespace

void writeLegacyProject(const LegacyProject& content, const QString& path)
{
    const std::optional<QByteArray> templateBytes = readProjectTemplate();
    if (!templateBytes)
        throw StoreError(QStringLiteral("RES file read error!"));
    buildFileWhole(path, [&](const QString& tempPath) {
        QFile file(tempPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(*templateBytes) != templateBytes->size())
            throw StoreError(QStringLiteral("Cannot write %1: %2")
                                 .arg(QDir::toNativeSeparators(path), file.errorString()));
        file.close();

        SqliteDb db(tempPath);
        // The file is renamed into place only when complete, so it needs no journal.
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        SqliteTransaction transaction(db);
        db.exec("DELETE FROM KeyInfo; DELETE FROM ModelInfo");
        appendKeyRows(db, content.keys);
        SqliteStatement insert = db.prepare(InsertModelRow);
        for (const LegacyModelRow& row : content.models) {
            bindInteger(insert, 1, row.id);
            insert.bind(2, row.moduleName);
            insert.bind(3, row.type);
            insert.bind(4, row.manufactory);
            insert.bind(5, row.moduleId);
            bindInteger(insert, 6, row.reCyc ? std::optional<qint64>(*row.reCyc) : std::nullopt);
            insert.bind(7, row.remark);
            insert.step();
            insert.reset();
        }
        transaction.commit();
    });
}

} // namespace qlv
