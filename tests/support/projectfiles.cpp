#include "projectfiles.h"

#include <project/projecttemplate.h>
#include <project/sqlitedb.h>

#include <QFile>

#include <stdexcept>

namespace qlv::test {

void writeTemplateCopy(const QString& path)
{
    writeAll(path, readProjectTemplate().value());
}

void execSql(const QString& path, const QString& sql)
{
    SqliteDb db(path, SqliteDb::Mode::Create);
    db.exec(sql.toUtf8().constData());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

} // namespace qlv::test
