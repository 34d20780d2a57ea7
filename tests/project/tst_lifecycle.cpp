// New, Open, Save, Compile and the image import, driven through a scripted Prompter.
#include <core/codepage.h>
#include <core/storeerror.h>
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>
#include <project/project.h>
#include <project/projectfile.h>
#include <project/workingcopy.h>
#include <support/projectfiles.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

const QString SaveChanges = QStringLiteral("Save changes to current file?");
const QString Replace = QStringLiteral("File already exist.Replace?");

QByteArray image(const std::vector<CodeRecord>& records)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n < SlotCount; ++n)
        appendSlot(bytes, n < records.size() ? std::span<const std::uint8_t>(records[n])
                                             : std::span<const std::uint8_t>());
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

class TestLifecycle : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    Project* m_project = nullptr;

    QString path(const QString& name) const { return m_rig->path(name); }

    // Edits the remark of row recNo the way the window does: edit, set, post.
    void editRemark(int recNo, const QString& text)
    {
        m_project->keys().setRecNo(recNo);
        KeyRow row = m_project->keys().current();
        row.remark = text;
        m_project->keys().post(row);
    }

    void expectNoSurprises()
    {
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
        QVERIFY(m_prompter->scriptConsumed());
    }

    QString savedProject(const QString& name)
    {
        m_prompter->chooseFile(path(name));
        if (!m_project->SaveExecute())
            return {};
        m_prompter->clear();
        return path(name);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>();
        m_prompter = &m_rig->prompter;
        m_project = &m_rig->project;
        QVERIFY(m_rig->start());
        m_prompter->clear();
    }

    void newGivesAFreshWorkingCopy()
    {
        QCOMPARE(m_project->currentFile(), path("Temp.~tmp"));
        QVERIFY(!m_project->modified());
        QVERIFY(m_project->projectLoaded());
        QCOMPARE(m_project->keys().recordCount(), 512);
        QCOMPARE(m_project->keys().recNo(), 1);
        QCOMPARE(m_project->modelFields(), ModelFields{});
    }

    void postSetsModifiedAndTheDerivedFields()
    {
        KeyRow row = m_project->keys().current();
        row.function = QStringLiteral("OTHER");
        row.irData = toBytes(oneCodeRecord(48, "POWER"));
        m_project->keys().post(row);
        QVERIFY(m_project->modified());
        const KeyRow& posted = m_project->keys().current();
        QCOMPARE(posted.format.value(), QStringLiteral("Normal"));
        QCOMPARE(posted.carry.value(), QStringLiteral("38416"));
        QCOMPARE(posted.function.value(), QStringLiteral("POWER"));

        row.irData = QByteArray(512, '\0');
        m_project->keys().post(row);
        QCOMPARE(m_project->keys().current().carry.value(), QString());
        QCOMPARE(m_project->keys().current().function.value(), QString());
    }

    void unsavedChangesQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveDialogChoosesFile");
        QTest::addColumn<bool>("newRuns");
        QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
        QTest::newRow("no") << int(Answer::No) << false << true;
        QTest::newRow("yes, save cancelled") << int(Answer::Yes) << false << false;
        QTest::newRow("yes, saved") << int(Answer::Yes) << true << true;
    }

    void unsavedChangesQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveDialogChoosesFile);
        QFETCH(bool, newRuns);
        editRemark(4, "edited");
        m_prompter->answer(Answer(answer));
        if (Answer(answer) == Answer::Yes)
            m_prompter->chooseFile(saveDialogChoosesFile ? std::optional(path("kept.qlv"))
                                                         : std::nullopt);
        QCOMPARE(m_project->NewExecute(), newRuns);
        expectNoSurprises();
        QCOMPARE(m_prompter->calls.first().kind, PrompterCall::YesNoCancel);
        QCOMPARE(m_prompter->calls.first().title, QStringLiteral("K-817T"));
        QCOMPARE(m_prompter->calls.first().text, SaveChanges);
        QCOMPARE(m_project->modified(), !newRuns);
        QCOMPARE(m_project->keys().row(3).remark.has_value(), !newRuns);
        if (saveDialogChoosesFile)
            QCOMPARE(readProjectFile(path("kept.qlv")).rows[3].row.remark.value(),
                     QStringLiteral("edited"));
    }

    void saveAppliesTheProjectExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "a"
                               << "a.qlv";
        QTest::newRow("bin") << "a.bin"
                             << "a.bin.qlv";
        QTest::newRow("upper case kept") << "B.QLV"
                                         << "B.QLV";
        QTest::newRow("mdb") << "x.mdb"
                             << "x.mdb.qlv";
    }

    void saveAppliesTheProjectExtension()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        m_prompter->chooseFile(path(chosen));
        QVERIFY(m_project->SaveExecute());
        expectNoSurprises();
        QCOMPARE(m_project->currentFile(), path(written));
        QVERIFY(QFile::exists(path(written)));
        QCOMPARE(m_prompter->calls.first().text, QStringLiteral("K-817T File|*.qlv|*.bin|*.bin"));
    }

    void saveToANewFileCopiesPendingRowsAndAppendsTheModelRow()
    {
        const QString first = savedProject("first.qlv");
        editRemark(10, "only in second");
        m_project->keys().setRecNo(20);
        KeyRow row = m_project->keys().current();
        row.irData = toBytes(twoCodeRecord(52, 50, "TV"));
        m_project->keys().post(row);

        QSignalSpy progress(m_project, &Project::progressChanged);
        m_prompter->chooseFile(path("second.qlv"));
        QVERIFY(m_project->SaveExecute());
        expectNoSurprises();
        QCOMPARE(progress.count(), 512);
        QCOMPARE(m_project->currentFile(), path("second.qlv"));
        QVERIFY(!m_project->modified());

        const ProjectFileContent second = readProjectFile(path("second.qlv"));
        QCOMPARE(second.rows[9].row.remark.value(), QStringLiteral("only in second"));
        QCOMPARE(second.rows[19].row.format.value(), QStringLiteral("RC5/RC6"));
        QCOMPARE(second.rows[19].row.function.value(), QStringLiteral("TV"));
        QVERIFY(!readProjectFile(first).rows[9].row.remark);

        SqliteDb db(path("second.qlv"));
        SqliteStatement ids = db.prepare("SELECT group_concat(ID) FROM ModelInfo");
        QVERIFY(ids.step());
        QCOMPARE(ids.text(0).value(), QStringLiteral("1,2,3,4,5,6"));
    }

    void saveCopiesRowsByPositionWithTheirIds()
    {
        // Rows stored out of ID order in the source still land as the same (ID, content) pairs.
        const QString source = path("shuffled.qlv");
        writeTemplateCopy(source);
        execSql(source, R"(UPDATE KeyInfo SET "Remark" = 'row ' || "ID";
                           CREATE TEMP TABLE high AS SELECT * FROM KeyInfo WHERE "ID" > 100;
                           DELETE FROM KeyInfo WHERE "ID" > 100;
                           INSERT INTO KeyInfo SELECT * FROM high;)");
        QVERIFY(m_project->LoadProject(source));
        m_prompter->chooseFile(path("copy.qlv"));
        QVERIFY(m_project->SaveExecute());
        KeyTable reread;
        reread.open(readProjectFile(path("copy.qlv")));
        for (int i = 0; i < 512; ++i) {
            QCOMPARE(reread.row(i).id, i + 1);
            QCOMPARE(reread.row(i).remark.value(), QStringLiteral("row %1").arg(i + 1));
        }
    }

    void saveInPlaceNeedsTheExactName()
    {
        const QString file = savedProject("x.qlv");
        editRemark(2, "in place");
        m_prompter->chooseFile(file);
        QVERIFY(m_project->SaveExecute());
        expectNoSurprises();
        QCOMPARE(m_prompter->questions(), QStringList());
        QVERIFY(!m_project->modified());
        QCOMPARE(readProjectFile(file).rows[1].row.remark.value(), QStringLiteral("in place"));

        // Another spelling is another file: a new one is made and x.qlv keeps its state.
        editRemark(2, "elsewhere");
        m_prompter->chooseFile(path("X.QLV"));
        QVERIFY(m_project->SaveExecute());
        QCOMPARE(m_project->currentFile(), path("X.QLV"));
        QCOMPARE(readProjectFile(file).rows[1].row.remark.value(), QStringLiteral("in place"));
    }

    // A save in place writes a copy and renames it over the file: the next save must reach
    // the file now in place, a link keeps leading to it, and nothing is left beside it.
    void saveInPlaceReplacesTheFileWhole()
    {
        const QString file = savedProject("whole.qlv");
        QVERIFY(QFile::link(QStringLiteral("whole.qlv"), path("link.qlv")));
        for (const QString& text : {QStringLiteral("first"), QStringLiteral("second")}) {
            editRemark(5, text);
            m_prompter->chooseFile(file);
            QVERIFY(m_project->SaveExecute());
            QVERIFY(!m_project->modified());
            QCOMPARE(readProjectFile(path("link.qlv")).rows[4].row.remark.value(), text);
        }
        expectNoSurprises();
        QVERIFY(QFileInfo(path("link.qlv")).isSymLink());
        QCOMPARE(QDir(m_rig->dir.path())
                     .entryList({QStringLiteral("*whole*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("whole.qlv")});
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no keeps the file") << int(Answer::No);
        QTest::newRow("yes replaces it") << int(Answer::Yes);
    }

    void replaceQuestion()
    {
        QFETCH(int, answer);
        const QString existing = path("existing.qlv");
        writeAll(existing, "an older file");
        editRemark(1, "new");
        m_prompter->chooseFile(existing).answer(Answer(answer));
        QCOMPARE(m_project->SaveExecute(), Answer(answer) == Answer::Yes);
        expectNoSurprises();
        QCOMPARE(m_prompter->calls[1].kind, PrompterCall::YesNo);
        QCOMPARE(m_prompter->calls[1].title, QStringLiteral("K-817T"));
        QCOMPARE(m_prompter->calls[1].text, Replace);
        if (Answer(answer) == Answer::No) {
            QCOMPARE(readAll(existing), QByteArray("an older file"));
            QVERIFY(m_project->modified());
        } else {
            QCOMPARE(readProjectFile(existing).rows[0].row.remark.value(), QStringLiteral("new"));
        }
    }

    void failedSaveLeavesTheExistingFileWhole()
    {
        // A key text over its column size (possible in a file made elsewhere) stops the
        // save before the target is touched.
        const QString loose = path("loose.qlv");
        execSql(loose, R"(CREATE TABLE KeyInfo ("ID" SMALLINT, "Function" TEXT, "Format" TEXT,
                          "Carry" TEXT, "IR Data" BLOB, "Remark" TEXT);
                          CREATE TABLE ModelInfo ("ID" INTEGER PRIMARY KEY, "Module Name" TEXT,
                          "Type" TEXT, "Manufactory" TEXT, "Module ID" TEXT, "ReCyc" INTEGER,
                          "Remark" TEXT);
                          INSERT INTO ModelInfo VALUES (1, '', '', '', '', 0, '');
                          WITH RECURSIVE slot(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM slot
                                                     WHERE n < 512)
                          INSERT INTO KeyInfo SELECT n, '', '', '', zeroblob(512), NULL FROM slot;
                          UPDATE KeyInfo SET "Function" = 'a function name far too long'
                          WHERE "ID" = 9;)");
        QVERIFY(m_project->LoadProject(loose));
        const QString existing = path("existing.qlv");
        writeAll(existing, "precious");
        m_prompter->chooseFile(existing).answer(Answer::Yes);
        QVERIFY(!m_project->SaveExecute());
        QCOMPARE(readAll(existing), QByteArray("precious"));
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY2(m_prompter->notices().first().startsWith("Slot 9: ") &&
                     m_prompter->notices().first().contains("Function"),
                 qPrintable(m_prompter->notices().first()));
        QCOMPARE(QDir(m_rig->dir.path()).entryList(QDir::Hidden | QDir::Files).filter("existing"),
                 QStringList({"existing.qlv"}));
        QCOMPARE(m_project->currentFile(), loose);
    }

    void failedBatchUpdateKeepsModified()
    {
        const QString file = savedProject("busy.qlv");
        editRemark(3, "pending");
        SqliteDb other(file);
        other.exec("BEGIN EXCLUSIVE");
        m_prompter->chooseFile(file);
        QVERIFY(!m_project->SaveExecute());
        other.exec("ROLLBACK");
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY(m_project->modified());
        QCOMPARE(m_project->keys().row(2).remark.value(), QStringLiteral("pending"));
    }

    void openOfABadFileKeepsTheOpenProject_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("text file") << "notes.qlv" << QByteArray("hello\r\n") << "not a database";
        QTest::newRow("missing column") << "nocolumn.qlv" << QByteArray() << "Carry";
        QTest::newRow("short image") << "short.bin" << QByteArray(1000, '\x72')
                                     << "Not an EEPROM image: 1000 bytes, expected 262144.";
        QTest::newRow("long image") << "long.BIN" << QByteArray(262145, '\0')
                                    << "Not an EEPROM image: 262145 bytes, expected 262144.";
        QTest::newRow("missing image") << "absent.bin" << QByteArray() << "absent.bin";
    }

    void openOfABadFileKeepsTheOpenProject()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        if (name == "nocolumn.qlv") {
            writeTemplateCopy(path(name));
            execSql(path(name), R"(ALTER TABLE KeyInfo DROP COLUMN "Carry")");
        } else if (!content.isEmpty()) {
            writeAll(path(name), content);
        }
        const QString before = savedProject("open.qlv");
        editRemark(8, "pending");

        m_prompter->answer(Answer::No).chooseFile(path(name));
        QVERIFY(!m_project->OpenExecute());
        expectNoSurprises();
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY2(m_prompter->notices().first().contains(message),
                 qPrintable(m_prompter->notices().first()));
        QCOMPARE(m_project->currentFile(), before);
        QVERIFY(m_project->modified());
        QCOMPARE(m_project->keys().recordCount(), 512);
        QCOMPARE(m_project->keys().row(7).remark.value(), QStringLiteral("pending"));
    }

    void importFillsAFreshProjectFromTheImage()
    {
        CodeRecord named = oneCodeRecord(48, "POWER");
        named[255] = 0x41; // a non-NUL last byte must not survive the import
        CodeRecord longName = oneCodeRecord(49);
        for (std::size_t i = 240; i < 256; ++i)
            longName[i] = 'N';
        const CodeRecord twoCodes = twoCodeRecord(52, 50, "\xD2\xF4\xC1\xBF+"); // 音量+ in GBK
        writeAll(path("KEYS.BIN"), image({named, longName, twoCodes}));

        QVERIFY(m_project->openFile(path("KEYS.BIN")));
        expectNoSurprises();
        QCOMPARE(m_project->currentFile(), path("Temp.~tmp"));
        QVERIFY(m_project->modified());
        QCOMPARE(m_project->keys().recNo(), 1);
        const KeyTable& keys = m_project->keys();
        QCOMPARE(keys.row(0).function.value(), QStringLiteral("POWER"));
        QCOMPARE(keys.row(0).carry.value(), QStringLiteral("38416"));
        QCOMPARE(quint8(keys.row(0).irData->at(255)), quint8(0));
        QCOMPARE(keys.row(1).function.value(), QString(15, 'N'));
        QCOMPARE(keys.row(1).carry.value(), QStringLiteral("37632"));
        QCOMPARE(keys.row(2).function.value(), QStringLiteral("音量+"));
        QCOMPARE(keys.row(2).format.value(), QStringLiteral("RC5/RC6"));
        // Filler slots are 0xFF records: no code, and an empty name.
        QCOMPARE(keys.row(3).irData.value(), QByteArray(512, '\xFF').replace(255, 1, "\0", 1));
        QCOMPARE(keys.row(3).carry.value(), QString());
        QCOMPARE(keys.row(3).function.value(), QString());
    }

    void importAsksAgainAndCancelAbandonsIt()
    {
        const QString file = savedProject("open.qlv");
        editRemark(5, "pending");
        writeAll(path("image.bin"), image({oneCodeRecord(48, "POWER")}));
        // No in Open's question, then Cancel in New's own question.
        m_prompter->answer(Answer::No).chooseFile(path("image.bin")).answer(Answer::Cancel);
        QVERIFY(!m_project->OpenExecute());
        expectNoSurprises();
        QCOMPARE(m_prompter->questions(), QStringList({SaveChanges, SaveChanges}));
        QCOMPARE(m_project->currentFile(), file);
        QCOMPARE(m_project->keys().row(0).function.value(), QString());
        QCOMPARE(m_project->keys().row(4).remark.value(), QStringLiteral("pending"));
    }

    void compileAppliesTheImageExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "out"
                               << "out.bin";
        QTest::newRow("mixed case kept") << "OUT.Bin"
                                         << "OUT.Bin";
        QTest::newRow("other extension") << "keys.txt"
                                         << "keys.txt.bin";
    }

    void compileAppliesTheImageExtension()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        m_prompter->chooseFile(path(chosen));
        QVERIFY(m_project->compile());
        expectNoSurprises();
        QCOMPARE(m_prompter->calls.first().text, QStringLiteral("*.bin|*.bin"));
        QCOMPARE(readAll(path(written)), QByteArray(262144, '\0'));
    }

    void compileWritesEachRowInItsSlot()
    {
        const CodeRecord learned = oneCodeRecord(48, "VOL+");
        m_project->keys().setRecNo(3);
        KeyRow row = m_project->keys().current();
        row.irData = toBytes(learned);
        m_project->keys().post(row);
        m_project->keys().setRecNo(4);
        row = m_project->keys().current();
        row.irData.reset();
        m_project->keys().post(row);
        m_project->keys().setRecNo(5);
        row = m_project->keys().current();
        row.irData = QByteArray(300, '\x11');
        m_project->keys().post(row);

        int scrolls = 0;
        m_project->keys().setAfterScroll([&] { ++scrolls; });
        m_prompter->chooseFile(path("keys.bin"));
        QVERIFY(m_project->compile());
        const QByteArray bytes = readAll(path("keys.bin"));
        QCOMPARE(bytes.size(), 262144);
        QCOMPARE(bytes.mid(1024, 512), toBytes(learned));
        QCOMPARE(bytes.mid(1536, 512), QByteArray(512, '\xFF'));
        QCOMPARE(bytes.mid(2048, 512), QByteArray(300, '\x11') + QByteArray(212, '\xFF'));
        QCOMPARE(m_project->keys().recNo(), 1);
        QCOMPARE(scrolls, 1); // only the final move to row 1, with the handler attached
    }

    void compileReplaceQuestion()
    {
        writeAll(path("old.bin"), "old");
        m_prompter->chooseFile(path("old.bin")).answer(Answer::No);
        QVERIFY(!m_project->compile());
        expectNoSurprises();
        QCOMPARE(m_prompter->questions(), QStringList({Replace}));
        QCOMPARE(readAll(path("old.bin")), QByteArray("old"));
    }

    void compileToAMissingFolderIsReported()
    {
        m_prompter->chooseFile(path("no/such/folder/keys.bin"));
        QVERIFY(!m_project->compile());
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY(m_prompter->notices().first().contains("keys.bin"));
    }

    void imageProjectImageRoundTrip()
    {
        std::vector<CodeRecord> records;
        for (int n = 0; n < 512; ++n) {
            CodeRecord record =
                n % 3 ? oneCodeRecord(std::uint8_t(40 + n % 20), "K") : twoCodeRecord(52, 50, "RC");
            record[300] = std::uint8_t(n);
            record[255] = 0;
            records.push_back(record);
        }
        const QByteArray original = image(records);
        writeAll(path("in.bin"), original);
        QVERIFY(m_project->openFile(path("in.bin")));
        m_prompter->chooseFile(path("round.qlv"));
        QVERIFY(m_project->SaveExecute());
        m_prompter->chooseFile(path("out.bin"));
        QVERIFY(m_project->compile());
        QCOMPARE(readAll(path("out.bin")), original);
    }

    void templateUnreadableIsReported()
    {
        // The template is a resource; its absence is simulated by a working copy that cannot
        // be written, which New reports the same way: a message and no project open.
        Project project(*m_prompter, path("missing/dir/Temp.~tmp"));
        QVERIFY(!project.NewExecute());
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY(m_prompter->notices().first().contains("Temp.~tmp"));
        QVERIFY(!project.keys().isOpen());
    }

    void aFailedNewLeavesNothingToSaveCompileOrSend()
    {
        // The project that was open goes with the New; when the fresh one cannot be written,
        // no project is loaded and nothing may write an empty table anywhere.
        QVERIFY(m_project->projectLoaded());
        m_project->setWorkingCopyPath(path("missing/dir/Temp.~tmp"));
        QVERIFY(!m_project->NewExecute());
        QVERIFY(!m_project->projectLoaded());
        m_prompter->clear();
        QVERIFY(!m_project->compileTo(path("empty.bin")));
        QVERIFY(!m_project->saveTo(path("empty.qlv")));
        QCOMPARE(m_prompter->notices(),
                 QStringList({"No project is open.", "No project is open."}));
        QVERIFY(!QFile::exists(path("empty.bin")));
        QVERIFY(!QFile::exists(path("empty.qlv")));
    }

    void secondCopyUsesTheNextWorkingCopy()
    {
        WorkingCopy first(m_rig->dir.path());
        WorkingCopy second(m_rig->dir.path());
        QCOMPARE(first.path(), path("Temp.~tmp"));
        QCOMPARE(second.path(), path("Temp2.~tmp"));
    }
};

QTEST_GUILESS_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
