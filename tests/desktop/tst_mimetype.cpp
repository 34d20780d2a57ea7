// The installed MIME type as a desktop reads it: a project by its name, and by its content
// when the name says nothing; another SQLite file is no project.
#include <support/projectfiles.h>

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv::test;

namespace {

QTemporaryDir* dataDir()
{
    static QTemporaryDir dir;
    return &dir;
}

// The MIME database built from the system's types and QLV's, set up before Qt first reads one.
bool buildDatabase()
{
    const QString mime = dataDir()->filePath("mime");
    const QString packages = mime + "/packages";
    if (!QDir().mkpath(packages) ||
        !QFile::copy(QStringLiteral("/usr/share/mime/packages/freedesktop.org.xml"),
                     packages + "/freedesktop.org.xml") ||
        !QFile::copy(QStringLiteral(QLV_MIME_XML), packages + "/org.qlv.QLV.xml"))
        return false;
    return QProcess::execute(QStringLiteral("update-mime-database"), {mime}) == 0;
}

} // namespace

class TestMimeType : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dataDir()->isValid());
        QVERIFY(buildDatabase());
    }

    void projectsAreKnown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("content"); // "project", "sqlite" or "text"
        QTest::addColumn<QString>("type");
        QTest::newRow("project by name") << "remote.qlv"
                                         << "project"
                                         << "application/x-qlv-project";
        QTest::newRow("project by content") << "remote.backup"
                                            << "project"
                                            << "application/x-qlv-project";
        QTest::newRow("other SQLite file") << "other.backup"
                                           << "sqlite"
                                           << "application/vnd.sqlite3";
    }

    void projectsAreKnown()
    {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QString, type);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == u"project")
            writeTemplateCopy(path);
        else
            execSql(path, QStringLiteral("CREATE TABLE Notes (Text TEXT);"));
        QCOMPARE(QMimeDatabase().mimeTypeForFile(path).name(), type);
    }
};

int main(int argc, char** argv)
{
    // Before the application exists: Qt reads the MIME folders from here once.
    qputenv("XDG_DATA_DIRS", dataDir()->path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataDir()->path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestMimeType test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mimetype.moc"
