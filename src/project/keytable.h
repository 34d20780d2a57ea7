// The key table as the program edits it: every row in memory in ID order, a current row, and
// posted rows held as pending changes until one batch update writes them all.
#pragma once

#include "keyrow.h"
#include "projectfile.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace qlv {

// One row an edit changed, as it was before and after: what an undo step keeps. Rows are
// known by their place, so a step outlives Save as, which opens the same rows anew.
struct RowChange {
    int index = 0;
    KeyRow before;
    KeyRow after;
};

class KeyTable : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void()>;

    explicit KeyTable(QObject* parent = nullptr);
    ~KeyTable() override;

    // Takes over an opened file's rows, sorted by ID (stable, so equal IDs keep storage order).
    void open(ProjectFileContent content);
    // Drops the connection and every pending change.
    void close();
    bool isOpen() const { return m_db != nullptr; }

    int recordCount() const { return int(m_rows.size()); }
    // 1-based record number of the current row; 0 while closed.
    int recNo() const { return isOpen() && !m_rows.empty() ? m_current + 1 : 0; }
    void setRecNo(int recNo);
    void first();
    void next();
    bool eof() const { return m_eof; }

    const KeyRow& current() const { return m_rows.at(std::size_t(m_current)).row; }
    const KeyRow& row(int index) const { return m_rows.at(std::size_t(index)).row; }
    int currentIndex() const { return m_current; }

    // Edit and post of the current row: memory only, then the after-post handler.
    void post(const KeyRow& values);

    // Collects the rows posted from now on; nests, the outermost call collects.
    void beginChangeRecord();
    bool recordingChanges() const { return m_recordDepth > 0; }
    // Ends a record begun last: the outermost returns the rows whose values differ from
    // before, in table order; an inner one returns nothing.
    std::vector<RowChange> endChangeRecord();
    // Puts the rows back to one side of their changes, as pending changes, without the
    // after-post handler (the rows carry their derived fields), then makes currentIndex
    // current and notifies as a scroll does.
    void restoreRows(const std::vector<RowChange>& changes, bool before, int currentIndex);

    bool hasPendingChanges() const;
    // Writes every pending row in one transaction; on failure nothing is written and every
    // change stays pending. Throws StoreError.
    void applyUpdates();
    // The same, into a copy of the open file that then replaces it whole: synced once,
    // renamed, the folder synced, rather than a rollback journal's several syncs.
    void applyUpdatesReplacing();

    // The two notifications; an empty handler means none is attached.
    const Handler& afterScroll() const { return m_afterScroll; }
    void setAfterScroll(Handler handler) { m_afterScroll = std::move(handler); }
    const Handler& afterPost() const { return m_afterPost; }
    void setAfterPost(Handler handler) { m_afterPost = std::move(handler); }

    // Suspends the bound views during bulk walks; nests.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabledDepth > 0; }

signals:
    void tableReset();
    void rowChanged(int index);
    void currentRowChanged(int index);
    void controlsEnabledChanged(bool enabled);

private:
    void moveTo(int index, bool alwaysNotify);
    // The rows posted since the last update; throws StoreError when the table is not open.
    std::vector<StoredKeyRow> pendingRows() const;

    std::unique_ptr<SqliteDb> m_db;
    std::vector<StoredKeyRow> m_rows;
    std::vector<bool> m_pending;
    int m_current = 0;
    bool m_eof = false;
    int m_disabledDepth = 0;
    int m_recordDepth = 0;
    std::map<int, KeyRow> m_recordedBefore;
    Handler m_afterScroll;
    Handler m_afterPost;
};

// Detaches a handler for a scope and attaches it again, as the bulk walks do.
class ScrollHandlerDetached {
public:
    explicit ScrollHandlerDetached(KeyTable& table)
        : m_table(table)
        , m_saved(table.afterScroll())
    {
        m_table.setAfterScroll({});
    }
    ~ScrollHandlerDetached() { m_table.setAfterScroll(std::move(m_saved)); }

private:
    KeyTable& m_table;
    KeyTable::Handler m_saved;
};

class PostHandlerDetached {
public:
    explicit PostHandlerDetached(KeyTable& table)
        : m_table(table)
        , m_saved(table.afterPost())
    {
        m_table.setAfterPost({});
    }
    ~PostHandlerDetached() { m_table.setAfterPost(std::move(m_saved)); }

private:
    KeyTable& m_table;
    KeyTable::Handler m_saved;
};

class ControlsDisabled {
public:
    explicit ControlsDisabled(KeyTable& table)
        : m_table(table)
    {
        m_table.disableControls();
    }
    ~ControlsDisabled() { m_table.enableControls(); }

private:
    KeyTable& m_table;
};

} // namespace qlv
