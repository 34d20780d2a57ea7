// How a command ends early. Both are thrown before or instead of the step that would write, so
// whatever has not been saved yet stays unsaved.
#pragma once

#include <QString>

namespace qlv::cli {

enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// The command line itself is wrong: exit 2, the message and the command's usage on stderr.
struct UsageError {
    QString message;
};

// The operation could not be done: exit 1. An empty message means the core has already said why.
struct Failure {
    QString message;
};

} // namespace qlv::cli
