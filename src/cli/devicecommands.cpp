// The device commands: download, upload, learn and send, over the same device link as the
// window. No questions are asked; the program's messages go to stdout when a sequence
// completed and to stderr otherwise.
#include "arguments.h"
#include "console.h"
#include "errors.h"
#include "handlers.h"
#include "progress.h"
#include "session.h"

#include <core/storeerror.h>
#include <device/compare.h>
#include <device/devicelink.h>
#include <device/devicemessages.h>
#include <device/frames.h>
#include <device/tracestream.h>
#include <platform/systemports.h>
#include <project/wholefile.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace qlv::cli {

namespace {

// The sequence's messages as the window would show them: a completion is the command's
// result, every other message explains a failure.
class DevicePrompter final : public Prompter {
public:
    explicit DevicePrompter(CliPrompter& base)
        : m_base(base)
    {
    }
    bool forced() const { return m_base.forced(); }
    Answer ask(const Question& question) override
    {
        // Learning twice: what differed goes to stderr; the row stays and the run goes on.
        if (question.kind == QuestionKind::TryKeyAgain) {
            const qsizetype end = question.text.lastIndexOf(u'\n');
            m_base.notice(end < 0 ? question.text : question.text.left(end));
            return Answer::No;
        }
        return m_base.ask(question);
    }
    void tell(const Notice& notice) override
    {
        if (notice.kind != NoticeKind::Completed)
            m_base.tell(notice);
        else if (!quiet())
            printOut(notice.text);
    }
    std::optional<QString> chooseOpenFile(const FileRequest& request) override
    {
        return m_base.chooseOpenFile(request);
    }
    std::optional<QString> chooseSaveFile(const FileRequest& request) override
    {
        return m_base.chooseSaveFile(request);
    }

private:
    CliPrompter& m_base;
};

// Ctrl+C as the window's Cancel or Stop: the sequence ends in its own way (the control byte,
// ESC, the return to 9600 bit/s). A second Ctrl+C ends the program as the handler before
// this one would (cleaning up temporary files).
class InterruptWatch {
public:
    explicit InterruptWatch(std::function<void()> onInterrupt)
        : m_onInterrupt(std::move(onInterrupt))
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            char byte = 0;
            if (::read(s_pipe[1], &byte, 1) == 1 && m_onInterrupt)
                m_onInterrupt();
        });
        struct sigaction action {};
        action.sa_handler = [](int) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
            ::sigaction(SIGINT, &s_previous, nullptr);
        };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &s_previous);
    }
    ~InterruptWatch()
    {
        ::sigaction(SIGINT, &s_previous, nullptr);
        m_notifier.reset();
        for (int& fd : s_pipe)
            if (fd >= 0)
                ::close(std::exchange(fd, -1));
    }

private:
    static inline int s_pipe[2] = {-1, -1};
    std::function<void()> m_onInterrupt;
    std::unique_ptr<QSocketNotifier> m_notifier;
    static inline struct sigaction s_previous {
    };
};

const QString PortOption = QStringLiteral("port");

// The options every device command takes, checked before any file is looked at.
struct DeviceOptions {
    QString port;
    std::uint8_t deviceId = 0;
    QString trace;
    QString portMap;
};

unsigned parseNumber(const Invocation& invocation, const QString& name, unsigned fallback,
                     unsigned highest, const char* what)
{
    const auto found = invocation.options.constFind(name);
    if (found == invocation.options.cend())
        return fallback;
    bool ok = false;
    const unsigned value = found->startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                               ? found->mid(2).toUInt(&ok, 16)
                               : found->toUInt(&ok, 10);
    if (!ok || value > highest || found->startsWith(u'+'))
        throw UsageError{
            QStringLiteral("--%1 takes %2, not \"%3\".").arg(name, QLatin1String(what), *found)};
    return value;
}

