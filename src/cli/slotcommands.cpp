// The commands on one key slot.
#include "arguments.h"
#include "console.h"
#include "errors.h"
#include "handlers.h"
#include "session.h"

#include <irdata/irhextext.h>
#include <project/codepage.h>
#include <project/derivedfields.h>
#include <project/filenames.h>
#include <project/wholefile.h>

#include <QDir>
#include <QFile>

namespace qlv::cli {

namespace {

// What the window's name field lets the user type.
constexpr qsizetype NameInputLimit = 12;

QByteArray readInput(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("Cannot read %1: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString())};
    QByteArray bytes = file.readAll();
    // Editors that save UTF-8 often put a byte order mark first; it is no character of the text.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes;
}

void printSteps(const CodeRecord& record, Code code)
{
    const QString name = code == Code::A ? QStringLiteral("A") : QStringLiteral("B");
    for (const CodeStep& step : codeSteps(record, code))
        printOut(QStringLiteral("%1 %2 %3 %4")
                     .arg(name, step.part == StepPart::First ? QStringLiteral("first")
                                                             : QStringLiteral("repeat"))
                     .arg(step.gapUs)
                     .arg(step.burstUs));
}

} // namespace

void runExportHex(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    const std::string text = writeIrHexText(recordOf(session.row(id)));
    const QString target = withHexTextExtension(invocation.args.at(2));
    session.confirmReplace(target);
    writeFileWhole(target, QByteArray::fromStdString(text));
}

void runImportHex(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    const QString input = inputFile(invocation.args.at(2), QStringLiteral(".txt"));
    const QByteArray text = readInput(input);

    // What is wrong is the hex text's, so its messages name it.
    const QString about = QDir::toNativeSeparators(input) + QStringLiteral(": ");
    CodeRecord record{};
    const HexParseResult parsed =
        ParseHexText(std::string_view(text.constData(), std::size_t(text.size())), record);
    if (!parsed.ok)
        throw Failure{about + QString::fromStdString(parsed.message)};
    if (parsed.count != RecordSize)
        throw Failure{about + QStringLiteral("Invalid IR data file!")};

    KeyRow row = session.row(id);
    row.irData = bytesOf(record);
    session.post(id, row);
    session.saveInPlace();
}

void runSetName(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    const QString& name = invocation.args.at(2);
    if (name.size() > NameInputLimit)
        throw Failure{QStringLiteral("A function name has at most %1 characters; \"%2\" has %3.")
                          .arg(NameInputLimit)
                          .arg(name)
                          .arg(name.size())};
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));

    KeyRow row = session.row(id);
    CodeRecord record = recordOf(row);
    const std::string bytes = toCodePageCut(name, NameMaxBytes);
    writeName(record, bytes);
    row.irData = bytesOf(record);
    row.function = fromCodePage(bytes);
    session.post(id, row);
    session.saveInPlace();

    // Twelve double-byte characters do not fit 15 bytes, and some have no GBK form at all.
    const QString stored = textOf(session.row(id).function);
    if (stored != name)
        printErr(QStringLiteral("The record holds the name as \"%1\".").arg(stored));
}

void runSetRemark(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    KeyRow row = session.row(id);
    row.remark = invocation.args.at(2);
    session.post(id, row);
    session.saveInPlace();
}

void runDecode(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    const CodeRecord record = recordOf(session.row(id));
    const bool a = hasCode(record, Code::A);
    const bool b = hasCode(record, Code::B);
    if (a)
        printSteps(record, Code::A);
    if (b)
        printSteps(record, Code::B);
    if (!a && !b)
        throw Failure{QStringLiteral("Slot %1 holds no code.").arg(id)};
}

} // namespace qlv::cli
