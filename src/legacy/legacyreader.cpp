#include "legacyproject.h"

#include <core/storeerror.h>
#include <project/jetheader.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

// libmdb's header includes glib inside its extern "C" block; glib's C++ parts must come first.
#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace qlv {

namespace {

constexpr qint64 JetPageSize = 4096;
// A row's offset on its page; the bits above are its deleted and lookup flags.
constexpr int RowOffsetMask = 0x1fff;
// A long value's header starts with its length; the two top bits say where the bytes are.
constexpr quint32 LongValueLengthMask = 0x3fffffff;

enum class Kind { Integer, Text, LongBinary };

struct ColumnSpec {
    const char* name;
    Kind kind;
};

constexpr const char* KeyInfoTable = "KeyInfo";
constexpr std::array<ColumnSpec, 6> KeyInfoColumns{{
    {"ID", Kind::Integer},
    {"Function", Kind::Text},
    {"Format", Kind::Text},
    {"Carry", Kind::Text},
    {"IR Data", Kind::LongBinary},
    {"Remark", Kind::Text},
}};
enum KeyColumn { KeyId, KeyFunction, KeyFormat, KeyCarry, KeyIrData, KeyRemark };

constexpr const char* ModelInfoTable = "ModelInfo";
constexpr std::array<ColumnSpec, 7> ModelInfoColumns{{
    {"ID", Kind::Integer},
    {"Module Name", Kind::Text},
    {"Type", Kind::Text},
    {"Manufactory", Kind::Text},
    {"Module ID", Kind::Text},
    {"ReCyc", Kind::Integer},
    {"Remark", Kind::Text},
}};
enum ModelColumn {
    ModelId,
    ModelName,
    ModelType,
    ModelManufactory,
    ModelModuleId,
    ModelReCyc,
    ModelRemark
};

bool hasKind(int colType, Kind kind)
{
    switch (kind) {
    case Kind::Integer:
        return colType == MDB_BYTE || colType == MDB_INT || colType == MDB_LONGINT;
    case Kind::Text:
        return colType == MDB_TEXT;
    case Kind::LongBinary:
        return colType == MDB_OLE;
    }
    return false;
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
        return QStringLiteral("a whole number");
    case Kind::Text:
        return QStringLiteral("text");
    case Kind::LongBinary:
        return QStringLiteral("long binary data (OLE Object)");
    }
    return {};
}

[[noreturn]] void fail(const QString& path, const QString& what)
{
    throw StoreError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), what));
}

[[noreturn]] void damaged(const QString& path, const QString& what)
{
    fail(path, QStringLiteral("the file is damaged: ") + what);
}

struct HandleClose {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using Handle = std::unique_ptr<MdbHandle, HandleClose>;

struct TableFree {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

struct MallocFree {
    void operator()(void* data) const { std::free(data); }
};

MdbCatalogEntry* findTable(MdbHandle* mdb, const char* name)
{
    // The engine matches table names without regard to case.
    for (guint i = 0; i < mdb->catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            QString::fromUtf8(entry->object_name)
                    .compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return entry;
    }
    return nullptr;
}

// One table read row by row in storage order, its columns found by name.
class TableReader {
public:
    TableReader(MdbHandle* mdb, const QString& path, const char* name,
                std::span<const ColumnSpec> columns)
        : m_mdb(mdb)
        , m_path(path)
        , m_name(QLatin1String(name))
        , m_columns(columns)
    {
        MdbCatalogEntry* entry = findTable(mdb, name);
        if (!entry)
            fail(path, QStringLiteral("it has no table \"%1\".").arg(m_name));
        m_table.reset(mdb_read_table(entry));
        if (!m_table || !mdb_read_columns(m_table.get()))
            damaged(path,
                    QStringLiteral("the definition of table \"%1\" cannot be read.").arg(m_name));

        const guint count = m_table->num_cols;
        for (const ColumnSpec& wanted : columns)
            m_index.push_back(findColumn(wanted));

        // libmdb writes into every column's buffer, bound or not, so each gets a full one.
        const std::size_t bindSize = mdb->bind_size;
        m_buffers.assign(std::size_t(count) * bindSize, '\0');
        m_lengths.assign(count, 0);
        m_null.assign(count, true);
        m_fields.resize(count);
        for (guint i = 0; i < count; ++i)
            mdb_bind_column(m_table.get(), int(i) + 1, m_buffers.data() + i * bindSize,
                            &m_lengths[i]);
        mdb_rewind_table(m_table.get());
    }

