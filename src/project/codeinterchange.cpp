#include "codeinterchange.h"

#include "derivedfields.h"
#include "project.h"
#include "wholefile.h"
#include <core/codepage.h>
#include <core/prompter.h>

#include <irdata/irprotocol.h>
#include <irdata/signalrecord.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace qlv {

namespace {

using interchange::NamedCode;
using interchange::ProtocolCode;

// One code of the file as parts: one, or the two toggle states.
struct Candidate {
    const NamedCode* source = nullptr;
    std::vector<IrSignal> parts;
    std::optional<DecodedCode> decoded; // only looked up for possible toggle partners
    bool paired = false;                // taken into another candidate's record
};

QString where(const NamedCode& code)
{
    const QString name = QString::fromStdString(code.name);
    const QString line = QStringLiteral("line %1").arg(code.line);
    return name.isEmpty() ? line : QStringLiteral("%1 (%2)").arg(line, name);
}

std::variant<std::vector<IrSignal>, std::string> signalsOf(const NamedCode& code)
{
    if (const auto* signal = std::get_if<IrSignal>(&code.code)) {
        std::vector<IrSignal> out{*signal};
        if (code.toggled)
            out.push_back(*code.toggled);
        return out;
    }
    const ProtocolCode& protocol = std::get<ProtocolCode>(code.code);
    const ProtocolSpec* known = findProtocol(protocol.protocol);
    if (!known || !known->renderable)
        return "protocol " + protocol.protocol + " cannot be rendered";
    std::vector<IrSignal> out;
    for (std::int64_t toggle : {0, 1}) {
        std::vector<ProtocolParameter> given = protocol.parameters;
        if (known->toggles) {
            std::erase_if(given, [](const ProtocolParameter& p) { return p.name == "T"; });
            given.push_back({"T", toggle});
        }
        auto rendered = renderSignal(protocol.protocol, given);
        if (const auto* error = std::get_if<RenderError>(&rendered))
            return error->message;
        out.push_back(std::get<IrSignal>(std::move(rendered)));
        if (!known->toggles)
            break;
    }
    return out;
}

std::optional<std::int64_t> toggleOf(const DecodedCode& code)
{
    for (const auto& p : code.parameters)
        if (p.name == "T")
            return p.value;
    return std::nullopt;
}

bool sameButToggle(const DecodedCode& a, const DecodedCode& b)
{
    if (a.protocol != b.protocol || a.parameters.size() != b.parameters.size())
        return false;
    const ProtocolSpec* known = findProtocol(a.protocol);
    if (!known || !known->toggles)
        return false;
    for (std::size_t i = 0; i < a.parameters.size(); ++i)
        if (a.parameters[i].name != b.parameters[i].name ||
            (a.parameters[i].name != "T" && a.parameters[i].value != b.parameters[i].value))
            return false;
    return toggleOf(a) != toggleOf(b);
}

bool sameButton(const std::string& a, const std::string& b)
{
    return a == b || b == a + "_T" || a == b + "_T";
}

} // namespace

