#include "commandline.h"

#include "cliprompter.h"
#include "commands.h"
#include "console.h"
#include "errors.h"
#include "help.h"

#include <core/storeerror.h>
#include <platform/versioninfo.h>
#include <project/filenames.h>

#include <QFileInfo>

namespace qlv::cli {

namespace {

bool isHelpOption(const QString& word)
{
    return word == u"--help" || word == u"-h";
}

// One line naming the problem and where to read more; the help itself would bury it.
int usageError(const QString& message, const CommandSpec* command = nullptr)
{
    printRawErr(QStringLiteral("qlvtool: ") + message);
    printRawErr(command
                    ? QStringLiteral("Try 'qlvtool %1 --help'.").arg(QLatin1String(command->name))
                    : QStringLiteral("Try 'qlvtool --help'."));
    return ExitUsage;
}

// Help and other output the user asked for: written whole, or exit 1.
int outputStatus(int status)
{
    return outputWritten() ? status : ExitFailure;
}

// The positional arguments that name files, as a message names them: an input named without
// its extension by the name it is found under.
QStringList filesOf(const CommandSpec& command, const QStringList& args)
{
    const QStringList params = QString::fromLatin1(command.params).split(u' ');
    QStringList files;
    for (qsizetype i = 0; i < params.size() && i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const QString& param = params.at(i);
        if (param == u"PROJECT" || param == u"LEGACY")
            files << (QFileInfo::exists(arg) ? arg : withProjectExtension(arg));
        else if (param == u"IMAGE")
            files << (QFileInfo::exists(arg) ? arg : withImageExtension(arg));
        else if (param == u"FILE")
            files << arg;
    }
    return files;
}

int helpRequest(const QStringList& arguments)
{
    // "qlvtool --help COMMAND" as well as "qlvtool COMMAND --help".
    if (arguments.size() > 1) {
        if (const CommandSpec* command = findCommand(arguments.at(1))) {
            printOut(commandHelp(*command));
            return outputStatus(ExitSuccess);
        }
        return usageError(QStringLiteral("Unknown command \"%1\".").arg(arguments.at(1)));
    }
    printOut(programHelp());
    return outputStatus(ExitSuccess);
}

const OptionSpec* findOption(const CommandSpec& command, QStringView name)
{
    for (const OptionSpec& option : command.options)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

int run(const CommandSpec& command, const QStringList& words)
{
    QStringList args;
    QHash<QString, QString> options;
    bool force = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        // "--name=value" or "--name value" for the options that take a value.
        const qsizetype equals = word.indexOf(u'=');
        const QStringView name = QStringView(word).mid(2, equals < 0 ? -1 : equals - 2);
        const OptionSpec* option = word.startsWith(u"--") ? findOption(command, name) : nullptr;
        // After "--" every word is an argument, so a name or a remark may start with '-'.
        if (optionsEnded || word == u"-" || !word.startsWith(u'-')) {
            args << word;
        } else if (word == u"--") {
            optionsEnded = true;
        } else if (isHelpOption(word)) {
            printOut(commandHelp(command));
            return outputStatus(ExitSuccess);
        } else if (word == u"--quiet" || word == u"-q") {
            setQuiet(true);
        } else if (word == u"--force" && command.takesForce) {
            force = true;
        } else if (option && option->flag) {
            if (equals >= 0)
                return usageError(QStringLiteral("\"--%1\" takes no value.").arg(name), &command);
            options.insert(QLatin1String(option->name), QString());
        } else if (option && equals >= 0) {
            options.insert(QLatin1String(option->name), word.mid(equals + 1));
        } else if (option && i + 1 < words.size()) {
            options.insert(QLatin1String(option->name), words.at(++i));
        } else if (option) {
            return usageError(QStringLiteral("\"--%1\" takes a value.").arg(name), &command);
        } else {
            return usageError(QStringLiteral("\"%1\" takes no option \"%2\".")
                                  .arg(QLatin1String(command.name), word),
                              &command);
        }
    }
    // "[ID...]" may be left out or repeated; "NAME=VALUE..." repeated.
    qsizetype wanted = 0;
    bool more = false;
    for (const QString& param :
         QString::fromLatin1(command.params).split(u' ', Qt::SkipEmptyParts)) {
        more = more || param.endsWith(QLatin1String("...")) ||
               (param.startsWith(u'[') && param.endsWith(QLatin1String("...]")));
        wanted += param.startsWith(u'[') ? 0 : 1;
    }
    if (more ? args.size() < wanted : args.size() != wanted)
        return usageError(QStringLiteral("\"%1\" takes %2%3 %4, %5 given.")
                              .arg(QLatin1String(command.name))
                              .arg(more ? QStringLiteral("at least ") : QString())
                              .arg(wanted)
                              .arg(wanted == 1 ? "argument" : "arguments")
                              .arg(args.size()),
                          &command);

    setMessageFiles(filesOf(command, args));
    CliPrompter prompter(force);
    try {
        command.run({command, args, prompter, options});
        return outputStatus(ExitSuccess);
    } catch (const UsageError& error) {
        return usageError(error.message, &command);
    } catch (const Failure& failure) {
        // The refusal to replace is about the output, the command's last file.
        if (command.takesForce && prompter.refusedReplace())
            setMessageFiles({messageFiles().value(messageFiles().size() - 1)});
        if (!failure.message.isEmpty())
            printErr(failure.message);
        else if (!prompter.hasReported())
            printErr(QStringLiteral("\"%1\" did not complete.").arg(QLatin1String(command.name)));
    } catch (const StoreError& error) {
        printErr(error.text());
    }
    return ExitFailure;
}

} // namespace

int runCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("No command given."));
    if (isHelpOption(arguments.first()) || arguments.first() == u"help")
        return helpRequest(arguments);
    if (arguments.first() == u"--version") {
        printOut(versionLine(QStringLiteral("qlvtool")));
        return outputStatus(ExitSuccess);
    }
    const CommandSpec* command = findCommand(arguments.first());
    if (!command)
        return usageError(QStringLiteral("Unknown command \"%1\".").arg(arguments.first()));
    return run(*command, arguments.mid(1));
}

} // namespace qlv::cli
