// The help texts, built from the command table so they cannot drift from it.
#pragma once

#include "commands.h"

#include <QString>

namespace qlv::cli {

QString programHelp();
QString commandUsage(const CommandSpec& command);
QString commandHelp(const CommandSpec& command);

} // namespace qlv::cli
