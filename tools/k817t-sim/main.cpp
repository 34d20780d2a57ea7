// k817t-sim: a K-817T on a pseudo-terminal. Prints the path of the line's program end on the
// first line of stdout, then answers QLV's sequences until it is stopped (SIGINT, SIGTERM).
#include "simdevice.h"
#include "simline.h"

#include <platform/versioninfo.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>

#include <unistd.h>

using namespace k817t;

namespace {

void onStopSignal(int)
{
    SimLine::requestStop();
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: the blocking poll returns and the loop sees the flag
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

bool slotNumber(const QCommandLineParser& parser, const QString& name, int* value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    *value = parser.value(name).toInt(&ok);
    if (ok && *value >= 0 && *value < 512)
        return true;
    std::fprintf(stderr, "k817t-sim: --%s takes a slot number from 0 to 511\n", qPrintable(name));
    return false;
}

bool milliseconds(const QCommandLineParser& parser, const QString& name, int* value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    *value = parser.value(name).toInt(&ok);
    if (ok && *value >= 0)
        return true;
    std::fprintf(stderr, "k817t-sim: --%s takes milliseconds\n", qPrintable(name));
    return false;
}

bool pressCount(const QCommandLineParser& parser, int* value)
{
    if (!parser.isSet(QStringLiteral("presses")))
        return true;
    bool ok = false;
    *value = parser.value(QStringLiteral("presses")).toInt(&ok);
    if (ok && *value >= 1)
        return true;
    std::fprintf(stderr, "k817t-sim: --presses takes a count from 1 on\n");
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("k817t-sim"));
    QCoreApplication::setApplicationVersion(qlv::versionNumber());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A K-817T IR learner on a pseudo-terminal. The first line of output is "
                       "the device path to open (or to map in ports.ini)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("eeprom"),
         QStringLiteral("Keep the 512-slot EEPROM in <file> (created on the first download)."),
         QStringLiteral("file")},
        {QStringLiteral("pace"), QStringLiteral("Send and take bytes at the real line rates.")},
        {QStringLiteral("busy"), QStringLiteral("Answer every send with \"B\".")},
        {QStringLiteral("mute"), QStringLiteral("Answer no send.")},
        {QStringLiteral("silent"), QStringLiteral("Answer nothing: a line without a device.")},
        {QStringLiteral("stop-ack-at"),
         QStringLiteral("From slot <n> on, acknowledge (download) or send (upload) no more."),
         QStringLiteral("n")},
        {QStringLiteral("close-at"), QStringLiteral("Close the line while slot <n> is on its way."),
         QStringLiteral("n")},
        {QStringLiteral("short-at"), QStringLiteral("Upload: send slot <n> 300 bytes short."),
         QStringLiteral("n")},
        {QStringLiteral("late"), QStringLiteral("Answer <ms> late."), QStringLiteral("ms")},
        {QStringLiteral("late-at"), QStringLiteral("Be late only at slot <n> of a transfer."),
         QStringLiteral("n")},
        {QStringLiteral("learn-delay"),
         QStringLiteral("Milliseconds from LEARN to the learned code (default 1500)."),
         QStringLiteral("ms")},
        {QStringLiteral("flip-at"), QStringLiteral("Download: store one byte of slot <n> wrong."),
         QStringLiteral("n")},
        {QStringLiteral("presses"),
         QStringLiteral("Each key is learned <n> times in a row before the next (default 1)."),
         QStringLiteral("n")},
        {QStringLiteral("noisy"), QStringLiteral("Learned codes come with timing jitter.")},
        {QStringLiteral("noisy-bad"),
         QStringLiteral("As --noisy, and every second learned code has a wrong bit.")},
        {QStringLiteral("link"),
         QStringLiteral("Also make <path> a symbolic link to the device path."),
         QStringLiteral("path")},
        {QStringLiteral("quiet"), QStringLiteral("Log nothing on stderr.")},
    });
    parser.process(app);

    SimOptions options;
    options.eepromFile = parser.value(QStringLiteral("eeprom"));
    options.busy = parser.isSet(QStringLiteral("busy"));
    options.mute = parser.isSet(QStringLiteral("mute"));
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.noisy = parser.isSet(QStringLiteral("noisy"));
    options.noisyBad = parser.isSet(QStringLiteral("noisy-bad"));
    if (!slotNumber(parser, QStringLiteral("stop-ack-at"), &options.stopAckAt) ||
        !slotNumber(parser, QStringLiteral("close-at"), &options.closeAt) ||
        !slotNumber(parser, QStringLiteral("short-at"), &options.shortAt) ||
        !slotNumber(parser, QStringLiteral("late-at"), &options.lateAt) ||
        !slotNumber(parser, QStringLiteral("flip-at"), &options.flipAt) ||
        !pressCount(parser, &options.presses) ||
        !milliseconds(parser, QStringLiteral("late"), &options.lateMs) ||
        !milliseconds(parser, QStringLiteral("learn-delay"), &options.learnDelayMs))
        return 2;

    SimLine line;
    if (!line.isValid()) {
        std::perror("k817t-sim: no pseudo-terminal");
        return 1;
    }
    line.setPaced(parser.isSet(QStringLiteral("pace")));
    SimDevice device(line, options);
    QString error;
    if (!device.loadEeprom(&error)) {
        std::fprintf(stderr, "k817t-sim: %s\n", qPrintable(error));
        return 1;
    }
    const QString link = parser.value(QStringLiteral("link"));
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(line.slavePath(), link)) {
            std::fprintf(stderr, "k817t-sim: cannot make the link %s\n", qPrintable(link));
            return 1;
        }
    }
    installStopHandlers();
    std::printf("%s\n", qPrintable(line.slavePath()));
    std::fflush(stdout);
    device.run();
    if (!link.isEmpty())
        QFile::remove(link);
    return 0;
}
