#include "edithistory.h"

#include <project/project.h>
#include <rows/rowselection.h>

#include <QUndoCommand>

namespace qlv {

namespace {

class KeyTableStep : public QUndoCommand {
public:
    KeyTableStep(const QString& name, KeyTable& keys, RowSelection& selection,
                 std::vector<RowChange> changes, GridPosition before, GridPosition after)
        : QUndoCommand(name)
        , m_keys(keys)
        , m_selection(selection)
        , m_changes(std::move(changes))
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }

    void undo() override { show(true, m_before); }

    void redo() override
    {
        // The edit itself has already been done when the step is pushed.
        if (m_done) {
            m_done = false;
            return;
        }
        show(false, m_after);
    }

private:
    void show(bool before, const GridPosition& position)
    {
        m_keys.restoreRows(m_changes, before, position.current);
        m_selection.setRows(position.selection);
    }

    KeyTable& m_keys;
    RowSelection& m_selection;
    std::vector<RowChange> m_changes;
    GridPosition m_before;
    GridPosition m_after;
    bool m_done = true;
};

} // namespace

EditHistory::EditHistory(Project& project, RowSelection& selection, QObject* parent)
    : QObject(parent)
    , m_project(project)
    , m_selection(selection)
{
    m_stack.setUndoLimit(MaxSteps);
    // A new table (New, Open, an image import) starts a history of its own.
    connect(&project, &Project::tableReplaced, this, [this] { m_stack.clear(); });
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this] { syncModified(); });
    connect(&m_stack, &QUndoStack::indexChanged, this, [this] { syncModified(); });
    connect(&project, &Project::modifiedChanged, this, [this](bool modified) {
        if (m_project.keys().recordingChanges())
            return;
        if (!modified)
            m_stack.setClean(); // saved or loaded: this is the state to come back to
        else if (m_stack.isClean())
            m_stack.resetClean(); // changed outside the history: no step leads back
    });
}

GridPosition EditHistory::position() const
{
    return {m_project.keys().currentIndex(), m_selection.rows()};
}

void EditHistory::syncModified()
{
    m_project.setModified(!m_stack.isClean());
}

void EditHistory::record(const QString& name, const std::function<void()>& edit)
{
    KeyTable& keys = m_project.keys();
    const bool outermost = !keys.recordingChanges();
    const GridPosition before = position();
    keys.beginChangeRecord();
    auto finish = [&] {
        std::vector<RowChange> changes = keys.endChangeRecord();
        if (!outermost)
            return;
        // Posting what was there already adds no step and leaves the project as it was.
        if (!changes.empty())
            m_stack.push(
                new KeyTableStep(name, keys, m_selection, std::move(changes), before, position()));
        syncModified();
    };
    try {
        edit();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace qlv
