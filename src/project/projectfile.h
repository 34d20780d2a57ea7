// Reading and writing the two tables of a project file.
#pragma once

#include "keyrow.h"
#include "sqlitedb.h"

#include <functional>
#include <memory>
#include <vector>

namespace qlv {

struct StoredKeyRow {
    qint64 rowid = 0;
    KeyRow row;
};

// A project file opened and read whole: the model description and the key rows in storage
// order. Throws StoreError (not a database, a table or column missing) before anything else
// of the program changes.
struct ProjectFileContent {
    std::unique_ptr<SqliteDb> db;
    ModelFields model;
    std::vector<StoredKeyRow> rows;
};

// With onlySlot, the other rows hold their ID alone: for a command that edits one slot and
// writes back only the rows it posted.
ProjectFileContent readProjectFile(const QString& path, std::optional<int> onlySlot = {});
// The model description of a project, checked as readProjectFile checks the whole file (the
// key table's columns and its slot range) without reading the key rows.
ModelFields readProjectModel(const QString& path);

// Writes the given rows over the stored ones, all in one transaction.
void updateKeyRows(SqliteDb& db, const std::vector<StoredKeyRow>& rows);

// Appends rows after the stored ones, in the given order; the caller holds the transaction.
void appendKeyRows(SqliteDb& db, const std::vector<KeyRow>& rows);

// Fills a fresh template copy: appends one ModelInfo row and writes rows[i] over the i-th
// stored KeyInfo row (by position, ID included), reporting each row to progress.
void fillTemplateCopy(SqliteDb& db, const ModelFields& model, const std::vector<KeyRow>& rows,
                      const std::function<void(int)>& progress);

} // namespace qlv
