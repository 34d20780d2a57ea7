// Project files of the Windows version: Jet 4 databases, read with libmdb and written out as
// QLV project files. Only qlvtool links this library. libmdb can crash on a damaged file, so the
// window never reads one itself: it runs "qlvtool convert" as a child process.
#pragma once

#include <project/keyrow.h>

#include <optional>
#include <vector>

namespace qlv {

// One ModelInfo row as stored; every column may be null.
struct LegacyModelRow {
    std::optional<qint64> id;
    std::optional<QString> moduleName;
    std::optional<QString> type;
    std::optional<QString> manufactory;
    std::optional<QString> moduleId;
    std::optional<int> reCyc;
    std::optional<QString> remark;

    bool operator==(const LegacyModelRow&) const = default;
};

// Both tables, rows in storage order, values as stored: null stays null, a short IR Data value
// stays short.
struct LegacyProject {
    std::vector<KeyRow> keys;
    std::vector<LegacyModelRow> models;
};

// Throws StoreError naming the file and what is wrong with it: no Jet 4 database, a table or a
// column missing, a value the project format cannot hold, or damage.
LegacyProject readLegacyProject(const QString& path);

// Writes content as a project file, whole: the template with both tables' rows replaced.
// Throws StoreError.
void writeLegacyProject(const LegacyProject& content, const QString& path);

} // namespace qlv
