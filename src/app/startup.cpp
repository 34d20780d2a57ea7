#include "startup.h"

#include "mainwindow.h"

#include <QTimer>

namespace qlv {

StartupRequest parseStartup(const QStringList& arguments)
{
    StartupRequest request;
    QStringList files;
    bool optionsEnded = false;
    for (const QString& word : arguments) {
        if (!optionsEnded && (word == u"--help" || word == u"-h"))
            return {StartupRequest::Help, {}, {}};
        if (!optionsEnded && word == u"--version")
            return {StartupRequest::Version, {}, {}};
        if (!optionsEnded && word == u"--")
            optionsEnded = true;
        else if (!optionsEnded && word.startsWith(u'-') && word != u"-")
            request = {
                StartupRequest::UsageError, {}, QStringLiteral("unknown option \"%1\".").arg(word)};
        else
            files << word;
    }
    if (request.action == StartupRequest::UsageError)
        return request;
    if (files.size() > 1)
        return {StartupRequest::UsageError,
                {},
                QStringLiteral("one file at a time, %1 given.").arg(files.size())};
    if (!files.isEmpty())
        request.file = files.first();
    return request;
}

QString startupHelp()
{
    return QStringLiteral(
        "Usage: qlv [FILE]\n"
        "\n"
        "The K-817T IR learner's desktop program: name, edit, learn and send its 512 key\n"
        "slots, download a project into the device and upload it back.\n"
        "\n"
        "FILE, when given, is opened after start-up as Open would: a project (.qlv), an\n"
        "EEPROM image (.bin) or a project file of the Windows version.\n"
        "\n"
        "  --help     show this help\n"
        "  --version  show the version\n"
        "\n"
        "Qt's options (-platform NAME, -style NAME, ...) are understood as well.\n"
        "Settings: QLV.ini and ports.ini in $XDG_CONFIG_HOME/QLV, the working copy in\n"
        "$XDG_STATE_HOME/QLV; beside the program when it runs from its build folder or a\n"
        "folder holding a file named \"portable\".\n");
}

void startWindow(MainWindow& window, const QString& file)
{
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.openSavedPort(); });
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openFile(file); });
}

} // namespace qlv