ImportPlan planCodeImport(const interchange::ParseResult& parsed, int firstId, int lastId)
{
    ImportPlan plan;
    for (const auto& error : parsed.errors)
        plan.problems << QString::fromStdString(error.text());
    for (const auto& warning : parsed.warnings)
        plan.warnings << QString::fromStdString(warning.text());

    std::vector<Candidate> candidates;
    for (const NamedCode& code : parsed.codes) {
        auto parts = signalsOf(code);
        if (const auto* message = std::get_if<std::string>(&parts)) {
            plan.problems << QStringLiteral("%1: %2").arg(where(code),
                                                          QString::fromStdString(*message));
            continue;
        }
        candidates.push_back({&code, std::get<std::vector<IrSignal>>(std::move(parts)), {}, false});
    }

    // Only codes with a namesake can be one half of a toggle pair; only those are decoded here.
    std::map<std::string, int> nameCount;
    for (const Candidate& c : candidates)
        if (c.parts.size() == 1) {
            const std::string& name = c.source->name;
            ++nameCount[name.ends_with("_T") ? name.substr(0, name.size() - 2) : name];
        }
    const auto mayPair = [&](const Candidate& c) {
        const std::string& name = c.source->name;
        return c.parts.size() == 1 &&
               nameCount[name.ends_with("_T") ? name.substr(0, name.size() - 2) : name] > 1;
    };
    for (Candidate& c : candidates) {
        if (mayPair(c))
            c.decoded = decodeSignal(c.parts.front());
        // A file's own toggle states (LIRC) come in its order; code A is to hold T = 0.
        if (c.parts.size() == 2 && c.source->toggled) {
            const auto a = decodeSignal(c.parts[0]);
            const auto b = decodeSignal(c.parts[1]);
            if (a && b && sameButToggle(*a, *b) && toggleOf(*a) > toggleOf(*b))
                std::swap(c.parts[0], c.parts[1]);
        }
    }
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Candidate& a = candidates[i];
        if (a.paired || !a.decoded || a.parts.size() != 1)
            continue;
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            Candidate& b = candidates[j];
            if (b.paired || !b.decoded || b.parts.size() != 1 ||
                !sameButton(a.source->name, b.source->name) ||
                !sameButToggle(*a.decoded, *b.decoded))
                continue;
            a.parts.push_back(b.parts.front());
            if (toggleOf(*a.decoded) > toggleOf(*b.decoded))
                std::swap(a.parts[0], a.parts[1]);
            b.paired = true;
            break;
        }
    }

    int id = firstId;
    for (const Candidate& c : candidates) {
        if (c.paired)
            continue;
        const NamedCode& code = *c.source;
        std::vector<std::string> warnings;
        auto record = recordFromSignals(c.parts, warnings);
        if (const auto* error = std::get_if<EncodeError>(&record)) {
            plan.problems << QStringLiteral("%1: %2").arg(where(code),
                                                          QString::fromStdString(error->message));
            continue;
        }
        if (id > lastId) {
            plan.problems << QStringLiteral("%1: past slot %2").arg(where(code)).arg(lastId);
            continue;
        }
        for (const auto& warning : warnings)
            plan.warnings << QStringLiteral("%1: %2").arg(where(code),
                                                          QString::fromStdString(warning));
        ImportedSlot slot;
        slot.id = id;
        slot.record = std::get<CodeRecord>(std::move(record));
        const QString name =
            code.name.empty() ? QStringLiteral("Slot %1").arg(id) : QString::fromUtf8(code.name);
        const std::string bytes = toCodePageCut(name, NameMaxBytes);
        writeName(slot.record, bytes);
        slot.name = fromCodePage(bytes);
        const auto decoded = decodeCode(slot.record, Code::A);
        slot.protocol =
            decoded ? QString::fromStdString(describeDecoded(*decoded)) : QStringLiteral("raw");
        plan.stored.push_back(std::move(slot));
        ++id;
    }
    return plan;
}

std::vector<interchange::ExportCode> exportCodesOf(const std::vector<SlotCode>& chosen)
{
    std::vector<interchange::ExportCode> out;
    for (const SlotCode& slot : chosen) {
        if (!hasCode(slot.record, Code::A) && !hasCode(slot.record, Code::B))
            continue;
        const QString name =
            slot.function.isEmpty() ? QStringLiteral("Slot %1").arg(slot.id) : slot.function;
        interchange::ExportCode code;
        code.name = name.toStdString();
        const Code first = hasCode(slot.record, Code::A) ? Code::A : Code::B;
        code.signal = signalFromCode(slot.record, first);
        code.decoded = decodeSignal(code.signal);
        if (first == Code::A && hasCode(slot.record, Code::B)) {
            code.toggled = signalFromCode(slot.record, Code::B);
            const auto other = decodeSignal(*code.toggled);
            code.togglePair = code.decoded && other && sameButToggle(*code.decoded, *other);
        }
        out.push_back(std::move(code));
    }
    return out;
}

