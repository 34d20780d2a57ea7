// Copy, Paste, Select All, Insert and Delete over the key table, the grid's selection and the
// copy buffer. The table always keeps its rows: these move slot contents, never IDs.
#pragma once

#include "copybuffer.h"
#include "rowmessages.h"
#include "rowselection.h"

#include <core/prompter.h>
#include <project/project.h>

namespace qlv {

class RowOperations {
public:
    RowOperations(Project& project, RowSelection& selection, CopyBuffer& buffer,
                  Prompter& prompter);

    void CopyExecute();
    void PasteExecute();
    void SelectAllExecute();
    void InsertFunctionsExecute();
    // False when the question was answered No.
    bool DelFunctionsExecute();

    bool PasteUpdate() const { return m_buffer.copyCount != 0; }

private:
    Project& m_project;
    RowSelection& m_selection;
    CopyBuffer& m_buffer;
    Prompter& m_prompter;
};

// Every field but "ID" of source, written over target.
KeyRow withContentOf(const KeyRow& target, const KeyRow& source);
// The slot as Insert and Delete leave it: empty texts and 512 zero bytes.
KeyRow emptiedSlot(const KeyRow& row);

} // namespace qlv
