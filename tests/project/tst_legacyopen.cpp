// Opening the Windows version's project files: converted by the real qlvtool in a child
// process into the working copy, shown under their own name, never written in place.
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>
#include <project/project.h>
#include <project/projectfile.h>
#include <support/legacyfixture.h>
#include <support/projectfiles.h>
#include <support/projectrig.h>
#include <support/scriptedprompter.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

const QString Replace = QStringLiteral("File already exist.Replace?");

// A file that passes the header check; the converter stand-ins never read further.
QByteArray jetHeader()
{
    QByteArray header(4096, '\0');
    header.replace(0, 21, QByteArray("\0\1\0\0Standard Jet DB\0\1", 21));
    return header;
}

// What a converter stand-in does instead of converting.
QByteArray script(const QString& behaviour)
{
    if (behaviour == "crashes")
        return "#!/bin/sh\nkill -SEGV $$\n";
    // Stopped in the middle of writing, as a converter may be.
    if (behaviour == "hangs")
        return "#!/bin/sh\ntouch \"$(dirname \"$5\")/.$(basename \"$5\").part\"\nexec sleep 30\n";
    if (behaviour == "fails without a word")
        return "#!/bin/sh\nexit 3\n";
    return "#!/bin/sh\nexit 0\n"; // claims success, writes nothing
}

} // namespace

