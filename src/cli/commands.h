// The command table: what each command is called, what it takes and how it is run.
#pragma once

#include <QHash>
#include <QStringList>

#include <span>

namespace qlv::cli {

class CliPrompter;
struct CommandSpec;

// One parsed command line, options taken out.
struct Invocation {
    const CommandSpec& command;
    QStringList args;
    CliPrompter& prompter;
    // The options with a value that were given, by name without "--".
    QHash<QString, QString> options;
};

// An option that takes a value: "--port PORT" or "--port=PORT".
struct OptionSpec {
    const char* name;  // without "--"
    const char* value; // how the help names the value
    const char* help;
    bool required = false;
    bool flag = false; // takes no value: "--skip-bad"
};

struct CommandSpec {
    const char* name;
    const char* params;  // the positional arguments, "PROJECT ID FILE"
    bool takesForce;     // writes a file that may already exist
    const char* summary; // one line of the command list
    const char* details; // the rest of the command's own help
    void (*run)(const Invocation&);
    std::span<const OptionSpec> options = {};
};

std::span<const CommandSpec> commands();
const CommandSpec* findCommand(const QString& name);

} // namespace qlv::cli