    // Moves to the next stored row; false after the last, once every row has been read.
    bool next()
    {
        if (!mdb_fetch_row(m_table.get())) {
            if (m_read != m_table->num_rows)
                damaged(m_path, QStringLiteral("table \"%1\" holds %2 rows, but %3 can be read.")
                                    .arg(m_name)
                                    .arg(m_table->num_rows)
                                    .arg(m_read));
            return false;
        }
        ++m_read;
        readNullMask();
        return true;
    }

    // 1-based position of the current row in storage order.
    unsigned rowNumber() const { return m_read; }

    std::optional<qint64> integer(int column) const
    {
        if (isNull(column))
            return std::nullopt;
        // libmdb gives numbers as decimal text.
        bool ok = false;
        const qint64 value = bytes(column).toLongLong(&ok);
        if (!ok)
            damaged(m_path, QStringLiteral("column \"%1\" in row %2 of table \"%3\" holds no "
                                           "number.")
                                .arg(QLatin1String(m_columns[std::size_t(column)].name))
                                .arg(m_read)
                                .arg(m_name));
        return value;
    }

    std::optional<QString> text(int column) const
    {
        if (isNull(column))
            return std::nullopt;
        return QString::fromUtf8(bytes(column));
    }

    std::optional<QByteArray> longBinary(int column)
    {
        // A null long value binds with length 0; reading it would give the previous row's bytes.
        const int index = m_index[std::size_t(column)];
        if (isNull(column) || m_lengths[std::size_t(index)] == 0)
            return std::nullopt;
        const quint32 declared = qFromLittleEndian<quint32>(buffer(index)) & LongValueLengthMask;
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, guint(index)));
        std::size_t size = 0;
        const std::unique_ptr<void, MallocFree> data(mdb_ole_read_full(m_mdb, col, &size));
        if (!data || size != declared)
            damaged(m_path, QStringLiteral("column \"%1\" in row %2 of table \"%3\" should hold "
                                           "%4 bytes; %5 were found.")
                                .arg(QLatin1String(m_columns[std::size_t(column)].name))
                                .arg(m_read)
                                .arg(m_name)
                                .arg(declared)
                                .arg(data ? size : 0));
        return QByteArray(static_cast<const char*>(data.get()), qsizetype(size));
    }

private:
    int findColumn(const ColumnSpec& wanted) const
    {
        for (guint i = 0; i < m_table->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
            if (QString::fromUtf8(col->name).compare(QLatin1String(wanted.name),
                                                     Qt::CaseInsensitive) != 0)
                continue;
            if (!hasKind(col->col_type, wanted.kind))
                fail(m_path, QStringLiteral("column \"%1\" of table \"%2\" does not hold %3.")
                                 .arg(QLatin1String(wanted.name), m_name, kindName(wanted.kind)));
            return int(i);
        }
        fail(m_path, QStringLiteral("table \"%1\" has no column \"%2\".")
                         .arg(m_name, QLatin1String(wanted.name)));
    }

