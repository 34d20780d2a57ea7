// The IR data dialog: the close check's branches, Open and Save of hex text, the commands'
// enabling rules, and the modal edit the window runs.
#include <widgets/hexedit/fm_irdata.h>

#include <irdata/irhextext.h>
#include <project/derivedfields.h>
#include <project/project.h>
#include <support/learnedcodes.h>
#include <support/projectfiles.h>
#include <support/projectrig.h>
#include <support/scriptedprompter.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qlv;
using namespace qlv::test;

namespace {

const QString SaveChanges = QStringLiteral("Save changes to IR data?");

// Also keeps the names the save dialog was offered.
class FilePrompter : public ScriptedPrompter {
public:
    QStringList proposedNames;
    std::optional<QString> chooseSaveFile(const FileRequest& request) override
    {
        proposedNames << request.proposedName;
        return ScriptedPrompter::chooseSaveFile(request);
    }
};

QByteArray necBytes()
{
    return bytesOf(learnedRecord(necSignal(0x00, 0x12), "Power"));
}

// n values written as "0x.." in lower case, separated by commas, 16 to a line.
QByteArray valuesFile(int n, std::uint8_t first = 0)
{
    QByteArray text;
    for (int i = 0; i < n; ++i) {
        text += "0x" + QByteArray::number((first + i) & 0xFF, 16).rightJustified(2, '0');
        text += i % 16 == 15 ? "\r\n" : ",";
    }
    return text;
}

CodeRecord patternRecord()
{
    CodeRecord record;
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = std::uint8_t(i * 7 + 3);
    return record;
}

} // namespace

class TestIrDataDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    FilePrompter* m_prompter = nullptr;
    Project* m_project = nullptr;
    std::unique_ptr<TfmIRData> m_dialog;

    QString path(const QString& name) const { return m_rig->path(name); }
    HexByteModel& model() { return m_dialog->editor()->model(); }
    const KeyRow& row1() { return m_project->keys().row(0); }
    QAction* command(const char* name)
    {
        return m_dialog->findChild<QAction*>(QLatin1String(name));
    }
    void expectNoSurprises()
    {
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
        QVERIFY(m_prompter->scriptConsumed());
    }
    void setRow1(const QByteArray& irData, const QString& function)
    {
        m_project->keys().setRecNo(1);
        KeyRow row = m_project->keys().current();
        row.irData = irData;
        m_project->keys().post(row);
        row = m_project->keys().current();
        row.function = function;
        m_project->keys().post(row);
        m_project->setModified(false);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>(std::make_unique<FilePrompter>());
        m_prompter = static_cast<FilePrompter*>(&m_rig->prompter);
        m_project = &m_rig->project;
        QVERIFY(m_rig->start());
        setRow1(necBytes(), "Power");
        m_dialog = std::make_unique<TfmIRData>(*m_prompter);
        m_dialog->setProject(*m_project);
        QVERIFY(m_dialog->loadCurrentRow());
        m_prompter->clear();
    }
    void cleanup() { m_dialog.reset(); }

    void layout()
    {
        QCOMPARE(m_dialog->objectName(), QStringLiteral("fmIRData"));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("IR Data"));
        QVERIFY(m_dialog->findChild<HexEditor*>("MPHexEditorEx1"));
        QVERIFY(m_dialog->findChild<QStatusBar*>("StatusBar1"));
        QMenu* menu = m_dialog->findChild<QMenu*>("PopupMenu1");
        QVERIFY(menu);
        QStringList items;
        for (QAction* item : menu->actions())
            items << (item->isSeparator() ? "-" : item->text());
        QCOMPARE(items, QStringList({"Open", "Save", "-", "Copy", "Paste"}));
        QCOMPARE(command("Copy")->shortcut(), QKeySequence("Ctrl+C"));
        QCOMPARE(command("Paste")->shortcut(), QKeySequence("Ctrl+V"));
        QCOMPARE(command("Save")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(command("Open")->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(model().data(), necBytes());
        QVERIFY(!model().modified());
    }

    void rowValueTakenAsExactly512Bytes_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("longer: cut") << necBytes() + QByteArray(40, '\x11') << necBytes();
        QTest::newRow("shorter: padded as read")
            << necBytes().left(300) << necBytes().left(300) + QByteArray(212, '\xFF');
        QTest::newRow("null") << QByteArray() << QByteArray(512, '\xFF');
    }
    void rowValueTakenAsExactly512Bytes()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, shown);
        KeyRow row = m_project->keys().current();
        row.irData = stored.isNull() ? std::nullopt : std::optional(stored);
        PostHandlerDetached detached(m_project->keys());
        m_project->keys().post(row);
        QVERIFY(m_dialog->loadCurrentRow());
        QCOMPARE(model().data(), shown);
    }

    void closeCheck_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("sizeChange");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QStringList>("notices");
        QTest::newRow("unchanged: no question")
            << false << 0 << QList<Answer>{} << true << false << QStringList{};
        QTest::newRow("Cancel stays open")
            << true << 0 << QList<Answer>{Answer::Cancel} << false << false << QStringList{};
        QTest::newRow("No keeps the row")
            << true << 0 << QList<Answer>{Answer::No} << true << false << QStringList{};
        QTest::newRow("Yes writes back")
            << true << 0 << QList<Answer>{Answer::Yes} << true << true << QStringList{};
        QTest::newRow("Yes with a byte deleted")
            << true << -1 << QList<Answer>{Answer::Yes} << true << false
            << QStringList{"Data size have changed.Save failed!"};
        QTest::newRow("Yes with a byte inserted")
            << true << 1 << QList<Answer>{Answer::Yes} << true << false
            << QStringList{"Data size have changed.Save failed!"};
    }
    void closeCheck()
    {
        QFETCH(bool, edit);
        QFETCH(int, sizeChange);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, closes);
        QFETCH(bool, written);
        QFETCH(QStringList, notices);
        for (Answer a : answers)
            m_prompter->answer(a);
        HexEditor* editor = m_dialog->editor();
        // A name over bytes 240-245 and byte 0 cleared: Function, Format and Carry follow.
        if (edit) {
            editor->setPane(HexEditor::Pane::Characters);
            editor->moveCaret(240);
            QTest::keyClicks(editor, "Mute");
            editor->setPane(HexEditor::Pane::Hex);
            editor->moveCaret(244);
            QTest::keyClicks(editor, "00");
            editor->moveCaret(0);
            QTest::keyClicks(editor, "00");
        }
        editor->moveCaret(300);
        if (sizeChange < 0)
            QTest::keyClick(editor, Qt::Key_Delete);
        if (sizeChange > 0)
            QTest::keyClick(editor, Qt::Key_Insert);
        const KeyRow before = row1();

        QCOMPARE(m_dialog->FormCloseQuery(), closes);
        QCOMPARE(m_prompter->questions(),
                 answers.isEmpty() ? QStringList{} : QStringList{SaveChanges});
        if (!answers.isEmpty())
            QCOMPARE(m_prompter->calls.first().title, QStringLiteral("IR Data"));
        QCOMPARE(m_prompter->notices(), notices);
        expectNoSurprises();
        QCOMPARE(m_project->modified(), written);
        if (written) {
            QCOMPARE(row1().irData->size(), 512);
            QCOMPARE(row1().irData, model().data());
            QCOMPARE(row1().function, QStringLiteral("Mute"));
            QCOMPARE(row1().format, QString());
            QCOMPARE(row1().carry, QString());
            QVERIFY(!model().modified());
        } else {
            QCOMPARE(row1(), before);
        }
    }

    void closeBoxRunsTheCheck()
    {
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        QTest::keyClicks(m_dialog->editor(), "7");
        m_prompter->answer(Answer::Cancel);
        m_dialog->close();
        QVERIFY(m_dialog->isVisible());
        m_prompter->answer(Answer::No);
        QTest::keyClick(m_dialog->editor(), Qt::Key_Escape);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_prompter->questions(), QStringList({SaveChanges, SaveChanges}));
        expectNoSurprises();
        QCOMPARE(row1().irData, necBytes());
    }

    void modalEditWritesBackOnClose()
    {
        QWidget window;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = window.findChild<TfmIRData*>("fmIRData");
            QVERIFY(dialog && dialog->isModal() && dialog->isVisible());
            dialog->editor()->moveCaret(1);
            QTest::keyClicks(dialog->editor(), "31"); // carrier period 49
            m_prompter->answer(Answer::Yes);
            dialog->close();
        });
        QVERIFY(runIrDataEdit(*m_project, *m_prompter, &window));
        QCOMPARE(row1().carry, QStringLiteral("37632"));
        QCOMPARE(row1().format, QStringLiteral("Normal"));
        QVERIFY(m_project->modified());
        expectNoSurprises();

        // The same dialog comes back, loaded anew.
        QTimer::singleShot(0, this, [&] {
            auto* dialog = window.findChild<TfmIRData*>("fmIRData");
            QVERIFY(!dialog->editor()->model().modified());
            dialog->close();
        });
        QVERIFY(runIrDataEdit(*m_project, *m_prompter, &window));
        QCOMPARE(window.findChildren<TfmIRData*>().size(), 1);
    }

    void emptyTableShowsNothing()
    {
        m_project->keys().close();
        QVERIFY(!m_dialog->loadCurrentRow());
        QVERIFY(!runIrDataEdit(*m_project, *m_prompter, nullptr));
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("0x.. in lower case with commas") << valuesFile(512, 0x12) << "" << true;
        QTest::newRow("as Save writes it")
            << QByteArray::fromStdString(writeIrHexText(patternRecord())) << "" << true;
        QTest::newRow("511 values") << valuesFile(511) << "Invalid IR data file!" << false;
        QTest::newRow("513 values") << valuesFile(513) << "Invalid IR data file!" << false;
        QTest::newRow("a tab") << QByteArray("12\t34") << "Invalid char '\t'" << false;
        QTest::newRow("a letter") << valuesFile(100) + "g"
                                  << "Invalid char 'G'" << false;
        QTest::newRow("a wide character in the code page")
            << QByteArray("12 \xD6\xD0") << "Invalid char '中'" << false;
        QTest::newRow("empty") << QByteArray() << "Invalid IR data file!" << false;
    }
    void open()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, notice);
        QFETCH(bool, loaded);
        writeAll(path("codes.txt"), content);
        m_prompter->chooseFile(path("codes.txt"));
        m_dialog->OpenExecute();
        QCOMPARE(m_prompter->calls.first().kind, PrompterCall::OpenFile);
        QCOMPARE(m_prompter->calls.first().family, FileFamily::HexText);
        QCOMPARE(m_prompter->calls.first().text, QStringLiteral("*.txt|*.txt"));
        QCOMPARE(m_prompter->notices(), notice.isEmpty() ? QStringList{} : QStringList{notice});
        expectNoSurprises();
        QCOMPARE(model().modified(), loaded);
        if (loaded) {
            QCOMPARE(model().size(), 512);
            QVERIFY(model().data() != necBytes());
        } else {
            QCOMPARE(model().data(), necBytes());
        }
    }

    void openOfTheRowsOwnBytesStillAsks()
    {
        const CodeRecord record = recordOf(row1());
        writeAll(path("same.txt"), QByteArray::fromStdString(writeIrHexText(record)));
        m_prompter->chooseFile(path("same.txt"));
        m_dialog->OpenExecute();
        QCOMPARE(model().data(), necBytes());
        m_prompter->answer(Answer::No);
        QVERIFY(m_dialog->FormCloseQuery());
        QCOMPARE(m_prompter->questions(), QStringList{SaveChanges});
    }

    void openCancelledOrUnreadable()
    {
        m_prompter->chooseFile(std::nullopt);
        m_dialog->OpenExecute();
        m_prompter->chooseFile(path("missing.txt"));
        m_dialog->OpenExecute();
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY(m_prompter->notices().first().startsWith("Cannot open"));
        QVERIFY(!model().modified());
        expectNoSurprises();
    }

    void saveProposesTheFunctionName_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("name") << "Power"
                              << "Power.txt";
        QTest::newRow("blanks and control characters") << " \x01TV \t"
                                                       << "TV.txt";
        QTest::newRow("empty") << ""
                               << "Default.txt";
        QTest::newRow("only blanks") << "   "
                                     << "Default.txt";
    }
    void saveProposesTheFunctionName()
    {
        QFETCH(QString, function);
        QFETCH(QString, proposed);
        KeyRow row = m_project->keys().current();
        row.function = function;
        PostHandlerDetached detached(m_project->keys());
        m_project->keys().post(row);
        m_prompter->chooseFile(std::nullopt);
        m_dialog->SaveExecute();
        QCOMPARE(m_prompter->proposedNames, QStringList{proposed});
        QCOMPARE(m_prompter->calls.first().text, QStringLiteral("*.txt|*.txt"));
        QCOMPARE(m_prompter->calls.first().family, FileFamily::HexText);
        expectNoSurprises();
    }

    void saveExtensionRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "report"
                                      << "report.txt";
        QTest::newRow("upper case .TXT") << "report.TXT"
                                         << "report.TXT";
        QTest::newRow("another extension") << "report.hex"
                                           << "report.hex.txt";
    }
    void saveExtensionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        m_prompter->chooseFile(path(chosen));
        m_dialog->SaveExecute();
        expectNoSurprises();
        const QByteArray text = readAll(path(written));
        QCOMPARE(text.size(), 1568);
        QCOMPARE(text, QByteArray::fromStdString(writeIrHexText(recordOf(row1()))));
        QVERIFY(!model().modified());

        // Read back, the file gives the same bytes.
        QTest::keyClicks(m_dialog->editor(), "99");
        m_prompter->chooseFile(path(written));
        m_dialog->OpenExecute();
        QCOMPARE(model().data(), necBytes());
    }

    void saveOverAnExistingFile_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Yes replaces") << Answer::Yes;
        QTest::newRow("No writes nothing") << Answer::No;
    }
    void saveOverAnExistingFile()
    {
        QFETCH(Answer, answer);
        writeAll(path("Power.txt"), "old");
        m_prompter->chooseFile(path("Power.txt")).answer(answer);
        m_dialog->SaveExecute();
        QCOMPARE(m_prompter->questions(), QStringList{"File already exist.Replace?"});
        QCOMPARE(m_prompter->calls.at(1).title, QStringLiteral("K-817T"));
        expectNoSurprises();
        QCOMPARE(readAll(path("Power.txt")).size(), answer == Answer::Yes ? 1568 : 3);
    }

    void saveWithFewerThan512Bytes()
    {
        m_dialog->editor()->moveCaret(3);
        QTest::keyClick(m_dialog->editor(), Qt::Key_Delete);
        m_prompter->chooseFile(path("short.txt"));
        m_dialog->SaveExecute();
        QCOMPARE(m_prompter->notices(), QStringList{"Data position/length out of data bounds"});
        QVERIFY(!QFile::exists(path("short.txt")));
        expectNoSurprises();
    }

    void commandsFollowTheirRules()
    {
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        HexEditor* editor = m_dialog->editor();
        QVERIFY(!command("Copy")->isEnabled());
        editor->select(0, 4);
        QVERIFY(command("Copy")->isEnabled());
        QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), HexEditor::hexText(necBytes().left(4)));
        QVERIFY(command("Paste")->isEnabled());
        QGuiApplication::clipboard()->setText("no hex here");
        QVERIFY(!command("Paste")->isEnabled());
        QGuiApplication::clipboard()->setText("AA BB");
        QVERIFY(command("Paste")->isEnabled());
        editor->moveCaret(8);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(model().data().mid(8, 2), QByteArray("\xAA\xBB"));
        QVERIFY(command("Save")->isEnabled());
        QVERIFY(command("Open")->isEnabled());
        m_prompter->answer(Answer::No);
        m_dialog->close();
    }
};

QTEST_MAIN(TestIrDataDialog)
#include "tst_irdatadialog.moc"
