#include "rowoperations.h"

#include <project/derivedfields.h>

namespace qlv {

RowOperations::RowOperations(Project& project, RowSelection& selection, CopyBuffer& buffer,
                             Prompter& prompter)
    : m_project(project)
    , m_selection(selection)
    , m_buffer(buffer)
    , m_prompter(prompter)
{
}

KeyRow withContentOf(const KeyRow& target, const KeyRow& source)
{
    KeyRow row = source;
    row.id = target.id;
    return row;
}

KeyRow emptiedSlot(const KeyRow& row)
{
    KeyRow empty;
    empty.id = row.id;
    empty.function = QString();
    empty.format = QString();
    empty.carry = QString();
    empty.remark = QString();
    empty.irData = QByteArray(qsizetype(RecordSize), '\0');
    return empty;
}

void RowOperations::CopyExecute()
{
    KeyTable& keys = m_project.keys();
    if (keys.recordCount() == 0)
        return;
    ScrollHandlerDetached detached(keys);
    if (m_selection.count() == 0)
        m_selection.selectRow(keys.currentIndex());
    m_buffer.copyCount = m_selection.count();
    for (int i = 0; i < m_buffer.copyCount; ++i) {
        keys.setRecNo(m_selection.item(i) + 1);
        const KeyRow& row = keys.current();
        m_buffer.copiedFunctions[std::size_t(i)] = textOf(row.function);
        m_buffer.copiedRemarks[std::size_t(i)] = textOf(row.remark);
        // A short stored value reads as the record rule has it: missing bytes are 0xFF.
        m_buffer.copiedIrData[std::size_t(i)] = recordOf(row);
    }
}

void RowOperations::PasteExecute()
{
    KeyTable& keys = m_project.keys();
    if (m_buffer.copyCount == 0 || keys.recordCount() == 0)
        return;
    ScrollHandlerDetached detached(keys);
    m_selection.clear();
    m_selection.selectRow(keys.currentIndex());
    for (int i = 0;;) {
        KeyRow row = keys.current();
        row.function = m_buffer.copiedFunctions[std::size_t(i)];
        row.remark = m_buffer.copiedRemarks[std::size_t(i)];
        row.irData = bytesOf(m_buffer.copiedIrData[std::size_t(i)]);
        keys.post(row);
        ++i;
        if (i == m_buffer.copyCount || keys.currentIndex() == keys.recordCount() - 1)
            break;
        keys.next();
        m_selection.selectRow(keys.currentIndex());
    }
}

void RowOperations::SelectAllExecute()
{
    KeyTable& keys = m_project.keys();
    if (keys.recordCount() == 0)
        return;
    ControlsDisabled disabled(keys);
    ScrollHandlerDetached detached(keys);
    keys.first();
    m_selection.selectRange(0, keys.recordCount() - 1);
    keys.setRecNo(keys.recordCount());
}

void RowOperations::InsertFunctionsExecute()
{
    KeyTable& keys = m_project.keys();
    if (keys.recordCount() == 0)
        return;
    const int k = keys.currentIndex();
    {
        ControlsDisabled disabled(keys);
        PostHandlerDetached postDetached(keys);
        ScrollHandlerDetached scrollDetached(keys);
        for (int n = keys.recordCount() - 1; n > k; --n) {
            const KeyRow source = keys.row(n - 1);
            keys.setRecNo(n + 1);
            keys.post(withContentOf(keys.current(), source));
        }
        keys.setRecNo(k + 1);
        keys.post(emptiedSlot(keys.current()));
    }
    m_project.setModified(true);
    emit m_project.redrawWave(true);
}

bool RowOperations::DelFunctionsExecute()
{
    if (m_prompter.ask({QuestionKind::DeleteRows, QString::fromLatin1(MainCaption),
                        QString::fromLatin1(DeleteQuestion)}) != Answer::Yes)
        return false;
    KeyTable& keys = m_project.keys();
    if (keys.recordCount() == 0)
        return true;
    const int k = keys.currentIndex();
    const int last = keys.recordCount() - 1;
    {
        ControlsDisabled disabled(keys);
        PostHandlerDetached postDetached(keys);
        ScrollHandlerDetached scrollDetached(keys);
        for (int n = k; n < last; ++n) {
            const KeyRow source = keys.row(n + 1);
            keys.setRecNo(n + 1);
            keys.post(withContentOf(keys.current(), source));
        }
        keys.setRecNo(last + 1);
        keys.post(emptiedSlot(keys.current()));
        keys.setRecNo(k + 1);
    }
    m_project.setModified(true);
    emit m_project.redrawWave(true);
    return true;
}

} // namespace qlv