    // Null and empty text both bind with length 0; only the row's null mask tells them apart.
    void readNullMask()
    {
        int start = 0;
        std::size_t size = 0;
        if (mdb_find_row(m_mdb, int(m_table->cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(m_table.get(), start & RowOffsetMask, size, m_fields.data()) < 0)
            damaged(
                m_path,
                QStringLiteral("row %1 of table \"%2\" cannot be read.").arg(m_read).arg(m_name));
        for (const MdbField& field : m_fields)
            if (field.colnum >= 0 && std::size_t(field.colnum) < m_null.size())
                m_null[std::size_t(field.colnum)] = field.is_null != 0;
    }

    bool isNull(int column) const { return m_null[std::size_t(m_index[std::size_t(column)])]; }

    const char* buffer(int index) const
    {
        return m_buffers.data() + std::size_t(index) * m_mdb->bind_size;
    }

    QByteArray bytes(int column) const
    {
        const int index = m_index[std::size_t(column)];
        return QByteArray(buffer(index), m_lengths[std::size_t(index)]);
    }

    MdbHandle* m_mdb;
    QString m_path;
    QString m_name;
    std::span<const ColumnSpec> m_columns;
    std::vector<char> m_buffers;
    std::vector<int> m_lengths;
    std::vector<bool> m_null;
    std::vector<MdbField> m_fields;
    std::vector<int> m_index;
    std::unique_ptr<MdbTableDef, TableFree> m_table;
    unsigned m_read = 0;
};

Handle openJet4(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, file.errorString());
    const JetHeader header = jetHeaderOf(file.read(JetHeaderSize));
    if (header == JetHeader::None)
        fail(path, QStringLiteral("it is not a project file of the Windows version (no Jet "
                                  "database)."));
    const QString problem = jetHeaderProblem(path, header);
    if (!problem.isEmpty())
        throw StoreError(problem);
    if (file.size() % JetPageSize != 0)
        damaged(path, QStringLiteral("its size, %1 bytes, is not a whole number of %2-byte pages.")
                          .arg(file.size())
                          .arg(JetPageSize));
    file.close();

    // libmdb takes the text encoding it hands out from the environment.
    qputenv("MDBICONV", "UTF-8");
    Handle mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb)
        damaged(path, QStringLiteral("it cannot be opened as a Jet database."));
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE) || !mdb->catalog)
        damaged(path, QStringLiteral("its list of tables cannot be read."));
    return mdb;
}

void readKeyInfo(MdbHandle* mdb, const QString& path, std::vector<KeyRow>& rows)
{
    TableReader table(mdb, path, KeyInfoTable, KeyInfoColumns);
    std::vector<std::optional<qint64>> ids;
    while (table.next()) {
        const std::optional<qint64> id = table.integer(KeyId);
        if (!id)
            fail(path,
                 QStringLiteral("row %1 of table \"KeyInfo\" has no ID.").arg(table.rowNumber()));
        KeyRow row;
        ids.push_back(id);
        row.id = int(*id);
        row.function = table.text(KeyFunction);
        row.format = table.text(KeyFormat);
        row.carry = table.text(KeyCarry);
        row.irData = table.longBinary(KeyIrData);
        row.remark = table.text(KeyRemark);
        try {
            checkRowFits(row);
        } catch (const StoreError& error) {
            fail(path, QStringLiteral("the row with ID %1 of table \"KeyInfo\": %2")
                           .arg(row.id)
                           .arg(error.text()));
        }
        rows.push_back(std::move(row));
    }
    try {
        checkKeyIds(ids);
    } catch (const StoreError& error) {
        fail(path, error.text());
    }
}

void readModelInfo(MdbHandle* mdb, const QString& path, std::vector<LegacyModelRow>& rows)
{
    TableReader table(mdb, path, ModelInfoTable, ModelInfoColumns);
    while (table.next()) {
        LegacyModelRow row;
        row.id = table.integer(ModelId);
        row.moduleName = table.text(ModelName);
        row.type = table.text(ModelType);
        row.manufactory = table.text(ModelManufactory);
        row.moduleId = table.text(ModelModuleId);
        const std::optional<qint64> reCyc = table.integer(ModelReCyc);
        row.remark = table.text(ModelRemark);
        try {
            if (reCyc && (*reCyc < 0 || *reCyc > 255))
                throw StoreError(
                    QStringLiteral("\"ReCyc\" holds a byte; %1 is out of range.").arg(*reCyc));
            if (reCyc)
                row.reCyc = int(*reCyc);
            checkTextFits(ModelNameColumn, row.moduleName);
            checkTextFits(ModelTypeColumn, row.type);
            checkTextFits(ModelManufactoryColumn, row.manufactory);
            checkTextFits(ModelIdColumn, row.moduleId);
            checkTextFits(ModelRemarkColumn, row.remark);
        } catch (const StoreError& error) {
            fail(path, QStringLiteral("row %1 of table \"ModelInfo\": %2")
                           .arg(table.rowNumber())
                           .arg(error.text()));
        }
        rows.push_back(std::move(row));
    }
}

} // namespace

LegacyProject readLegacyProject(const QString& path)
{
    const Handle mdb = openJet4(path);
    LegacyProject content;
    readKeyInfo(mdb.get(), path, content.keys);
    readModelInfo(mdb.get(), path, content.models);
    return content;
}

} // namespace qlv
