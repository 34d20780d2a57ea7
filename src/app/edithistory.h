// The window's undo and redo: each edit of the key table is one step holding the rows it
// changed, and the project counts as modified exactly when the table differs from what was
// last loaded or saved.
#pragma once

#include <project/keytable.h>

#include <QObject>
#include <QUndoStack>

#include <functional>

namespace qlv {

class Project;
class RowSelection;

// Where the user stood: the current row and the selected rows.
struct GridPosition {
    int current = 0;
    std::vector<int> selection;
};

// Runs an edit of the key table as one named undo step.
using EditRecorder = std::function<void(const QString& name, const std::function<void()>& edit)>;

class EditHistory : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxSteps = 100;

    EditHistory(Project& project, RowSelection& selection, QObject* parent = nullptr);

    QUndoStack& stack() { return m_stack; }

    // Runs an edit as one step named name (as in "Undo Delete slot 10"). The rows it posted
    // are one step even when it throws; an edit that changed nothing adds no step.
    void record(const QString& name, const std::function<void()>& edit);
    EditRecorder recorder()
    {
        return [this](const QString& name, const std::function<void()>& edit) {
            record(name, edit);
        };
    }

private:
    GridPosition position() const;
    void syncModified();

    Project& m_project;
    RowSelection& m_selection;
    QUndoStack m_stack;
};

} // namespace qlv