DeviceOptions deviceOptions(const Invocation& invocation)
{
    DeviceOptions options;
    options.port = invocation.options.value(PortOption);
    if (options.port.isEmpty())
        throw UsageError{QStringLiteral("--port is required: a device path or COM1 to COM8.")};
    // Anything but COM1 ... COM8 is a path; a relative one is taken from the current folder,
    // as the serial port layer would otherwise look for it under /dev.
    const bool comName =
        !options.port.contains(u'/') && !PortMap().devicePath(options.port).isEmpty();
    if (!comName &&
        QRegularExpression(QStringLiteral("^COM[0-9]+$"), QRegularExpression::CaseInsensitiveOption)
            .match(options.port)
            .hasMatch())
        throw UsageError{QStringLiteral("--port takes COM1 to COM8 or a device path, not \"%1\".")
                             .arg(options.port)};
    if (!comName)
        options.port = QFileInfo(options.port).absoluteFilePath();
    // What goes wrong on the line is about the port.
    setMessageFiles(QStringList{options.port} + messageFiles());
    const QString id = invocation.options.value(QStringLiteral("id"), QStringLiteral("0"));
    bool numeric = false;
    const int position = id.toInt(&numeric);
    if (numeric && !id.startsWith(u'+') && position >= 0 && position <= 14)
        options.deviceId = std::uint8_t(position);
    else if (const std::optional<std::uint8_t> entry = deviceIdOf(id); entry && !numeric)
        options.deviceId = *entry;
    else
        throw UsageError{QStringLiteral("--id takes 0 to 14 or one of 0-9, A, B, C, E, F, "
                                        "not \"%1\".")
                             .arg(id)};
    options.trace = invocation.options.value(QStringLiteral("trace"));
    options.portMap = invocation.options.value(QStringLiteral("port-map"));
    return options;
}

// One device command's run: the project, the link on the chosen port, and the trace written
// whole when the command ends, however it ends.
class DeviceRun {
public:
    DeviceRun(const Invocation& invocation, const DeviceOptions& options)
        : m_options(options)
        , m_prompter(invocation.prompter)
        , m_session(invocation.prompter)
    {
        std::unique_ptr<ByteStream> stream = makeSerialStream();
        if (!options.trace.isEmpty()) {
            auto trace = std::make_unique<TraceStream>(std::move(stream));
            m_trace = trace.get();
            stream = std::move(trace);
        }
        const QString map = options.portMap.isEmpty() ? PortMap::defaultFile() : options.portMap;
        m_portMap = map;
        m_link = std::make_unique<DeviceLink>(m_prompter, m_session.project(), std::move(stream),
                                              loadPortMap(map));
        m_link->settings().DeviceId = options.deviceId;
    }

    ~DeviceRun()
    {
        if (!m_traceFile)
            return;
        try {
            m_traceFile->commit(m_trace->text());
        } catch (const StoreError& error) {
            printErr(error.text());
        }
    }

    Session& session() { return m_session; }
    DeviceLink& link() { return *m_link; }

    // Opens the project and the port at 9600 bit/s, as the window has both at the start. The
    // trace file is checked and begun first, so a trace that cannot be written sends nothing.
    void open(const QString& project)
    {
        m_session.open(project);
        if (m_trace)
            beginTrace();
        SerialComm& comm = m_link->comm();
        comm.setCommName(m_options.port);
        comm.setBaudRate(CommandRate);
        if (!comm.OpenComm(comm.commName()))
            throw Failure{};
    }

private:
    void beginTrace()
    {
        const QString trace = resolvedWriteTarget(m_options.trace);
        const QString port = PortMap::fromFile(m_portMap).devicePath(m_options.port);
        for (const QString& own : {m_session.project().currentFile(), m_portMap, port}) {
            if (!own.isEmpty() && resolvedWriteTarget(own) == trace)
                throw Failure{QStringLiteral("The trace file %1 is one of this command's own "
                                             "files; give the trace another name.")
                                  .arg(QDir::toNativeSeparators(m_options.trace))};
        }
        if (QFileInfo::exists(m_options.trace) && !m_prompter.forced())
            throw Failure{QStringLiteral("%1 exists; --force replaces it.")
                              .arg(QDir::toNativeSeparators(m_options.trace))};
        m_traceFile = std::make_unique<PendingFile>(m_options.trace);
    }

