// qlvtool run as a user runs it: the built binary, real files in a fresh folder, exit status
// and the UTF-8 text it prints.
#include <support/legacyfixture.h>
#include <support/projectfiles.h>
#include <support/records.h>

#include <core/codepage.h>
#include <irdata/irhextext.h>
#include <irdata/signalrecord.h>

#include "toolrun.h"
#include <QDir>
#include <QFile>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qlv;

namespace {

using Run = test::ToolRun;

QByteArray hexText(const CodeRecord& record)
{
    return QByteArray::fromStdString(writeIrHexText(record));
}

// Code A: P 48, pair 0 (1000, 20) and pair 1 (500, 40), entries 0 and 1 as the first part,
// entry 1 again as the repeat range. Code B: no carrier, one entry of pair 0 (2212, 5).
CodeRecord twoCodeRecordWithSteps()
{
    CodeRecord record{};
    record[0] = CodeMarker;
    record[1] = 48;
    test::putBigEndian16(record, 4, 1);
    test::putBigEndian16(record, 6, 2);
    test::putBigEndian16(record, 8, 2);
    test::putBigEndian16(record, 11, 1000);
    test::putBigEndian16(record, 13, 20);
    test::putBigEndian16(record, 15, 500);
    test::putBigEndian16(record, 17, 40);
    record[256] = 0x10;
    record[128] = CodeMarker;
    test::putBigEndian16(record, 128 + 8, 1);
    test::putBigEndian16(record, 128 + 11, 2212);
    test::putBigEndian16(record, 128 + 13, 5);
    return record;
}

} // namespace

