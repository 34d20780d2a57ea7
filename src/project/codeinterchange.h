// Codes from other IR tools into key-slot records, and slot records out to them.
#pragma once

#include <interchange/interchange.h>
#include <irdata/coderecord.h>

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace qlv {

struct ImportedSlot {
    int id = 0;
    QString name;      // as the record holds it (cut to 15 code-page bytes)
    CodeRecord record; // name written
    QString protocol;  // "NEC1 D=4 S=251 F=8", or "raw" when the slot's code decodes to nothing
};

struct ImportPlan {
    std::vector<ImportedSlot> stored;
    QStringList problems; // a code that cannot be stored, with its line or name
    QStringList warnings;
};

// Each code, in file order, into consecutive slots from firstId; a code that cannot be stored
// takes no slot. Codes of one button ("NAME" and "NAME_T", or the same name) that differ only
// in the toggle become one two-code record, T = 0 as code A.
ImportPlan planCodeImport(const interchange::ParseResult& parsed, int firstId, int lastId = 512);

struct SlotCode {
    int id = 0;
    QString function; // the Function text; empty gives "Slot N"
    CodeRecord record;
};

// The slots' codes as the writers take them; slots without a code are left out.
std::vector<interchange::ExportCode> exportCodesOf(const std::vector<SlotCode>& codes);

// "1-20,33" as slot IDs in the given order, or an error message.
std::variant<std::vector<int>, QString> parseSlotList(const QString& text);

class Project;
class Prompter;

// The window's "Import codes...", in two halves: the file dialog (nothing when cancelled), then
// the file, chosen there or dropped on a row, goes into the row at firstRow (0-based) and the
// rows below it, after a question that says which slots will be overwritten; the codes that
// can be stored are stored, and a summary lists them and the refused ones. False when nothing
// was stored.
std::optional<QString> chooseCodeFile(Prompter& prompter);
bool importCodesFromPath(Project& project, Prompter& prompter, const QString& path, int firstRow);

// The window's "Export codes...": the given rows (0-based; all rows holding a code when
// empty) into a file chosen through the prompter, its format from the file's extension
// (Pronto Hex for any other). False when nothing was written.
bool exportCodesToFile(Project& project, Prompter& prompter, const std::vector<int>& rows);

} // namespace qlv
