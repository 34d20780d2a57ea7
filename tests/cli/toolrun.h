// qlvtool run as a process on real files, as the end-to-end tests run it.
#pragma once

#include <QString>
#include <QStringList>

namespace qlv::test {

struct ToolRun {
    int exitCode = -1; // -1: it crashed or did not end within a minute
    QString out;
    QString err;
};

ToolRun runQlvtool(const QString& folder, const QStringList& args);
// The same with variables added to the environment ("NAME=value").
ToolRun runQlvtool(const QString& folder, const QStringList& args, const QStringList& environment);
// The library that makes one system call fail in qlvtool (QLV_FAULT=fsync or rename).
QString faultInjectionLibrary();

// For a step a test builds on: its failure is logged, as it would only confuse what follows.
bool qlvtoolSucceeds(const QString& folder, const QStringList& args);

} // namespace qlv::test
