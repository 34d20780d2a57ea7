#include <project/keytable.h>
#include <project/projectfile.h>
#include <project/projecttemplate.h>

#include <QTemporaryDir>
#include <QTest>

using namespace qlv;

class TestProjectStore : public QObject {
    Q_OBJECT

private slots:
    void templateIsReadable()
    {
        const auto bytes = readProjectTemplate();
        QVERIFY(bytes);
        QVERIFY(bytes->startsWith("SQLite format 3"));
    }
};

QTEST_GUILESS_MAIN(TestProjectStore)
#include "tst_projectstore.moc"
