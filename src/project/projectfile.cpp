#include "projectfile.h"

#include <QDir>
#include <QRegularExpression>

namespace qlv {

namespace {

constexpr const char* SelectKeyRows =
    R"(SELECT rowid, "ID", "Function", "Format", "Carry", "IR Data", "Remark" FROM KeyInfo ORDER BY rowid)";
constexpr const char* SelectModelRow =
    R"(SELECT "Module Name", "Type", "Manufactory", "Module ID", "ReCyc", "Remark")"
    R"( FROM ModelInfo ORDER BY rowid LIMIT 1)";
constexpr const char* UpdateKeyRow =
    R"(UPDATE KeyInfo SET "ID" = ?1, "Function" = ?2, "Format" = ?3, "Carry" = ?4,)"
    R"( "IR Data" = ?5, "Remark" = ?6 WHERE rowid = ?7)";
constexpr const char* InsertKeyRow =
    R"(INSERT INTO KeyInfo ("ID", "Function", "Format", "Carry", "IR Data", "Remark"))"
    R"( VALUES (?1, ?2, ?3, ?4, ?5, ?6))";
constexpr const char* InsertModelRow =
    R"(INSERT INTO ModelInfo ("Module Name", "Type", "Manufactory", "Module ID", "ReCyc",)"
    R"( "Remark") VALUES (?1, ?2, ?3, ?4, ?5, ?6))";

ModelFields readModel(SqliteDb& db)
{
    SqliteStatement query = db.prepare(SelectModelRow);
    ModelFields model;
    if (query.step()) {
        model.moduleName = textOf(query.text(0));
        model.type = textOf(query.text(1));
        model.manufactory = textOf(query.text(2));
        model.moduleId = textOf(query.text(3));
        // Range-checked as stored: a cast first would read 4294967297 as 1.
        if (!query.isNull(4)) {
            const qint64 reCyc = query.integer(4);
            if (!query.isInteger(4) || reCyc < 0 || reCyc > 255)
                throw StoreError(QStringLiteral("\"ReCyc\" holds a byte; %1 is out of range.")
                                     .arg(textOf(query.text(4))));
            model.reCyc = int(reCyc);
        }
        model.remark = textOf(query.text(5));
        checkModelFits(model);
    }
    return model;
}

std::vector<StoredKeyRow> readKeyRows(SqliteDb& db, std::optional<int> onlySlot)
{
    SqliteStatement query = db.prepare(SelectKeyRows);
    std::vector<StoredKeyRow> rows;
    std::vector<std::optional<qint64>> ids;
    rows.reserve(512);
    ids.reserve(512);
    while (query.step()) {
        StoredKeyRow stored;
        stored.rowid = query.integer(0);
        ids.push_back(query.isInteger(1) ? std::optional(query.integer(1)) : std::nullopt);
        stored.row.id = int(query.integer(1));
        if (onlySlot && stored.row.id != *onlySlot) {
            rows.push_back(std::move(stored));
            continue;
        }
        stored.row.function = query.text(2);
        stored.row.format = query.text(3);
        stored.row.carry = query.text(4);
        stored.row.irData = query.blob(5);
        stored.row.remark = query.text(6);
        rows.push_back(std::move(stored));
    }
    // Slots are compiled and sent by position: a missing or doubled ID would shift them.
    checkKeyIds(ids);
    return rows;
}

// Files written while "Carry" held six characters refuse the seven of "1844000"; the table is
// rebuilt with the wider column, rowids kept, within the caller's transaction.
void widenCarryColumn(SqliteDb& db)
{
    QString table;
    QStringList indexes;
    {
        SqliteStatement query = db.prepare(
            "SELECT type, sql FROM sqlite_master WHERE tbl_name = 'KeyInfo' AND sql IS NOT NULL");
        while (query.step()) {
            if (textOf(query.text(0)) == u"table")
                table = textOf(query.text(1));
            else
                indexes << textOf(query.text(1));
        }
    }
    static const QRegularExpression sixWide(
        QStringLiteral(R"("Carry"\s+VARCHAR\(6\)\s+CHECK\s*\(\s*length\("Carry"\)\s*<=\s*6\s*\))"));
    if (!table.contains(sixWide))
        return;
    table.replace(sixWide, QStringLiteral(R"("Carry" VARCHAR(7) CHECK (length("Carry") <= 7))"));
    table.replace(QRegularExpression(QStringLiteral(R"(^CREATE TABLE\s+"?KeyInfo"?)")),
                  QStringLiteral("CREATE TABLE KeyInfo_widened"));
    db.exec(table.toUtf8().constData());
    db.exec(R"(INSERT INTO KeyInfo_widened (rowid, "ID", "Function", "Format", "Carry", "IR Data",)"
            R"( "Remark") SELECT rowid, "ID", "Function", "Format", "Carry", "IR Data", "Remark")"
            R"( FROM KeyInfo;)"
            R"( DROP TABLE KeyInfo; ALTER TABLE KeyInfo_widened RENAME TO KeyInfo;)");
    for (const QString& index : indexes)
        db.exec(index.toUtf8().constData());
}

void bindKeyRow(SqliteStatement& statement, const KeyRow& row)
{
    statement.bind(1, qint64(row.id));
    statement.bind(2, row.function);
    statement.bind(3, row.format);
    statement.bind(4, row.carry);
    statement.bind(5, row.irData);
    statement.bind(6, row.remark);
}

// A read's complaint, beginning with the file's name.
template <class Read> auto namingTheFile(const QString& path, const Read& read)
{
    try {
        return read();
    } catch (const StoreError& error) {
        const QString native = QDir::toNativeSeparators(path);
        if (error.text().startsWith(native))
            throw;
        throw StoreError(QStringLiteral("%1: %2").arg(native, error.text()));
    }
}

} // namespace

ProjectFileContent readProjectFile(const QString& path, std::optional<int> onlySlot)
{
    return namingTheFile(path, [&] {
        ProjectFileContent content;
        content.db = std::make_unique<SqliteDb>(path);
        content.model = readModel(*content.db);
        content.rows = readKeyRows(*content.db, onlySlot);
        return content;
    });
}

ModelFields readProjectModel(const QString& path)
{
    return namingTheFile(path, [&] {
        SqliteDb db(path);
        const ModelFields model = readModel(db);
        // Prepared, not run: a missing column fails here as it does for the whole read.
        db.prepare(SelectKeyRows);
        SqliteStatement query = db.prepare(R"(SELECT "ID" FROM KeyInfo ORDER BY rowid)");
        std::vector<std::optional<qint64>> ids;
        ids.reserve(512);
        while (query.step())
            ids.push_back(query.isInteger(0) ? std::optional(query.integer(0)) : std::nullopt);
        checkKeyIds(ids);
        return model;
    });
}

void updateKeyRows(SqliteDb& db, const std::vector<StoredKeyRow>& rows)
{
    SqliteTransaction transaction(db);
    widenCarryColumn(db);
    SqliteStatement update = db.prepare(UpdateKeyRow);
    for (const StoredKeyRow& stored : rows) {
        try {
            bindKeyRow(update, stored.row);
            update.bind(7, stored.rowid);
            update.step();
        } catch (const StoreError& error) {
            throw StoreError(QStringLiteral("Slot %1: %2").arg(stored.row.id).arg(error.text()));
        }
        update.reset();
    }
    transaction.commit();
}

void appendKeyRows(SqliteDb& db, const std::vector<KeyRow>& rows)
{
    SqliteStatement insert = db.prepare(InsertKeyRow);
    for (const KeyRow& row : rows) {
        bindKeyRow(insert, row);
        insert.step();
        insert.reset();
    }
}

void fillTemplateCopy(SqliteDb& db, const ModelFields& model, const std::vector<KeyRow>& rows,
                      const std::function<void(int)>& progress)
{
    SqliteTransaction transaction(db);
    SqliteStatement insertModel = db.prepare(InsertModelRow);
    insertModel.bind(1, std::optional(model.moduleName));
    insertModel.bind(2, std::optional(model.type));
    insertModel.bind(3, std::optional(model.manufactory));
    insertModel.bind(4, std::optional(model.moduleId));
    insertModel.bind(5, qint64(model.reCyc));
    insertModel.bind(6, std::optional(model.remark));
    insertModel.step();

    std::vector<qint64> rowids;
    {
        SqliteStatement query = db.prepare("SELECT rowid FROM KeyInfo ORDER BY rowid");
        while (query.step())
            rowids.push_back(query.integer(0));
    }
    SqliteStatement update = db.prepare(UpdateKeyRow);
    SqliteStatement insert = db.prepare(InsertKeyRow);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // A project with more rows than the template keeps them all.
        SqliteStatement& statement = i < rowids.size() ? update : insert;
        try {
            bindKeyRow(statement, rows[i]);
            if (i < rowids.size())
                statement.bind(7, rowids[i]);
            statement.step();
        } catch (const StoreError& error) {
            throw StoreError(QStringLiteral("Slot %1: %2").arg(rows[i].id).arg(error.text()));
        }
        statement.reset();
        if (progress)
            progress(int(i));
    }
    transaction.commit();
}

} // namespace qlv