class TestLegacyOpen : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    Project* m_project = nullptr;

    QString path(const QString& name) const { return m_rig->path(name); }

    void editRemark(int recNo, const QString& text)
    {
        m_project->keys().setRecNo(recNo);
        KeyRow row = m_project->keys().current();
        row.remark = text;
        m_project->keys().post(row);
    }

    std::vector<KeyRow> rows() const
    {
        std::vector<KeyRow> rows;
        for (int i = 0; i < m_project->keys().recordCount(); ++i)
            rows.push_back(m_project->keys().row(i));
        return rows;
    }

    void expectNoSurprises()
    {
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
        QVERIFY(m_prompter->scriptConsumed());
    }

    QStringList leftovers() const
    {
        return QDir(m_rig->dir.path()).entryList({"*.legacy-*"}, QDir::Hidden | QDir::Files);
    }

    // A refused file: one notice naming it, and the fresh project with its pending change, in
    // the working copy as it was.
    void expectRefused(const QString& file, const QString& message, const QByteArray& workingCopy)
    {
        QCOMPARE(m_prompter->notices().size(), 1);
        const QString notice = m_prompter->notices().first();
        QVERIFY2(notice.contains(QDir::toNativeSeparators(file)), qPrintable(notice));
        QVERIFY2(notice.contains(message), qPrintable(notice));
        QCOMPARE(m_project->currentFile(), path("Temp.~tmp"));
        QVERIFY(m_project->modified());
        QCOMPARE(m_project->keys().recordCount(), 512);
        QCOMPARE(m_project->keys().row(7).remark.value(), QStringLiteral("pending"));
        QCOMPARE(readAll(path("Temp.~tmp")), workingCopy);
        QCOMPARE(leftovers(), QStringList());
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>();
        m_prompter = &m_rig->prompter;
        m_project = &m_rig->project;
        m_project->setLegacyConverter(QStringLiteral(QLVTOOL_PATH));
        QVERIFY(m_rig->start());
        m_prompter->clear();
    }

    void opensIntoTheWorkingCopyUnderItsOwnName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("qlv") << "legacy-tv.qlv";
        QTest::newRow("other extension") << "OLD.MDB";
        QTest::newRow("the header wins over .bin") << "keys.bin";
    }

    void opensIntoTheWorkingCopyUnderItsOwnName()
    {
        QFETCH(QString, name);
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QByteArray jet = readAll(fixture);
        writeAll(path(name), jet);
        editRemark(3, "dropped");
        QString shownWhenLoaded;
        connect(m_project, &Project::loaded, this,
                [&] { shownWhenLoaded = m_project->currentFile(); });

        m_prompter->answer(Answer::No).chooseFile(path(name));
        QVERIFY(m_project->OpenExecute());
        expectNoSurprises();
        QCOMPARE(m_project->currentFile(), path(name));
        QCOMPARE(shownWhenLoaded, path(name));
        QCOMPARE(m_project->dataFile(), path("Temp.~tmp"));
        QVERIFY(!m_project->modified());
        QCOMPARE(m_project->modelFields(), ModelFields{});
        verifyLegacyFixtureRows(rows());
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(readAll(path(name)), jet);
        QCOMPARE(leftovers(), QStringList());
    }

    void saveOffersTheLegacyNameAndAsksBeforeReplacingIt_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no keeps the Jet file") << int(Answer::No);
        QTest::newRow("yes replaces it with a project") << int(Answer::Yes);
    }

    void saveOffersTheLegacyNameAndAsksBeforeReplacingIt()
    {
        QFETCH(int, answer);
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QString file = path("tv.qlv");
        writeAll(file, readAll(fixture));
        QVERIFY(m_project->openFile(file));
        editRemark(2, "edited");

        // The very name of the Jet file, letter for letter, is still another file.
        m_prompter->chooseFile(file).answer(Answer(answer));
        QCOMPARE(m_project->SaveExecute(), Answer(answer) == Answer::Yes);
        expectNoSurprises();
        QCOMPARE(m_prompter->calls.first().kind, PrompterCall::SaveFile);
        QCOMPARE(m_prompter->calls.first().family, FileFamily::Project);
        QCOMPARE(m_prompter->calls.first().proposedName, file);
        QCOMPARE(m_prompter->questions(), QStringList{Replace});
        if (Answer(answer) == Answer::No) {
            QCOMPARE(readAll(file), readAll(fixture));
            QVERIFY(m_project->modified());
            QCOMPARE(m_project->currentFile(), file);
            return;
        }
        QVERIFY(!m_project->modified());
        QCOMPARE(m_project->currentFile(), file);
        QCOMPARE(m_project->dataFile(), file);
        KeyTable saved;
        saved.open(readProjectFile(file));
        QCOMPARE(saved.row(1).remark.value(), QStringLiteral("edited"));

        // Now a project of our own, it is saved in place without a question.
        m_prompter->clear();
        editRemark(4, "in place");
        m_prompter->chooseFile(file);
        QVERIFY(m_project->SaveExecute());
        QCOMPARE(m_prompter->questions(), QStringList());
        QCOMPARE(m_prompter->calls.first().proposedName, QString());
        saved.open(readProjectFile(file));
        QCOMPARE(saved.row(3).remark.value(), QStringLiteral("in place"));
    }

    void savedItReopensAndCompilesAsItsRowsWould()
    {
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        QVERIFY(m_project->openFile(fixture));
        const std::vector<KeyRow> opened = rows();
        m_prompter->chooseFile(path("legacy.bin"));
        QVERIFY(m_project->compile());

        m_prompter->chooseFile(path("saved.qlv"));
        QVERIFY(m_project->SaveExecute());
        QVERIFY(m_project->NewExecute());
        QVERIFY(m_project->LoadProject(path("saved.qlv")));
        QVERIFY(rows() == opened);
        verifyLegacyFixtureRows(rows());
        if (QTest::currentTestFailed())
            return;
        m_prompter->chooseFile(path("saved.bin"));
        QVERIFY(m_project->compile());
        expectNoSurprises();

        // Slot n holds the record of ID n as stored, padded with 0xFF.
        std::vector<std::uint8_t> image;
        for (const KeyRow& row : opened)
            appendSlot(image, storedBytes(row.irData));
        const QByteArray expected(reinterpret_cast<const char*>(image.data()),
                                  qsizetype(image.size()));
        QCOMPARE(expected.mid(299 * 512, 512), QByteArray(512, '\xFF'));
        QCOMPARE(expected.mid(300 * 512 + 200, 312),
                 QByteArray(100, '\0') + QByteArray(212, '\xFF'));
        QCOMPARE(readAll(path("legacy.bin")), expected);
        QCOMPARE(readAll(path("saved.bin")), expected);
    }

    void refusedFilesLeaveTheOpenProjectUntouched_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("message");
        for (const RefusedVariant& variant : RefusedVariants)
            QTest::newRow(variant.name) << variant.name << variant.message;
    }

    void refusedFilesLeaveTheOpenProjectUntouched()
    {
        QFETCH(QString, variant);
        QFETCH(QString, message);
        QLV_REQUIRE_LEGACY_FIXTURE(fixture);
        const QString file = path("bad.qlv");
        writeAll(file, refusedVariant(readAll(fixture), variant));
        editRemark(8, "pending");
        const QByteArray workingCopy = readAll(path("Temp.~tmp"));

        m_prompter->answer(Answer::No).chooseFile(file);
        QVERIFY(!m_project->OpenExecute());
        expectNoSurprises();
        expectRefused(file, variant == "no Jet file" ? "not a database" : message, workingCopy);
    }

    void converterFailuresAreRefused_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<QString>("message");
        QTest::newRow("crash") << "crashes"
                               << "crashed";
        QTest::newRow("time-out") << "hangs"
                                  << "longer than 0.5 seconds";
        QTest::newRow("failure without a message") << "fails without a word"
                                                   << "ended with status 3";
        QTest::newRow("success without a file") << "claims success"
                                                << "converted project is unreadable";
        QTest::newRow("no converter") << "missing"
                                      << "does not start";
    }

    void converterFailuresAreRefused()
    {
        QFETCH(QString, behaviour);
        QFETCH(QString, message);
        // Only the header is looked at before the converter runs.
        QByteArray header(4096, '\0');
        header.replace(0, 21, QByteArray("\0\1\0\0Standard Jet DB\0\1", 21));
        const QString file = path("old.qlv");
        writeAll(file, header);
        const QString converter = path("converter");
        if (behaviour != "missing") {
            writeAll(converter, script(behaviour));
            QFile::setPermissions(converter, QFile::ReadOwner | QFile::ExeOwner);
        }
        m_project->setLegacyConverter(converter, 500);
        editRemark(8, "pending");
        const QByteArray workingCopy = readAll(path("Temp.~tmp"));

        QVERIFY(!m_project->openFile(file));
        expectRefused(file, message, workingCopy);
    }

    void conversionWaitKeepsEventsFlowingAndRefusesAnother()
    {
        const QString file = path("old.qlv");
        writeAll(file, jetHeader());
        // The stand-in ends only on a sign that a handler gives while the program waits for
        // it; a wait that handled nothing would run into the limit.
        const QString go = path("go");
        const QString converter = path("converter");
        writeAll(converter, QStringLiteral("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.01; done\n"
                                           "exit 3\n")
                                .arg(go)
                                .toUtf8());
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::ExeOwner);
        m_project->setLegacyConverter(converter, 5000);
        editRemark(8, "pending");
        const QByteArray workingCopy = readAll(path("Temp.~tmp"));
        QList<bool> busy;
        connect(m_project, &Project::busyChanged, this, [&busy](bool on) { busy << on; });

        bool busyMeanwhile = false;
        bool secondOpened = true;
        QTimer::singleShot(0, this, [&] {
            busyMeanwhile = m_project->busy();
            secondOpened = m_project->openFile(file);
            writeAll(go, {});
        });
        QVERIFY(!m_project->openFile(file));
        QVERIFY(busyMeanwhile);
        QVERIFY(!secondOpened);
        QCOMPARE(busy, (QList<bool>{true, false}));
        QVERIFY(!m_project->busy());
        expectRefused(file, QStringLiteral("ended with status 3"), workingCopy);
    }
};

QTEST_GUILESS_MAIN(TestLegacyOpen)
#include "tst_legacyopen.moc"
