// Project files made on disk for tests: template copies and files altered with raw SQL.
#pragma once

#include <QByteArray>
#include <QString>

namespace qlv::test {

// A copy of the project template at path.
void writeTemplateCopy(const QString& path);
// Runs sql directly on the file (created when missing), bypassing the program's own layer.
void execSql(const QString& path, const QString& sql);
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);

} // namespace qlv::test
