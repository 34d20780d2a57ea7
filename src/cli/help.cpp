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
    QString options;
    for (const OptionSpec& option : command.options)
        options += option.flag ? QStringLiteral(" [--%1]").arg(QLatin1String(option.name))
                               : QString::fromLatin1(option.required ? " --%1 %2" : " [--%1 %2]")
                                     .arg(QLatin1String(option.name), QLatin1String(option.value));
    return QStringLiteral("%1%2 %3%4")
        .arg(QLatin1String(command.name), command.takesForce ? " [--force]" : "",
             QLatin1String(command.params), options);
}

} // namespace

QString programHelp()
{
    QString text = QStringLiteral("Usage: qlvtool COMMAND [OPTIONS] ARGUMENTS...\n"
                                  "       qlvtool COMMAND --help\n"
                                  "       qlvtool --version\n\n"
                                  "K-817T project files, EEPROM images and hex text, and the "
                                  "K-817T itself on a serial port, without a window.\n\n"
                                  "Commands:\n");
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
    for (const OptionSpec& option : command.options) {
        const QString left = option.flag
                                 ? QStringLiteral("--%1").arg(QLatin1String(option.name))
                                 : QStringLiteral("--%1 %2").arg(QLatin1String(option.name),
                                                                 QLatin1String(option.value));
        text += QStringLiteral("  %1 %2\n").arg(left.leftJustified(18), QLatin1String(option.help));
    }
    if (command.takesForce)
        text += QStringLiteral("  --force  replace an existing output file\n");
    text += QStringLiteral("  --quiet  print nothing but errors\n");
    text += QStringLiteral("  --help   show this help\n\n");
    return text + QLatin1String(CommonNotes);
}

} // namespace qlv::cli
