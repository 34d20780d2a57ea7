#include "help.h"

namespace qlv::cli {

namespace {

const char* const CommonNotes =
    "A PROJECT or IMAGE name without \".qlv\" or \".bin\" gets it; an input file is\n"
    "read as named when it exists. ID is a key slot number from 1 to 512.\n"
    "An existing output file is replaced only with --force. Text is UTF-8.\n"
    "Put -- before an argument that starts with '-'.\n"
    "Exit status: 0 on success, 1 on a failure, 2 on a usage error.\n";

QString synopsis(const CommandSpec& command)
{
    return QStringLiteral("%1%2 %3").arg(QLatin1String(command.name),
                                         command.takesForce ? " [--force]" : "",
                                         QLatin1String(command.params));
}

} // namespace

QString programHelp()
{
    QString text = QStringLiteral("Usage: qlvtool COMMAND [--force] ARGUMENTS...\n"
                                  "       qlvtool COMMAND --help\n\n"
                                  "K-817T project files, EEPROM images and hex text without a "
                                  "window.\n\nCommands:\n");
    for (const CommandSpec& command : commands()) {
        const QString left =
            QStringLiteral("%1 %2").arg(QLatin1String(command.name), QLatin1String(command.params));
        text +=
            QStringLiteral("  %1 %2\n").arg(left.leftJustified(28), QLatin1String(command.summary));
    }
    return text + "\n" + QLatin1String(CommonNotes);
}

QString commandUsage(const CommandSpec& command)
{
    return QStringLiteral("Usage: qlvtool %1\n").arg(synopsis(command));
}

QString commandHelp(const CommandSpec& command)
{
    QString text = commandUsage(command) + "\n" + QLatin1String(command.details) + "\n\n";
    if (command.takesForce)
        text += QStringLiteral("  --force  replace an existing output file\n");
    text += QStringLiteral("  --help   show this help\n\n");
    return text + QLatin1String(CommonNotes);
}

} // namespace qlv::cli
