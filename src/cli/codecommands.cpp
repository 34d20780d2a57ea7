// Codes in the files of other IR tools: import-codes and export-codes.
#include "arguments.h"
#include "console.h"
#include "errors.h"
#include "handlers.h"
#include "session.h"

#include <project/codeinterchange.h>
#include <project/derivedfields.h>
#include <project/wholefile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlv::cli {

namespace {

using interchange::Format;

constexpr const char* FormatNames = "pronto, flipper, lirc, mode2 or csv";

std::optional<Format> givenFormat(const Invocation& invocation)
{
    const auto given = invocation.options.find(QStringLiteral("format"));
    if (given == invocation.options.end())
        return std::nullopt;
    const auto format = interchange::formatFromName(given->toStdString());
    if (!format)
        throw UsageError{QStringLiteral("\"%1\" is no format; give %2.").arg(*given, FormatNames)};
    return format;
}

QByteArray readCodeFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Failure{QStringLiteral("%1: no such file.").arg(QDir::toNativeSeparators(path))};
    if (info.size() > qint64(interchange::MaxInputBytes))
        throw Failure{QStringLiteral("%1 is larger than 16 MiB; no code file is that large.")
                          .arg(QDir::toNativeSeparators(path))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("Cannot read %1: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString())};
    return file.readAll();
}

} // namespace

void runImportCodes(const Invocation& invocation)
{
    const QString& path = invocation.args.at(0);
    std::optional<Format> format = givenFormat(invocation);
    const bool skipBad = invocation.options.contains(QStringLiteral("skip-bad"));
    const int first = invocation.options.contains(QStringLiteral("at"))
                          ? parseSlotId(invocation.options.value(QStringLiteral("at")))
                          : 1;
    const QByteArray bytes = readCodeFile(path);
    const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    if (!format)
        format = interchange::formatFromExtension(path.toStdString());
    if (!format)
        format = interchange::formatFromContent(text);
    if (!format)
        throw Failure{QStringLiteral("Cannot tell the format of %1; give --format %2.")
                          .arg(QDir::toNativeSeparators(path), FormatNames)};

    Session session(invocation.prompter);
    session.open(invocation.args.at(1));
    const ImportPlan plan = planCodeImport(interchange::parseCodes(*format, text), first);
    for (const QString& warning : plan.warnings)
        printErr(QStringLiteral("Warning: %1").arg(warning));
    if (!plan.problems.isEmpty() && !skipBad)
        throw Failure{QStringLiteral("Nothing was imported:\n%1").arg(plan.problems.join(u'\n'))};
    if (plan.stored.empty())
        throw Failure{
            plan.problems.isEmpty()
                ? QStringLiteral("%1 holds no codes.").arg(QDir::toNativeSeparators(path))
                : QStringLiteral("No code could be imported:\n%1").arg(plan.problems.join(u'\n'))};

    QString lines;
    for (const ImportedSlot& slot : plan.stored) {
        KeyRow row = session.row(slot.id);
        row.irData = bytesOf(slot.record);
        row.function = slot.name;
        session.post(slot.id, row);
        lines += QStringLiteral("%1\t%2\t%3\n").arg(slot.id).arg(slot.name, slot.protocol);
    }
    session.saveInPlace();
    printOut(lines.chopped(1));
    if (!plan.problems.isEmpty())
        printErr(QStringLiteral("Not imported:\n%1").arg(plan.problems.join(u'\n')));
}

void runExportCodes(const Invocation& invocation)
{
    const QString& target = invocation.args.at(1);
    std::optional<Format> format = givenFormat(invocation);
    if (!format)
        format = interchange::formatFromExtension(target.toStdString());
    if (!format)
        throw UsageError{QStringLiteral("Cannot tell the format from \"%1\"; give --format %2.")
                             .arg(target, FormatNames)};
    std::optional<std::vector<int>> ids;
    if (invocation.options.contains(QStringLiteral("ids"))) {
        auto parsed = parseSlotList(invocation.options.value(QStringLiteral("ids")));
        if (const auto* message = std::get_if<QString>(&parsed))
            throw UsageError{*message};
        ids = std::get<std::vector<int>>(std::move(parsed));
    }

    Session session(invocation.prompter);
    session.open(invocation.args.at(0));
    std::vector<SlotCode> chosen;
    QStringList empty;
    const auto take = [&](int id) {
        const KeyRow& row = session.row(id);
        const CodeRecord record = recordOf(row);
        if (!hasCode(record, Code::A) && !hasCode(record, Code::B)) {
            empty << QString::number(id);
            return;
        }
        chosen.push_back({id, textOf(row.function), record});
    };
    if (ids) {
        for (int id : *ids)
            take(id);
    } else {
        for (int i = 0; i < session.keys().recordCount(); ++i) {
            const int id = session.keys().row(i).id;
            if (hasCode(recordOf(session.row(id)), Code::A) ||
                hasCode(recordOf(session.row(id)), Code::B))
                take(id);
        }
    }
    if (ids && !empty.isEmpty())
        printErr(
            QStringLiteral("No code in slot %1; left out.").arg(empty.join(QStringLiteral(", "))));
    if (chosen.empty())
        throw Failure{QStringLiteral("No slot holds a code to export.")};

    const QString remote = QFileInfo(invocation.args.at(0)).completeBaseName();
    const interchange::WriteResult written =
        interchange::writeCodes(*format, exportCodesOf(chosen), remote.toStdString());
    for (const auto& warning : written.warnings)
        printErr(QStringLiteral("Warning: %1").arg(QString::fromStdString(warning)));
    QStringList refused;
    for (const auto& why : written.refused)
        refused << QString::fromStdString(why);
    if (written.count == 0)
        throw Failure{QStringLiteral("No code could be written as %1; nothing was written:\n%2")
                          .arg(QString::fromUtf8(interchange::formatName(*format).data()),
                               refused.join(u'\n'))};
    if (!refused.isEmpty())
        printErr(QStringLiteral("Not exported:\n%1").arg(refused.join(u'\n')));
    session.confirmReplace(target);
    writeFileWhole(target, QByteArray::fromStdString(written.text));
}

} // namespace qlv::cli