    DeviceOptions m_options;
    DevicePrompter m_prompter;
    Session m_session;
    QString m_portMap;
    TraceStream* m_trace = nullptr;
    std::unique_ptr<PendingFile> m_traceFile;
    std::unique_ptr<DeviceLink> m_link;
};

std::vector<int> parseSlotIds(const QString& text)
{
    std::vector<int> ids;
    for (const QString& part : text.split(u','))
        ids.push_back(parseSlotId(part.trimmed()));
    return ids;
}

QString rowSummary(const KeyRow& row)
{
    const QString format = textOf(row.format);
    return QStringLiteral("%1: %2 %3 Hz").arg(row.id).arg(format, textOf(row.carry));
}

} // namespace

void runDownload(const Invocation& invocation)
{
    const DeviceOptions options = deviceOptions(invocation);
    DeviceRun run(invocation, options);
    run.open(invocation.args.at(0));
    TerminalProgress progress(run.link());
    InterruptWatch interrupt([&run] { run.link().cancelTransfer(); });
    if (invocation.options.contains(QStringLiteral("verify"))) {
        const VerifyOutcome outcome = run.link().downloadVerified();
        if (!outcome.verified || !outcome.differing.empty())
            throw Failure{};
        return;
    }
    if (run.link().downloadAll() != TransferEnding::Completed)
        throw Failure{};
}

void runCompare(const Invocation& invocation)
{
    const DeviceOptions options = deviceOptions(invocation);
    DeviceRun run(invocation, options);
    run.open(invocation.args.at(0));
    EepromRead read;
    {
        TerminalProgress progress(run.link());
        InterruptWatch interrupt([&run] { run.link().cancelTransfer(); });
        read = run.link().readEeprom(ReadPurpose::Compare);
    }
    if (read.ending != TransferEnding::Completed)
        throw Failure{};
    const std::vector<SlotComparison> compared =
        compareWithDevice(run.session().keys(), read.records);
    auto side = [](const QString& name, const QString& code) {
        return QStringLiteral("%1\t%2").arg(name.isEmpty() ? QStringLiteral("-") : name,
                                            code.isEmpty() ? QStringLiteral("-") : code);
    };
    int differing = 0;
    QString out;
    for (const SlotComparison& slot : compared) {
        if (slot.difference == SlotDifference::Equal)
            continue;
        ++differing;
        out += QStringLiteral("%1\t%2\t%3\t%4\n")
                   .arg(slot.id)
                   .arg(differenceText(slot.difference), side(slot.projectName, slot.projectCode),
                        side(slot.deviceName, slot.deviceCode));
    }
    out += QStringLiteral("%1 slots: %2 equal, %3 differ.\n")
               .arg(compared.size())
               .arg(qsizetype(compared.size()) - differing)
               .arg(differing);
    printOut(out.chopped(1));
    if (differing > 0)
        throw Failure{QStringLiteral("The device differs from the project in %1 of %2 slots.")
                          .arg(differing)
                          .arg(compared.size())};
}

void runUpload(const Invocation& invocation)
{
    const DeviceOptions options = deviceOptions(invocation);
    DeviceRun run(invocation, options);
    run.open(invocation.args.at(0));
    TransferEnding ending = TransferEnding::Declined;
    {
        TerminalProgress progress(run.link());
        InterruptWatch interrupt([&run] { run.link().cancelTransfer(); });
        ending = run.link().uploadAll();
    }
    // Only a whole EEPROM replaces the project's rows; a part of one would mix two remotes.
    if (ending != TransferEnding::Completed)
        throw Failure{};
    run.session().saveInPlace();
}

