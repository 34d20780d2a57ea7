// The Windows version's project files read as stored and written as QLV project files.
#include <core/storeerror.h>
#include <legacy/legacyproject.h>
#include <project/projectfile.h>
#include <project/sqlitedb.h>
#include <support/legacyfixture.h>
#include <support/projectfiles.h>

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace qlv;
using namespace qlv::test;

class TestLegacyReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readsBothTablesAsStored()
    {
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const LegacyProject content = readLegacyProject(fixture);

        // Storage order: 101..512, then 1..100.
        QCOMPARE(content.keys.size(), std::size_t(512));
        for (std::size_t i = 0; i < content.keys.size(); ++i)
            QCOMPARE(content.keys[i].id, int(i < 412 ? 101 + i : i - 411));
        std::vector<KeyRow> byId = content.keys;
        std::stable_sort(byId.begin(), byId.end(),
                         [](const KeyRow& a, const KeyRow& b) { return a.id < b.id; });
        verifyLegacyFixtureRows(byId);
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(content.models.size(), std::size_t(6));
        for (std::size_t i = 0; i < content.models.size(); ++i) {
            const QString empty = "";
            QCOMPARE(content.models[i],
                     (LegacyModelRow{qint64(i + 1), empty, empty, empty, empty, 0, empty}));
        }
    }

    void writesTheRowsExactlyIntoAProject()
    {
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        LegacyProject content = readLegacyProject(fixture);
        // Nulls in the model rows, which the fixture does not have, stay null too.
        content.models.push_back({7, std::nullopt, "T", std::nullopt, "", std::nullopt, "R"});
        const QString project = m_dir.filePath("converted.qlv");
        writeLegacyProject(content, project);

        const ProjectFileContent written = readProjectFile(project);
        QCOMPARE(written.rows.size(), content.keys.size());
        for (std::size_t i = 0; i < written.rows.size(); ++i)
            QCOMPARE(written.rows[i].row, content.keys[i]);

        SqliteDb db(project);
        SqliteStatement query =
            db.prepare(R"(SELECT "ID", quote("Module Name"), quote("Type"), quote("Manufactory"),
                          quote("Module ID"), quote("ReCyc"), quote("Remark") FROM ModelInfo
                          ORDER BY rowid)");
        QStringList rows;
        while (query.step()) {
            QStringList values;
            for (int c = 0; c < 7; ++c)
                values << query.text(c).value_or("?");
            rows << values.join(',');
        }
        QStringList expected;
        for (int id = 1; id <= 6; ++id)
            expected << QStringLiteral("%1,'','','','',0,''").arg(id);
        expected << "7,NULL,'T',NULL,'',NULL,'R'";
        QCOMPARE(rows, expected);
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("message");
        for (const RefusedVariant& variant : RefusedVariants)
            QTest::newRow(variant.name) << variant.name << variant.message;
    }

    void refusesWhatItCannotRead()
    {
        QFETCH(QString, variant);
        QFETCH(QString, message);
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QByteArray jet = readAll(fixture);
        const QByteArray bytes = refusedVariant(jet, variant);
        QVERIFY(bytes != jet);
        const QString file = m_dir.filePath("variant.qlv");
        writeAll(file, bytes);
        try {
            readLegacyProject(file);
            QFAIL("read without complaint");
        } catch (const StoreError& error) {
            QVERIFY2(error.text().startsWith(file), qPrintable(error.text()));
            QVERIFY2(error.text().contains(message), qPrintable(error.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestLegacyReader)
#include "tst_legacyreader.moc"
