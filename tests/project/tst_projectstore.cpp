// The project file and the key table data set over it.
#include <core/codepage.h>
#include <core/storeerror.h>
#include <project/keytable.h>
#include <project/projectfile.h>
#include <project/projecttemplate.h>
#include <support/projectfiles.h>

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;
using namespace qlv::test;

class TestProjectStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString freshProject(const QString& name)
    {
        const QString file = path(name);
        writeTemplateCopy(file);
        return file;
    }

    static QStringList columns(const QString& file, const char* table)
    {
        SqliteDb db(file);
        SqliteStatement query =
            db.prepare(QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info('%1')")
                           .arg(QLatin1String(table))
                           .toUtf8()
                           .constData());
        QStringList result;
        while (query.step())
            result << query.text(0).value();
        return result;
    }

private slots:
    void codePageNamesCarryNothingIntoTheNext()
    {
        // The converters are reused; a name cut inside a double-byte character must not
        // change how the next one reads.
        auto fresh = [](const char* bytes) {
            QStringDecoder decoder("GBK");
            return QString(decoder.decode(QByteArrayView(bytes)));
        };
        QCOMPARE(fromCodePage("\xD2\xF4\xC1"), fresh("\xD2\xF4\xC1"));
        QCOMPARE(fromCodePage("\xBF+"), fresh("\xBF+"));
        QCOMPARE(fromCodePage("POWER"), QStringLiteral("POWER"));
        QCOMPARE(toCodePage(QString::fromUtf8("音量+")), QByteArray("\xD2\xF4\xC1\xBF+"));
        QCOMPARE(toCodePageCut(QString::fromUtf8("音量音量音量音量"), 15),
                 std::string("\xD2\xF4\xC1\xBF\xD2\xF4\xC1\xBF\xD2\xF4\xC1\xBF\xD2\xF4"));
    }

    void templateHasTheSchema()
    {
        const QString file = freshProject("schema.qlv");
        QCOMPARE(columns(file, "KeyInfo"),
                 QStringList({"ID SMALLINT", "Function VARCHAR(16)", "Format VARCHAR(7)",
                              "Carry VARCHAR(7)", "IR Data BLOB", "Remark VARCHAR(120)"}));
        QCOMPARE(columns(file, "ModelInfo"),
                 QStringList({"ID INTEGER", "Module Name VARCHAR(20)", "Type VARCHAR(20)",
                              "Manufactory VARCHAR(20)", "Module ID VARCHAR(20)", "ReCyc TINYINT",
                              "Remark VARCHAR(200)"}));
        SqliteDb db(file);
        SqliteStatement index =
            db.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '编号'");
        QVERIFY(index.step());
        QCOMPARE(index.integer(0), 1);
        db.exec(R"(INSERT INTO ModelInfo ("Module Name") VALUES ('x'))");
        SqliteStatement last = db.prepare("SELECT max(ID), count(*) FROM ModelInfo");
        QVERIFY(last.step());
        QCOMPARE(last.integer(0), 6); // the autonumber's next value in a fresh project
        QCOMPARE(last.integer(1), 6);
    }

    void templateContent()
    {
        const ProjectFileContent content = readProjectFile(freshProject("fresh.qlv"));
        QCOMPARE(content.model, ModelFields{});
        QCOMPARE(content.rows.size(), std::size_t(512));
        for (std::size_t i = 0; i < content.rows.size(); ++i) {
            const KeyRow& row = content.rows[i].row;
            QCOMPARE(row.id, int(i + 1));
            // Empty texts, not null ones; a null remark.
            QVERIFY(row.function && row.function->isEmpty());
            QVERIFY(row.format && row.format->isEmpty());
            QVERIFY(row.carry && row.carry->isEmpty());
            QVERIFY(!row.remark);
            QCOMPARE(row.irData.value(), QByteArray(512, '\0'));
        }
    }

    void rowsComeInIdOrderWhateverTheStorageOrder()
    {
        const QString file = freshProject("shuffled.qlv");
        // Store rows 101..512 first, then 1..100, each tagged with its ID.
        execSql(file, R"(UPDATE KeyInfo SET "Remark" = 'row ' || "ID";
                         CREATE TEMP TABLE low AS SELECT * FROM KeyInfo WHERE "ID" <= 100;
                         DELETE FROM KeyInfo WHERE "ID" <= 100;
                         INSERT INTO KeyInfo SELECT * FROM low;)");
        KeyTable table;
        table.open(readProjectFile(file));
        QCOMPARE(table.recordCount(), 512);
        for (int i = 0; i < 512; ++i) {
            QCOMPARE(table.row(i).id, i + 1);
            QCOMPARE(table.row(i).remark.value(), QStringLiteral("row %1").arg(i + 1));
        }
        QCOMPARE(table.recNo(), 1);
    }

    void postsStayInMemoryUntilTheBatchUpdate()
    {
        const QString file = freshProject("batch.qlv");
        KeyTable table;
        table.open(readProjectFile(file));
        for (int recNo : {3, 200, 512}) {
            table.setRecNo(recNo);
            KeyRow row = table.current();
            row.remark = QStringLiteral("changed %1").arg(recNo);
            table.post(row);
        }
        QVERIFY(table.hasPendingChanges());
        QVERIFY(!readProjectFile(file).rows[2].row.remark);

        table.applyUpdates();
        QVERIFY(!table.hasPendingChanges());
        const ProjectFileContent saved = readProjectFile(file);
        QCOMPARE(saved.rows[2].row.remark.value(), QStringLiteral("changed 3"));
        QCOMPARE(saved.rows[199].row.remark.value(), QStringLiteral("changed 200"));
        QCOMPARE(saved.rows[511].row.remark.value(), QStringLiteral("changed 512"));
        QVERIFY(!saved.rows[3].row.remark);
    }

    void closeDropsPendingChanges()
    {
        const QString file = freshProject("dropped.qlv");
        const QByteArray before = readAll(file);
        KeyTable table;
        table.open(readProjectFile(file));
        KeyRow row = table.current();
        row.function = QStringLiteral("POWER");
        table.post(row);
        table.close();
        QVERIFY(!table.isOpen());
        QCOMPARE(table.recordCount(), 0);
        QCOMPARE(readAll(file), before);
    }

    void failedBatchUpdateKeepsEveryChangePending()
    {
        const QString file = freshProject("locked.qlv");
        KeyTable table;
        table.open(readProjectFile(file));
        table.setRecNo(7);
        KeyRow row = table.current();
        row.remark = QStringLiteral("kept");
        table.post(row);

        SqliteDb other(file);
        other.exec("BEGIN EXCLUSIVE");
        QVERIFY_THROWS_EXCEPTION(StoreError, table.applyUpdates());
        other.exec("ROLLBACK");

        QVERIFY(table.hasPendingChanges());
        table.applyUpdates();
        QCOMPARE(readProjectFile(file).rows[6].row.remark.value(), QStringLiteral("kept"));
    }

    void tooLongTextIsRefusedNamingTheColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("size");
        QTest::newRow("Function") << "Function" << 16;
        QTest::newRow("Format") << "Format" << 7;
        QTest::newRow("Carry") << "Carry" << 7;
        QTest::newRow("Remark") << "Remark" << 120;
    }

    void tooLongTextIsRefusedNamingTheColumn()
    {
        QFETCH(QString, column);
        QFETCH(int, size);
        KeyTable table;
        table.open(readProjectFile(freshProject("limits.qlv")));
        auto rowWith = [&](const QString& text) {
            KeyRow row = table.current();
            std::optional<QString>* field = column == "Function" ? &row.function
                                            : column == "Format" ? &row.format
                                            : column == "Carry"  ? &row.carry
                                                                 : &row.remark;
            *field = text;
            return row;
        };
        table.post(rowWith(QString(size, QChar(0x97F3)))); // exactly the size fits
        try {
            table.post(rowWith(QString(size + 1, 'x')));
            QFAIL("a text one character too long was accepted");
        } catch (const StoreError& error) {
            QVERIFY2(error.text().contains('"' + column + '"'), qPrintable(error.text()));
            QVERIFY2(error.text().contains(QString::number(size)), qPrintable(error.text()));
            QVERIFY2(error.text().startsWith("Slot 1: "), qPrintable(error.text()));
        }
        QCOMPARE(table.current(), rowWith(QString(size, QChar(0x97F3))));
    }

    void handlersAreReplaceableAndDetachable()
    {
        KeyTable table;
        table.open(readProjectFile(freshProject("handlers.qlv")));
        int scrolls = 0, posts = 0;
        table.setAfterScroll([&] { ++scrolls; });
        table.setAfterPost([&] { ++posts; });
        table.setRecNo(5);
        table.setRecNo(5); // no move, no notification
        table.next();
        table.post(table.current());
        QCOMPARE(scrolls, 2);
        QCOMPARE(posts, 1);
        {
            ScrollHandlerDetached noScroll(table);
            PostHandlerDetached noPost(table);
            table.first();
            table.post(table.current());
        }
        QCOMPARE(scrolls, 2);
        QCOMPARE(posts, 1);
        table.first(); // first notifies even on the first row
        QCOMPARE(scrolls, 3);
    }

    void filesThatAreNotProjectsAreRefused_data()
    {
        QTest::addColumn<QString>("setupSql");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text file")
            << QString() << QByteArray("just some text\r\n") << "not a database";
        QTest::newRow("empty file") << QString() << QByteArray("") << "no such table";
        QTest::newRow("missing column")
            << R"(ALTER TABLE KeyInfo DROP COLUMN "Remark")" << QByteArray() << "Remark";
        QTest::newRow("missing table") << "DROP TABLE ModelInfo" << QByteArray() << "ModelInfo";
    }

    void filesThatAreNotProjectsAreRefused()
    {
        QFETCH(QString, setupSql);
        QFETCH(QByteArray, raw);
        QFETCH(QString, expected);
        const QString file = path("bad.qlv");
        QFile::remove(file);
        if (setupSql.isEmpty()) {
            writeAll(file, raw);
        } else {
            writeTemplateCopy(file);
            execSql(file, setupSql);
        }
        try {
            readProjectFile(file);
            QFAIL("a file that is not a project was read");
        } catch (const StoreError& error) {
            QVERIFY2(error.text().contains(expected), qPrintable(error.text()));
            QVERIFY2(error.text().contains("bad.qlv"), qPrintable(error.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestProjectStore)
#include "tst_projectstore.moc"