std::variant<std::vector<int>, QString> parseSlotList(const QString& text)
{
    std::vector<int> ids;
    const auto bad = [&](const QString& part) {
        return QStringLiteral("\"%1\" is not a slot ID or range of 1 to 512.").arg(part);
    };
    for (const QString& part : text.split(u',')) {
        const QString trimmed = part.trimmed();
        const qsizetype dash = trimmed.indexOf(u'-');
        bool okFirst = false;
        bool okLast = false;
        const int first = (dash < 0 ? trimmed : trimmed.left(dash)).toInt(&okFirst);
        const int last = dash < 0 ? first : trimmed.mid(dash + 1).toInt(&okLast);
        if (!okFirst || (dash >= 0 && !okLast) || first < 1 || last > 512 || first > last)
            return bad(trimmed);
        for (int id = first; id <= last; ++id)
            if (std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(id);
    }
    return ids;
}

namespace {

const char* const CodeFileFilter =
    "IR code files|*.ir;*.csv;*.conf;*.txt;*.mode2|Flipper IR files|*.ir|IRDB CSV|"
    "*.csv|LIRC configuration|*.conf|Pronto Hex|*.txt|mode2 text|"
    "*.mode2|All files|*";

constexpr int ListedInSummary = 40;

QString listed(const QStringList& lines)
{
    QStringList shown = lines.mid(0, ListedInSummary);
    if (lines.size() > ListedInSummary)
        shown << QStringLiteral("... and %1 more").arg(lines.size() - ListedInSummary);
    return shown.join(u'\n');
}

} // namespace

std::optional<QString> chooseCodeFile(Prompter& prompter)
{
    return prompter.chooseOpenFile({CodeFileFilter, {}, FileFamily::Codes});
}

bool importCodesFromPath(Project& project, Prompter& prompter, const QString& path, int firstRow)
{
    KeyTable& keys = project.keys();
    if (firstRow < 0 || firstRow >= keys.recordCount())
        return false;
    QFile file(path);
    if (QFileInfo(path).size() > qint64(interchange::MaxInputBytes) ||
        !file.open(QIODevice::ReadOnly)) {
        prompter.titledNotice(
            QLatin1String(ImportCodesTitle),
            QStringLiteral("Cannot read %1.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    auto format = interchange::formatFromExtension(path.toStdString());
    if (!format)
        format = interchange::formatFromContent(text);
    if (!format) {
        prompter.titledNotice(
            QLatin1String(ImportCodesTitle),
            QStringLiteral("%1 is no Pronto Hex, Flipper, LIRC, mode2 or IRDB CSV file.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    // Slot IDs follow the rows from the current one down.
    const int firstId = keys.row(firstRow).id;
    const int lastId = keys.row(keys.recordCount() - 1).id;
    const ImportPlan plan = planCodeImport(interchange::parseCodes(*format, text), firstId, lastId);
    if (plan.stored.empty()) {
        prompter.titledNotice(
            QLatin1String(ImportCodesTitle),
            plan.problems.isEmpty()
                ? QStringLiteral("%1 holds no codes.").arg(QDir::toNativeSeparators(path))
                : QStringLiteral("No code could be imported:\n%1").arg(listed(plan.problems)));
        return false;
    }

    QStringList holding;
    for (const ImportedSlot& slot : plan.stored) {
        const CodeRecord now = recordOf(keys.row(firstRow + slot.id - firstId));
        if (hasCode(now, Code::A) || hasCode(now, Code::B))
            holding << QString::number(slot.id);
    }
    QString question =
        QStringLiteral("%1 codes go into slots %2 to %3: %4 slots will be overwritten.")
            .arg(plan.stored.size())
            .arg(plan.stored.front().id)
            .arg(plan.stored.back().id)
            .arg(plan.stored.size());
    question += holding.isEmpty() ? QStringLiteral("\nNone of them holds a code now.")
                                  : QStringLiteral("\nThese hold a code now: %1.")
                                        .arg(holding.join(QStringLiteral(", ")));
    if (!plan.problems.isEmpty())
        question += QStringLiteral("\n%1 codes cannot be stored; they are listed afterwards.")
                        .arg(plan.problems.size());
    question += QStringLiteral("\nImport?");
    if (prompter.ask({QuestionKind::ImportCodes, QLatin1String(ImportCodesTitle), question}) !=
        Answer::Yes)
        return false;

    QStringList lines;
    for (const ImportedSlot& slot : plan.stored) {
        keys.setRecNo(firstRow + slot.id - firstId + 1);
        KeyRow row = keys.current();
        row.irData = bytesOf(slot.record);
        row.function = slot.name;
        keys.post(row);
        lines << QStringLiteral("%1  %2  %3").arg(slot.id).arg(slot.name, slot.protocol);
    }
    keys.setRecNo(firstRow + 1);
    QString summary =
        QStringLiteral("Stored %1 codes:\n%2").arg(plan.stored.size()).arg(listed(lines));
    if (!plan.problems.isEmpty())
        summary += QStringLiteral("\n\nRefused:\n%1").arg(listed(plan.problems));
    if (!plan.warnings.isEmpty())
        summary += QStringLiteral("\n\nWarnings:\n%1").arg(listed(plan.warnings));
    prompter.tell({NoticeKind::Completed, QLatin1String(ImportCodesTitle), summary, QString()});
    return true;
}

bool exportCodesToFile(Project& project, Prompter& prompter, const std::vector<int>& rows)
{
    const KeyTable& keys = project.keys();
    std::vector<int> chosen = rows;
    if (chosen.empty())
        for (int i = 0; i < keys.recordCount(); ++i)
            chosen.push_back(i);
    std::vector<SlotCode> codes;
    for (int i : chosen) {
        if (i < 0 || i >= keys.recordCount())
            continue;
        const CodeRecord record = recordOf(keys.row(i));
        if (hasCode(record, Code::A) || hasCode(record, Code::B))
            codes.push_back({keys.row(i).id, textOf(keys.row(i).function), record});
    }
    if (codes.empty()) {
        prompter.titledNotice(QLatin1String(ExportCodesTitle),
                              QStringLiteral("No slot holds a code to export."));
        return false;
    }
    const QString base = QFileInfo(project.currentFile()).completeBaseName();
    const std::optional<QString> path = prompter.chooseSaveFile(
        {CodeFileFilter, (base.isEmpty() ? QStringLiteral("codes") : base) + QStringLiteral(".ir"),
         FileFamily::Codes});
    if (!path)
        return false;
    const interchange::Format format =
        interchange::formatFromExtension(path->toStdString()).value_or(interchange::Format::Pronto);
    const interchange::WriteResult written =
        interchange::writeCodes(format, exportCodesOf(codes), base.toStdString());
    QStringList refused;
    for (const auto& why : written.refused)
        refused << QString::fromStdString(why);
    if (written.count == 0) {
        prompter.titledNotice(QLatin1String(ExportCodesTitle),
                              QStringLiteral("No code could be written:\n%1").arg(listed(refused)));
        return false;
    }
    writeFileWhole(*path, QByteArray::fromStdString(written.text));
    QString summary = QStringLiteral("Wrote %1 codes to %2.")
                          .arg(written.count)
                          .arg(QDir::toNativeSeparators(*path));
    if (!refused.isEmpty())
        summary += QStringLiteral("\n\nNot exported:\n%1").arg(listed(refused));
    for (const auto& warning : written.warnings)
        summary += QStringLiteral("\n") + QString::fromStdString(warning);
    prompter.tell({NoticeKind::Completed, QLatin1String(ExportCodesTitle), summary, QString()});
    return true;
}

} // namespace qlv