class TestQlvtool : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    Run qlvtool(const QStringList& args) const { return test::runQlvtool(m_dir->path(), args); }

    bool succeeds(const QStringList& args) const
    {
        return test::qlvtoolSucceeds(m_dir->path(), args);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QStringList listLines(const QString& project) const
    {
        const Run run = qlvtool({"list", project});
        if (run.exitCode != 0)
            return {};
        return run.out.split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void freshProjectHasEmptyModelAndSlots()
    {
        QVERIFY(succeeds({"new", "remote"}));
        QVERIFY(QFile::exists(path("remote.qlv")));

        const Run info = qlvtool({"info", "remote"});
        QCOMPARE(info.exitCode, 0);
        QCOMPARE(info.out, QStringLiteral("Module Name: \nType: \nManufactory: \nModule ID: \n"
                                          "ReCyc: 0\nRemark: \n"));

        const QStringList lines = listLines("remote.qlv");
        QCOMPARE(lines.size(), 512);
        for (int id = 1; id <= 512; ++id)
            QCOMPARE(lines.at(id - 1), QString::number(id) + "\t\t\t\t");
    }

    void newReplacesAnExistingFileOnlyWithForce()
    {
        QVERIFY(succeeds({"new", "remote"}));
        QVERIFY(succeeds({"set-remark", "remote", "7", "keep me"}));
        const QByteArray before = readFile("remote.qlv");

        const Run refused = qlvtool({"new", "remote"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("File already exist."), qPrintable(refused.err));
        QCOMPARE(readFile("remote.qlv"), before);

        QVERIFY(succeeds({"new", "--force", "remote"}));
        QCOMPARE(listLines("remote").value(6), QStringLiteral("7\t\t\t\t"));
    }

    void setNameWritesTableAndRecord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("warned");
        QTest::newRow("ascii") << "POWER"
                               << "POWER" << false;
        QTest::newRow("chinese") << QStringLiteral("电源开关") << QStringLiteral("电源开关")
                                 << false;
        QTest::newRow("twelve double-byte characters keep 15 bytes")
            << QStringLiteral("一二三四五六七八九十百千") << QStringLiteral("一二三四五六七")
            << true;
        QTest::newRow("empty") << ""
                               << "" << false;
    }

    void setNameWritesTableAndRecord()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(bool, warned);
        QVERIFY(succeeds({"new", "remote"}));

        const Run run = qlvtool({"set-name", "remote", "5", name});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(!run.err.isEmpty(), warned);
        QCOMPARE(listLines("remote").value(4), QStringLiteral("5\t%1\t\t\t").arg(stored));

        // The name travels in the record: bytes 240 on hold its GBK form and a NUL.
        QVERIFY(succeeds({"compile", "remote", "image"}));
        const QByteArray slot = readFile("image.bin").mid(4 * 512, 512);
        const QByteArray nameBytes = toCodePage(stored);
        QCOMPARE(slot.mid(240, nameBytes.size() + 1), nameBytes + '\0');
        QCOMPARE(slot.left(240), QByteArray(240, '\0'));
    }

    // The one-slot edits read and write their slot alone: every other row stays as it was.
    void oneSlotEditsLeaveTheOtherRows()
    {
        QVERIFY(succeeds({"new", "remote"}));
        writeFile("mute.txt", hexText(test::oneCodeRecord(48, "MUTE")));
        for (const char* id : {"4", "6", "512"})
            QVERIFY(succeeds({"import-hex", "remote", id, "mute.txt"}));
        QVERIFY(succeeds({"set-remark", "remote", "6", "beside"}));
        QVERIFY(succeeds({"compile", "remote", "before"}));
        const QStringList before = listLines("remote");

        QVERIFY(succeeds({"set-name", "remote", "5", "POWER"}));
        QVERIFY(succeeds({"set-remark", "remote", "5", "edited"}));
        QVERIFY(succeeds({"export-hex", "remote", "6", "six"}));
        QCOMPARE(readFile("six.txt"), readFile("mute.txt"));
        QVERIFY(succeeds({"compile", "remote", "after"}));
        const QStringList after = listLines("remote");
        for (int i = 0; i < 512; ++i)
            if (i != 4)
                QCOMPARE(after.at(i), before.at(i));
        QCOMPARE(after.at(4), QStringLiteral("5\tPOWER\t\t\tedited"));
        const QByteArray imageBefore = readFile("before.bin");
        const QByteArray imageAfter = readFile("after.bin");
        QCOMPARE(imageAfter.left(4 * 512), imageBefore.left(4 * 512));
        QCOMPARE(imageAfter.mid(5 * 512), imageBefore.mid(5 * 512));
    }

    void setNameRefusesMoreThanTwelveCharacters()
    {
        QVERIFY(succeeds({"new", "remote"}));
        const QByteArray before = readFile("remote.qlv");
        const Run run = qlvtool({"set-name", "remote", "5", "THIRTEEN CHRS"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("12"), qPrintable(run.err));
        QCOMPARE(readFile("remote.qlv"), before);
    }

    void setRemarkShowsInList()
    {
        QVERIFY(succeeds({"new", "remote"}));
        const QString remark = QStringLiteral("客厅电视 – living room, \"TV\"");
        QVERIFY(succeeds({"set-remark", "remote", "512", remark}));
        QVERIFY(succeeds({"set-name", "remote", "512", "VOL+"}));
        QCOMPARE(listLines("remote").value(511), QStringLiteral("512\tVOL+\t\t\t") + remark);

        const Run tooLong = qlvtool({"set-remark", "remote", "1", QString(121, u'x')});
        QCOMPARE(tooLong.exitCode, 1);
        QVERIFY2(tooLong.err.contains("Remark"), qPrintable(tooLong.err));
        QVERIFY(succeeds({"set-remark", "remote", "1", QString(120, u'x')}));
    }

    void hexTextRoundTripsIntoAnotherSlot()
    {
        QVERIFY(succeeds({"new", "remote"}));
        const QByteArray text = hexText(test::oneCodeRecord(48, "MUTE"));
        writeFile("mute.txt", text);
        QVERIFY(succeeds({"import-hex", "remote", "3", "mute.txt"}));

        QVERIFY(succeeds({"export-hex", "remote", "3", "out"}));
        QCOMPARE(readFile("out.txt"), text);
        QVERIFY(succeeds({"import-hex", "remote", "200", "out"}));

        // Format, Carry and Function follow the record in both slots.
        const QStringList lines = listLines("remote");
        QCOMPARE(lines.value(2), QStringLiteral("3\tMUTE\tNormal\t38416\t"));
        QCOMPARE(lines.value(199), QStringLiteral("200\tMUTE\tNormal\t38416\t"));

        const Run refused = qlvtool({"export-hex", "remote", "1", "out.txt"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains("File already exist."));
        QCOMPARE(readFile("out.txt"), text);
        QVERIFY(succeeds({"export-hex", "--force", "remote", "1", "out.txt"}));
        QCOMPARE(readFile("out.txt"), hexText(CodeRecord{}));
    }

    void importHexRejectsBadFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("511 values") << QByteArray("00 ").repeated(511) << "Invalid IR data file!";
        QTest::newRow("513 values") << QByteArray("00 ").repeated(513) << "Invalid IR data file!";
        QTest::newRow("tab") << QByteArray("72\t30 ") + QByteArray("00 ").repeated(510)
                             << "Invalid char '\t'";
    }

    void importHexRejectsBadFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        QVERIFY(succeeds({"new", "remote"}));
        const QByteArray before = readFile("remote.qlv");
        writeFile("bad.txt", text);

        const Run run = qlvtool({"import-hex", "remote", "1", "bad.txt"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed(), QStringLiteral("qlvtool: bad.txt: ") + message);
        QCOMPARE(readFile("remote.qlv"), before);
    }

    void compiledImageImportsBackUnchanged()
    {
        QVERIFY(succeeds({"new", "remote"}));
        writeFile("code.txt", hexText(twoCodeRecordWithSteps()));
        QVERIFY(succeeds({"import-hex", "remote", "2", "code"}));
        QVERIFY(succeeds({"set-name", "remote", "2", QStringLiteral("频道")}));
        QVERIFY(succeeds({"set-name", "remote", "400", "INPUT"}));

        QVERIFY(succeeds({"compile", "remote", "first"}));
        const QByteArray image = readFile("first.bin");
        QCOMPARE(image.size(), 262144);
        QCOMPARE(image.mid(512, 4), QByteArray("\x72\x30\x00\x00", 4));

        QVERIFY(succeeds({"import", "first", "copy"}));
        QVERIFY(succeeds({"compile", "copy.qlv", "second.bin"}));
        QCOMPARE(readFile("second.bin"), image);
        QCOMPARE(listLines("copy"), listLines("remote"));

        const Run refused = qlvtool({"import", "first.bin", "copy"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains("File already exist."));
    }

    void decodePrintsTheStepsOfBothCodes()
    {
        QVERIFY(succeeds({"new", "remote"}));
        writeFile("code.txt", hexText(twoCodeRecordWithSteps()));
        QVERIFY(succeeds({"import-hex", "remote", "9", "code.txt"}));

        const Run run = qlvtool({"decode", "remote", "9"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("A first 4339 520\n"
                                         "A first 2169 1041\n"
                                         "A repeat 2169 1041\n"
                                         "B first 9600 8\n"
                                         "A\t-\t-\n"
                                         "B\t-\t-\n"));
        const Run empty = qlvtool({"decode", "remote", "10"});
        QCOMPARE(empty.exitCode, 1);
        QCOMPARE(empty.out, QString());
        QCOMPARE(empty.err, QStringLiteral("qlvtool: remote.qlv: Slot 10 holds no code.\n"));
    }

    void identifyNamesTheProtocolOfEveryCode()
    {
        QVERIFY(succeeds({"new", "remote"}));
        // A learned NEC code as a receiver measures it: long marks, short spaces, jitter.
        IrSignal learned;
        learned.frequency = 38416;
        learned.intro = {9219, 4484};
        for (int byte : {4, 251, 8, 247})
            for (int bit = 0; bit < 8; ++bit)
                learned.intro.insert(learned.intro.end(), {std::uint32_t(630 + bit * 7),
                                                           (byte >> bit & 1) ? 1627u : 469u});
        learned.intro.insert(learned.intro.end(), {631, 40107});
        learned.repeat = {9106, 2202, 631, 96000};
        writeFile("learned.txt", hexText(std::get<CodeRecord>(recordFromSignal(learned))));
        QVERIFY(succeeds({"import-hex", "remote", "12", "learned.txt"}));
        writeFile("odd.txt", hexText(twoCodeRecordWithSteps()));
        QVERIFY(succeeds({"import-hex", "remote", "3", "odd.txt"}));
        QVERIFY(succeeds({"render", "remote", "40", "RC6", "D=4", "F=12", "--name", "Vol+"}));
        QVERIFY(succeeds({"render", "remote", "7", "Sony12", "D=1", "F=21"}));

        const QString all = QStringLiteral("3\tA\t-\t-\n"
                                           "3\tB\t-\t-\n"
                                           "7\tA\tSony12\tD=1 F=21\n"
                                           "12\tA\tNEC1\tD=4 S=251 F=8\n"
                                           "40\tA\tRC6\tD=4 F=12 T=0\n"
                                           "40\tB\tRC6\tD=4 F=12 T=1\n");
        const Run run = qlvtool({"identify", "remote"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, all);
        QCOMPARE(qlvtool({"identify", "remote", "40", "12", "13"}).out,
                 QStringLiteral("12\tA\tNEC1\tD=4 S=251 F=8\n"
                                "40\tA\tRC6\tD=4 F=12 T=0\n"
                                "40\tB\tRC6\tD=4 F=12 T=1\n"));
        QVERIFY(qlvtool({"decode", "remote", "12"}).out.endsWith("\nA\tNEC1\tD=4 S=251 F=8\n"));

        const QStringList rows = listLines("remote");
        QCOMPARE(rows.value(39), QStringLiteral("40\tVol+\tRC5/RC6\t36156\t"));
        QCOMPARE(rows.value(6), QStringLiteral("7\t\tNormal\t40086\t"));
    }

    void renderKeepsTheNameUnlessGivenOne()
    {
        QVERIFY(succeeds({"new", "remote"}));
        QVERIFY(succeeds({"set-name", "remote", "2", "Power"}));
        QVERIFY(succeeds({"render", "remote", "2", "NEC1", "D=4", "S=1", "F=8"}));
        QCOMPARE(listLines("remote").value(1), QStringLiteral("2\tPower\tNormal\t38416\t"));
        QCOMPARE(qlvtool({"identify", "remote", "2"}).out,
                 QStringLiteral("2\tA\tNEC1\tD=4 S=1 F=8\n"));
    }

    void renderRefusalsLeaveTheFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown protocol")
            << QStringList{"NEC3", "D=1"}
            << "Unknown protocol \"NEC3\"; known protocols: NEC1, NEC2, NEC1-f16, NEC2-f16, NECx1";
        QTest::newRow("decode-only protocol")
            << QStringList{"NEC", "D=1", "F=2"} << "\"NEC\" is only decoded, never rendered";
        QTest::newRow("missing parameter") << QStringList{"RC5", "F=2"} << "RC5 needs parameter D.";
        QTest::newRow("unknown parameter")
            << QStringList{"RC5", "D=1", "F=2", "Q=3"}
            << "RC5 has no parameter \"Q\"; its parameters are D, F, T.";
        QTest::newRow("out of range") << QStringList{"Sony12", "D=32", "F=1"}
                                      << "Parameter D=32 is out of range for Sony12 (0..31).";
        QTest::newRow("name too long")
            << QStringList{"RC5", "D=1", "F=2", "--name", "Thirteen char"}
            << "at most 12 characters";
    }

    void renderRefusalsLeaveTheFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QVERIFY(succeeds({"new", "remote"}));
        QVERIFY(succeeds({"render", "remote", "4", "RC5", "D=1", "F=2"}));
        const QByteArray before = readFile("remote.qlv");
        const Run run = qlvtool(QStringList{"render", "remote", "4"} + args);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(readFile("remote.qlv"), before);
    }

    void windowsVersionFilesAreReadAndConverted()
    {
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QByteArray jet = test::readAll(fixture);
        writeFile("old.qlv", jet);
        const QStringList direct = listLines("old");
        QCOMPARE(direct.size(), 512);
        QCOMPARE(direct.value(3), QStringLiteral("4\tVOL-\tRC5/RC6\t36156\t"));
        QCOMPARE(direct.value(300), QStringLiteral("301\tSHORT\t\t\t300 bytes"));
        QCOMPARE(qlvtool({"info", "old"}).out,
                 QStringLiteral("Module Name: \nType: \nManufactory: \nModule ID: \nReCyc: 0\n"
                                "Remark: \n"));

        QVERIFY(succeeds({"convert", "old", "new"}));
        QCOMPARE(listLines("new.qlv"), direct);
        QVERIFY(succeeds({"compile", "old", "old.bin"}));
        QVERIFY(succeeds({"compile", "new", "new.bin"}));
        QCOMPARE(readFile("new.bin"), readFile("old.bin"));

        const Run again = qlvtool({"convert", "old", "new"});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains("File already exist."), qPrintable(again.err));
        QVERIFY(succeeds({"convert", "--force", "old", "new"}));

        // Only read: an edit would be lost in the converted copy.
        const Run edit = qlvtool({"set-remark", "old", "1", "lost"});
        QCOMPARE(edit.exitCode, 1);
        QVERIFY2(edit.err.contains("qlvtool convert"), qPrintable(edit.err));
        QCOMPARE(readFile("old.qlv"), jet);

        const Run notJet = qlvtool({"convert", "new", "other"});
        QCOMPARE(notJet.exitCode, 1);
        QVERIFY2(notJet.err.contains("not a project file of the Windows version"),
                 qPrintable(notJet.err));
        QVERIFY(!QFile::exists(path("other.qlv")));
    }

    void failuresExitOneWithAMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("missing project") << QStringList{"info", "absent"};
        QTest::newRow("not a project") << QStringList{"list", "junk.qlv"};
        QTest::newRow("short image") << QStringList{"import", "junk.qlv", "new"};
        QTest::newRow("missing hex file") << QStringList{"import-hex", "remote", "1", "absent"};
    }

    void failuresExitOneWithAMessage()
    {
        QFETCH(QStringList, args);
        QVERIFY(succeeds({"new", "remote"}));
        writeFile("junk.qlv", "not a database");
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.trimmed().isEmpty());
        QVERIFY(!QFile::exists(path("new.qlv")));
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate", "remote"};
        QTest::newRow("missing argument") << QStringList{"compile", "remote"};
        QTest::newRow("extra argument") << QStringList{"info", "remote", "more"};
        QTest::newRow("unknown option") << QStringList{"list", "--all", "remote"};
        QTest::newRow("force where nothing is replaced")
            << QStringList{"info", "--force", "remote"};
        QTest::newRow("ID 0") << QStringList{"decode", "remote", "0"};
        QTest::newRow("ID 513") << QStringList{"set-name", "remote", "513", "X"};
        QTest::newRow("ID not a number") << QStringList{"set-remark", "remote", "one", "X"};
        QTest::newRow("ID in hex") << QStringList{"export-hex", "remote", "0x10", "out"};
        QTest::newRow("ID with sign") << QStringList{"import-hex", "remote", "-3", "in"};
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, args);
        // No project exists: a usage error is found before any file is looked at.
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains("Try 'qlvtool"), qPrintable(run.err));
        QCOMPARE(run.out, QString());
    }

    void helpListsEveryCommand()
    {
        const Run help = qlvtool({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const char* command :
             {"new", "info", "list", "compile", "import", "convert", "export-hex", "import-hex",
              "set-name", "set-remark", "decode", "identify", "render"}) {
            QVERIFY2(help.out.contains(QStringLiteral("\n  %1 ").arg(command)), command);
            const Run own = qlvtool({command, "--help"});
            QCOMPARE(own.exitCode, 0);
            QVERIFY(own.out.startsWith(QStringLiteral("Usage: qlvtool %1 ").arg(command)));
        }
    }
};

QTEST_GUILESS_MAIN(TestQlvtool)
#include "tst_qlvtool.moc"