void runLearn(const Invocation& invocation)
{
    const DeviceOptions options = deviceOptions(invocation);
    const std::vector<int> ids = parseSlotIds(invocation.args.at(1));
    const auto format =
        std::uint8_t(parseNumber(invocation, QStringLiteral("format"), 1, 2, "1 or 2"));
    const auto time =
        std::uint8_t(parseNumber(invocation, QStringLiteral("time"), 1, 3, "1, 2 or 3"));
    if (format == 0 || time == 0)
        throw UsageError{QStringLiteral("--format takes 1 or 2 and --time 1, 2 or 3.")};

    DeviceRun run(invocation, options);
    run.open(invocation.args.at(0));
    DeviceLink& link = run.link();
    link.settings().IrFormat = format;
    link.settings().LearnTime = time;
    link.settings().learnTwice = invocation.options.contains(QStringLiteral("twice"));
    std::vector<int> rows;
    for (const int id : ids)
        rows.push_back(run.session().indexOf(id)); // fails before anything is sent
    KeyTable& keys = run.session().keys();
    QObject::connect(&link, &DeviceLink::keyAwaited, [&keys] {
        printNote(QStringLiteral("ID %1: press the key on the remote, pointed at the device "
                                 "(Ctrl+C stops).")
                      .arg(keys.current().id));
    });
    QObject::connect(&link, &DeviceLink::learnChecked, [](const QString& text) {
        if (!quiet())
            printOut(text);
    });
    QObject::connect(&link, &DeviceLink::learnedCodeShown, [&keys] {
        if (!quiet())
            printOut(rowSummary(keys.current()));
    });

    LearnOutcome outcome;
    {
        InterruptWatch interrupt([&link] { link.IRLearnExecute({}); });
        outcome = link.IRLearnExecute(rows);
    }
    // Every learned row is whole on its own, so what was learned is kept even when the run
    // ended early.
    if (outcome.rowsLearned > 0)
        run.session().saveInPlace();
    if (outcome.ending == LearnEnding::Stopped)
        throw Failure{QStringLiteral("Stopped after %1 of %2 rows.")
                          .arg(outcome.rowsLearned)
                          .arg(rows.size())};
    if (outcome.ending != LearnEnding::Completed)
        throw Failure{};
    if (outcome.rowsMismatched > 0)
        throw Failure{QStringLiteral("%1 of %2 rows left unchanged: their captures differed.")
                          .arg(outcome.rowsMismatched)
                          .arg(rows.size())};
}

void runSend(const Invocation& invocation)
{
    const DeviceOptions options = deviceOptions(invocation);
    const int id = parseSlotId(invocation.args.at(1));
    const auto mask = std::uint8_t(
        parseNumber(invocation, QStringLiteral("ports"), 255, 255, "a port mask from 0 to 255"));
    const int holdMs = int(parseNumber(invocation, QStringLiteral("hold-ms"), 200, 600000,
                                       "milliseconds up to 600000"));

    DeviceRun run(invocation, options);
    run.open(invocation.args.at(0));
    DeviceLink& link = run.link();
    link.settings().IrPortMask = mask;
    run.session().goTo(id);

    // The key counts as held from the moment its code has gone out.
    QElapsedTimer held;
    switch (link.holdToSend([&held, holdMs] {
        if (!held.isValid())
            held.start();
        return held.elapsed() < holdMs;
    })) {
    case SendOutcome::Sent:
        return;
    case SendOutcome::NoCode:
        throw Failure{QStringLiteral("ID %1 holds no IR code; nothing was sent.").arg(id)};
    case SendOutcome::Busy:
        throw Failure{QStringLiteral("The device is busy (it answered \"B\"); nothing was sent.")};
    case SendOutcome::Ignored:
    case SendOutcome::WriteFailed:
    case SendOutcome::NoDevice:
        throw Failure{};
    }
}

} // namespace qlv::cli
