// The commands on one key slot.
#include "arguments.h"
#include "console.h"
#include "errors.h"
#include "handlers.h"
#include "session.h"

#include <core/codepage.h>
#include <irdata/irhextext.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/filenames.h>
#include <project/regularfile.h>
#include <project/wholefile.h>

#include <QDir>
#include <QFile>

#include <algorithm>

namespace qlv::cli {

namespace {

// What the window's name field lets the user type.
constexpr qsizetype NameInputLimit = 12;

QByteArray readInput(const QString& path)
{
    QByteArray bytes = readRegularFile(path, qint64(MaxHexTextFile));
    if (bytes.size() > qsizetype(MaxHexTextFile))
        throw Failure{QStringLiteral("Invalid IR data file!")};
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

// CODE<TAB>PROTOCOL<TAB>PARAMETERS, "-" for both when no protocol matches.
QString identifyLine(const CodeRecord& record, Code code)
{
    const std::optional<DecodedCode> decoded = decodeCode(record, code);
    return QStringLiteral("%1\t%2\t%3")
        .arg(code == Code::A ? QStringLiteral("A") : QStringLiteral("B"),
             decoded ? QString::fromStdString(decoded->protocol) : QStringLiteral("-"),
             decoded && !decoded->parameters.empty()
                 ? QString::fromStdString(parametersText(*decoded))
                 : QStringLiteral("-"));
}

std::vector<Code> codesOf(const CodeRecord& record)
{
    std::vector<Code> codes;
    if (hasCode(record, Code::A))
        codes.push_back(Code::A);
    if (hasCode(record, Code::B))
        codes.push_back(Code::B);
    return codes;
}

std::string knownProtocolNames()
{
    std::string names;
    for (const ProtocolSpec& protocol : knownProtocols())
        if (protocol.renderable)
            names += (names.empty() ? "" : ", ") + protocol.name;
    return names;
}

// "NAME=VALUE" in decimal.
ProtocolParameter parseParameter(const QString& word)
{
    const qsizetype equals = word.indexOf(u'=');
    bool ok = false;
    const qlonglong value = equals > 0 ? word.mid(equals + 1).toLongLong(&ok) : 0;
    if (!ok)
        throw UsageError{
            QStringLiteral("\"%1\" is not a parameter; write NAME=VALUE, the value in decimal.")
                .arg(word)};
    return {word.left(equals).toStdString(), value};
}

} // namespace

void runExportHex(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.openForSlot(invocation.args.at(0), id);
    const std::string text = writeIrHexText(recordOf(session.row(id)));
    const QString target = withHexTextExtension(invocation.args.at(2));
    session.confirmReplace(target);
    writeFileWhole(target, QByteArray::fromStdString(text));
}

void runImportHex(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    Session session(invocation.prompter);
    session.openForSlot(invocation.args.at(0), id);
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
    session.openForSlot(invocation.args.at(0), id);

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
    session.openForSlot(invocation.args.at(0), id);
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
    for (Code code : codesOf(record))
        printOut(identifyLine(record, code));
}

void runIdentify(const Invocation& invocation)
{
    std::vector<int> ids;
    for (qsizetype i = 1; i < invocation.args.size(); ++i)
        ids.push_back(parseSlotId(invocation.args.at(i)));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    if (ids.empty())
        for (int i = 0; i < session.keys().recordCount(); ++i)
            ids.push_back(session.keys().row(i).id);
    QString text;
    for (int id : ids) {
        const CodeRecord record = recordOf(session.row(id));
        for (Code code : codesOf(record))
            text += QString::number(id) + u'\t' + identifyLine(record, code) + u'\n';
    }
    if (!text.isEmpty())
        printOut(text);
}

void runRender(const Invocation& invocation)
{
    const int id = parseSlotId(invocation.args.at(1));
    const std::string protocol = invocation.args.at(2).toStdString();
    std::vector<ProtocolParameter> parameters;
    for (qsizetype i = 3; i < invocation.args.size(); ++i)
        parameters.push_back(parseParameter(invocation.args.at(i)));
    const bool named = invocation.options.contains(QStringLiteral("name"));
    const QString name = invocation.options.value(QStringLiteral("name"));
    if (named && name.size() > NameInputLimit)
        throw Failure{QStringLiteral("A function name has at most %1 characters; \"%2\" has %3.")
                          .arg(NameInputLimit)
                          .arg(name)
                          .arg(name.size())};
    if (!findProtocol(protocol))
        throw Failure{
            QStringLiteral("Unknown protocol \"%1\"; known protocols: %2.")
                .arg(invocation.args.at(2), QString::fromStdString(knownProtocolNames()))};
    auto rendered = recordFromProtocol(protocol, parameters);
    if (const auto* message = std::get_if<std::string>(&rendered))
        throw Failure{QString::fromStdString(*message)};
    CodeRecord record = std::get<CodeRecord>(rendered);

    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    KeyRow row = session.row(id);
    const std::string bytes = named ? toCodePageCut(name, NameMaxBytes) : nameText(recordOf(row));
    writeName(record, bytes);
    row.irData = bytesOf(record);
    if (named)
        row.function = fromCodePage(bytes);
    session.post(id, row);
    session.saveInPlace();
}

} // namespace qlv::cli
