#include "keytable.h"

#include "wholefile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace qlv {

KeyTable::KeyTable(QObject* parent)
    : QObject(parent)
{
}

KeyTable::~KeyTable() = default;

void KeyTable::open(ProjectFileContent content)
{
    m_db = std::move(content.db);
    m_rows = std::move(content.rows);
    const auto byId = [](const StoredKeyRow& a, const StoredKeyRow& b) {
        return a.row.id < b.row.id;
    };
    // Files are written in ID order: moving 512 rows through a merge buffer is mostly waste.
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), byId))
        std::stable_sort(m_rows.begin(), m_rows.end(), byId);
    m_pending.assign(m_rows.size(), false);
    m_recordedBefore.clear();
    m_current = 0;
    m_eof = m_rows.empty();
    emit tableReset();
}

void KeyTable::close()
{
    m_db.reset();
    m_rows.clear();
    m_pending.clear();
    m_recordedBefore.clear();
    m_current = 0;
    m_eof = true;
    emit tableReset();
}

void KeyTable::moveTo(int index, bool alwaysNotify)
{
    if (m_rows.empty())
        return;
    index = std::clamp(index, 0, recordCount() - 1);
    const bool moved = index != m_current;
    m_current = index;
    if (moved)
        emit currentRowChanged(m_current);
    if ((moved || alwaysNotify) && m_afterScroll)
        m_afterScroll();
}

void KeyTable::setRecNo(int recNo)
{
    m_eof = false;
    moveTo(recNo - 1, false);
}

void KeyTable::first()
{
    m_eof = m_rows.empty();
    moveTo(0, true);
}

void KeyTable::next()
{
    if (m_current + 1 >= recordCount()) {
        m_eof = true;
        return;
    }
    moveTo(m_current + 1, false);
}

void KeyTable::post(const KeyRow& values)
{
    if (m_rows.empty())
        throw StoreError(QStringLiteral("The key table is not open."));
    try {
        checkRowFits(values);
    } catch (const StoreError& error) {
        throw StoreError(QStringLiteral("Slot %1: %2").arg(values.id).arg(error.text()));
    }
    StoredKeyRow& stored = m_rows[std::size_t(m_current)];
    if (m_recordDepth > 0)
        m_recordedBefore.try_emplace(m_current, stored.row);
    stored.row = values;
    m_pending[std::size_t(m_current)] = true;
    emit rowChanged(m_current);
    if (m_afterPost)
        m_afterPost();
}

void KeyTable::beginChangeRecord()
{
    if (m_recordDepth++ == 0)
        m_recordedBefore.clear();
}

std::vector<RowChange> KeyTable::endChangeRecord()
{
    if (m_recordDepth == 0 || --m_recordDepth > 0)
        return {};
    std::vector<RowChange> changes;
    for (auto& [index, before] : m_recordedBefore) {
        if (std::size_t(index) >= m_rows.size())
            continue;
        const KeyRow& after = m_rows[std::size_t(index)].row;
        if (after != before)
            changes.push_back({index, std::move(before), after});
    }
    m_recordedBefore.clear();
    return changes;
}

void KeyTable::restoreRows(const std::vector<RowChange>& changes, bool before, int currentIndex)
{
    for (const RowChange& change : changes) {
        if (std::size_t(change.index) >= m_rows.size())
            continue;
        m_rows[std::size_t(change.index)].row = before ? change.before : change.after;
        m_pending[std::size_t(change.index)] = true;
        emit rowChanged(change.index);
    }
    m_eof = false;
    moveTo(currentIndex, true);
}

bool KeyTable::hasPendingChanges() const
{
    return std::find(m_pending.begin(), m_pending.end(), true) != m_pending.end();
}

std::vector<StoredKeyRow> KeyTable::pendingRows() const
{
    if (!m_db)
        throw StoreError(QStringLiteral("The key table is not open."));
    std::vector<StoredKeyRow> changed;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_pending[i])
            changed.push_back(m_rows[i]);
    return changed;
}

void KeyTable::applyUpdates()
{
    const std::vector<StoredKeyRow> changed = pendingRows();
    if (changed.empty())
        return;
    updateKeyRows(*m_db, changed);
    m_pending.assign(m_rows.size(), false);
}

void KeyTable::applyUpdatesReplacing()
{
    const std::vector<StoredKeyRow> changed = pendingRows();
    if (changed.empty())
        return;
    const QString path = m_db->path();
    // A writer's lock on the file for the whole copy: another connection's transaction is
    // neither copied half done nor lost under the renamed copy.
    m_db->exec("BEGIN IMMEDIATE");
    struct Release {
        SqliteDb& db;
        ~Release()
        {
            try {
                db.exec("ROLLBACK");
            } catch (const StoreError&) {
            }
        }
    };
    auto release = std::make_unique<Release>(Release{*m_db});
    PendingFile pending(path);
    {
        QFile source(path);
        QFile copy(pending.temporaryPath());
        if (!source.open(QIODevice::ReadOnly))
            throw StoreError(
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), source.errorString()));
        const QByteArray bytes = source.readAll();
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.flush())
            throw StoreError(QStringLiteral("Cannot write %1: %2")
                                 .arg(QDir::toNativeSeparators(path), copy.errorString()));
    }
    {
        SqliteDb db(pending.temporaryPath());
        // The copy replaces the file only when complete, so it needs no journal.
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        updateKeyRows(db, changed);
    }
    pending.commitAsWritten();
    // The old connection reads the replaced file; the new one the file now in place.
    release.reset();
    m_db = std::make_unique<SqliteDb>(path);
    m_pending.assign(m_rows.size(), false);
}

void KeyTable::disableControls()
{
    if (m_disabledDepth++ == 0)
        emit controlsEnabledChanged(false);
}

void KeyTable::enableControls()
{
    if (m_disabledDepth > 0 && --m_disabledDepth == 0)
        emit controlsEnabledChanged(true);
}

} // namespace qlv
