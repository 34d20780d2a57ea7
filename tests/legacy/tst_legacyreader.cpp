// The Windows version's project files read as stored and written as QLV project files.
#include <legacy/legacyproject.h>
#include <project/projectfile.h>
#include <project/sqlitedb.h>
#include <project/storeerror.h>
#include <support/legacyfixture.h>
#include <support/projectfiles.h>

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace qlv;
using namespace qlv::test;

namespace {

constexpr qsizetype PageSize = 4096;

// The header bytes of every long-value page flipped: the IR Data bytes can no longer be found.
QByteArray withLongValuePagesFlipped(QByteArray jet)
{
    for (qsizetype at = 0; at + PageSize <= jet.size(); at += PageSize)
        if (jet.mid(at + 4, 4) == "LVAL")
            for (qsizetype i = at; i < at + 16; ++i)
                jet[i] = char(~jet[i]);
    return jet;
}

} // namespace

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
        QTest::newRow("no Jet file") << "text"
                                     << "not a project file of the Windows version";
        QTest::newRow("Jet 3") << "jet3"
                               << "is a Jet 3 database";
        QTest::newRow("unknown Jet version") << "jet9"
                                             << "unknown version";
        QTest::newRow("cut inside a page") << "cut"
                                           << "not a whole number of 4096-byte pages";
        QTest::newRow("cut at a page") << "half"
                                       << "the file is damaged";
        QTest::newRow("header, then garbage") << "garbage"
                                              << "the file is damaged";
        QTest::newRow("long value pages flipped") << "flipped"
                                                 << "\"IR Data\"";
        QTest::newRow("no KeyInfo") << "nokeys"
                                    << "no table \"KeyInfo\"";
        QTest::newRow("no Carry") << "nocarry"
                                  << "table \"KeyInfo\" has no column \"Carry\"";
        QTest::newRow("no ReCyc") << "norecyc"
                                  << "table \"ModelInfo\" has no column \"ReCyc\"";
    }

    void refusesWhatItCannotRead()
    {
        QFETCH(QString, variant);
        QFETCH(QString, message);
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QByteArray jet = readAll(fixture);
        QByteArray bytes;
        if (variant == "text") {
            bytes = "K-817T\r\n";
        } else if (variant == "jet3" || variant == "jet9") {
            bytes = jet;
            bytes[0x14] = variant == "jet3" ? '\0' : '\x09';
        } else if (variant == "cut") {
            bytes = jet.left(jet.size() - 1000);
        } else if (variant == "half") {
            bytes = jet.left(jet.size() / PageSize / 2 * PageSize);
        } else if (variant == "garbage") {
            bytes = jet.left(PageSize);
            for (int i = 0; i < 20 * PageSize; ++i)
                bytes += char(i * 37 + i / 91);
        } else if (variant == "flipped") {
            bytes = withLongValuePagesFlipped(jet);
        } else if (variant == "nokeys") {
            bytes = withNameReplaced(jet, "KeyInfo", "KeyInfX");
        } else if (variant == "nocarry") {
            bytes = withNameReplaced(jet, "Carry", "Carrx");
        } else {
            bytes = withNameReplaced(jet, "ReCyc", "ReCyx");
        }
        QVERIFY(bytes != jet);
        const QString file = m_dir.filePath(variant + ".qlv");
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
