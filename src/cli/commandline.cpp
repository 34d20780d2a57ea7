#include "commandline.h"

#include "cliprompter.h"
#include "commands.h"
#include "console.h"
#include "errors.h"
#include "help.h"

#include <project/storeerror.h>

namespace qlv::cli {

namespace {

bool isHelpOption(const QString& word)
{
    return word == u"--help" || word == u"-h";
}

int usageError(const QString& message, const QString& usage)
{
    printErr(message);
    printErr(usage);
    return ExitUsage;
}

int helpRequest(const QStringList& arguments)
{
    // "qlvtool --help COMMAND" as well as "qlvtool COMMAND --help".
    if (arguments.size() > 1) {
        if (const CommandSpec* command = findCommand(arguments.at(1))) {
            printOut(commandHelp(*command));
            return ExitSuccess;
        }
        return usageError(QStringLiteral("Unknown command \"%1\".").arg(arguments.at(1)),
                          programHelp());
    }
    printOut(programHelp());
    return ExitSuccess;
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
            return ExitSuccess;
        } else if (word == u"--force" && command.takesForce) {
            force = true;
        } else if (option && option->flag) {
            if (equals >= 0)
                return usageError(QStringLiteral("\"--%1\" takes no value.").arg(name),
                                  commandUsage(command));
            options.insert(QLatin1String(option->name), QString());
        } else if (option && equals >= 0) {
            options.insert(QLatin1String(option->name), word.mid(equals + 1));
        } else if (option && i + 1 < words.size()) {
            options.insert(QLatin1String(option->name), words.at(++i));
        } else if (option) {
            return usageError(QStringLiteral("\"--%1\" takes a value.").arg(name),
                              commandUsage(command));
        } else {
            return usageError(QStringLiteral("\"%1\" takes no option \"%2\".")
                                  .arg(QLatin1String(command.name), word),
                              commandUsage(command));
        }
    }
    // "[ID...]" may be left out or repeated; "NAME=VALUE..." repeated.
    qsizetype wanted = 0;
    bool more = false;
    for (const QString& param : QString::fromLatin1(command.params).split(u' ')) {
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
                          commandUsage(command));

    CliPrompter prompter(force);
    try {
        command.run({command, args, prompter, options});
        return ExitSuccess;
    } catch (const UsageError& error) {
        return usageError(error.message, commandUsage(command));
    } catch (const Failure& failure) {
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
        return usageError(QStringLiteral("No command given."), programHelp());
    if (isHelpOption(arguments.first()) || arguments.first() == u"help")
        return helpRequest(arguments);
    const CommandSpec* command = findCommand(arguments.first());
    if (!command)
        return usageError(QStringLiteral("Unknown command \"%1\".").arg(arguments.first()),
                          programHelp());
    return run(*command, arguments.mid(1));
}

} // namespace qlv::cli
