// Files dropped on the window: projects and images open as Open opens them, a code file
// dropped on a row is imported from that row, and nothing is taken while the window is busy.
#include <app/edithistory.h>
#include <app/mainwindow.h>
#include <irdata/coderecord.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>

#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qlv;
using namespace qlv::test;

class TstFileDrop : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    KeyGrid& grid() { return m_window->grid(); }
    KeyTable& keys() { return m_window->project().keys(); }

    QString project(const QString& name)
    {
        const QString path = m_rig->path(name);
        writeTemplateCopy(path);
        return path;
    }

    static QList<QUrl> urls(const QStringList& paths)
    {
        QList<QUrl> list;
        for (const QString& path : paths)
            list << QUrl::fromLocalFile(path);
        return list;
    }

    // A drag entering target at pos and let go there, then the work the drop leaves for
    // after it; true when the drop was taken.
    static bool drop(QWidget* target, QPoint pos, const QList<QUrl>& list)
    {
        QMimeData mime;
        mime.setUrls(list);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(pos, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        // Delivered, as a real drop is, to the widget that took the drag.
        QDropEvent event(pos, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
        QCoreApplication::processEvents();
        return event.isAccepted();
    }
    bool dropOnWindow(const QStringList& paths)
    {
        // Over the model panel, below the toolbar: no grid row.
        return drop(m_window, QPoint(300, 70), urls(paths));
    }
    bool dropOnRow(const QStringList& paths, int id)
    {
        const QPoint at = grid().visualRect(grid().model()->index(id - 1, 1)).center();
        return drop(grid().viewport(), at, urls(paths));
    }

    static QString fixture(const char* name)
    {
        const QString path = qEnvironmentVariable("QLV_FIXTURES") + "/ir/" + name;
        return QFile::exists(path) ? path : QString();
    }

private slots:
    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_rig = std::make_unique<WindowRig>();
        QVERIFY(m_rig->line.isValid());
        QVERIFY(m_rig->open(*m_prompter));
        m_window = m_rig->window.get();
    }

    void cleanup()
    {
        m_window = nullptr;
        m_rig.reset();
        m_prompter.reset();
    }

    void aProjectOpensAfterTheUnsavedQuestion_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("unmodified") << false << Answer::Yes << true;
        QTest::newRow("modified, not saved") << true << Answer::No << true;
        QTest::newRow("modified, cancelled") << true << Answer::Cancel << false;
    }

    void aProjectOpensAfterTheUnsavedQuestion()
    {
        QFETCH(bool, modified);
        QFETCH(Answer, answer);
        QFETCH(bool, opened);
        const QString path = project("dropped.qlv");
        m_window->project().setModified(modified);
        if (modified)
            m_prompter->answer(answer);

        QVERIFY(dropOnWindow({path}));
        QCOMPARE(m_prompter->questions().size(), modified ? 1 : 0);
        QVERIFY(m_prompter->scriptConsumed());
        QCOMPARE(m_window->project().currentFile() == path, opened);

        // On the grid, a project opens just the same.
        QVERIFY(dropOnRow({project("other.qlv")}, 3));
        QCOMPARE(m_window->project().currentFile() == m_rig->path("other.qlv"), opened);
    }

    void anImageIsImported()
    {
        KeyRow row = keys().current();
        row.irData = toBytes(oneCodeRecord(48, "POWER"));
        keys().post(row);
        QVERIFY(m_window->project().compileTo(m_rig->path("remote.bin")));
        m_prompter->answer(Answer::No);
        m_window->NewExecute();
        QCOMPARE(textOf(keys().row(0).function), QString());

        QVERIFY(dropOnWindow({m_rig->path("remote.bin")}));
        QCOMPARE(textOf(keys().row(0).function), QStringLiteral("POWER"));
        QVERIFY(m_prompter->unexpected.isEmpty());
    }

    void aCodeFileOnARowImportsThere()
    {
        const QString file = fixture("vizio-vx32l.ir");
        if (file.isEmpty())
            QSKIP("vizio-vx32l.ir is not in the QLV_FIXTURES/ir folder");
        QCOMPARE(keys().recNo(), 1);
        m_prompter->answer(Answer::Yes);
        QVERIFY(dropOnRow({file}, 5));
        QVERIFY(m_prompter->scriptConsumed());
        QVERIFY2(m_prompter->questions().value(0).contains(" go into slots 5 to "),
                 qPrintable(m_prompter->questions().value(0)));
        QCOMPARE(keys().recNo(), 5);
        QVERIFY(hasCode(recordOf(keys().row(4)), Code::A));
        QVERIFY(!textOf(keys().row(4).function).isEmpty());
        QVERIFY(!hasCode(recordOf(keys().row(3)), Code::A));
        QVERIFY(m_window->project().modified());

        // One undo step takes it all back.
        QUndoStack& steps = m_window->history().stack();
        QCOMPARE(steps.undoText(), QStringLiteral("Import codes into slot 5"));
        steps.undo();
        QVERIFY(!hasCode(recordOf(keys().row(4)), Code::A));
        QVERIFY(!m_window->project().modified());
    }

    void refusedWithANotice_data()
    {
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("notice");
        QTest::newRow("code file off the rows")
            << false << QStringList{"codes.ir"}
            << "Drop a code file on the row where its codes should go.";
        QTest::newRow("two projects")
            << false << QStringList{"a.qlv", "b.qlv"} << "Drop one file at a time.";
        QTest::newRow("two code files on a row")
            << true << QStringList{"a.ir", "b.ir"} << "Drop one file at a time.";
    }

    void refusedWithANotice()
    {
        QFETCH(bool, onRow);
        QFETCH(QStringList, names);
        QFETCH(QString, notice);
        QStringList paths;
        for (const QString& name : names) {
            paths << project(name);
        }
        const QString before = m_window->project().currentFile();
        QVERIFY(onRow ? dropOnRow(paths, 2) : dropOnWindow(paths));
        QCOMPARE(m_prompter->notices(), QStringList{notice});
        QCOMPARE(m_window->project().currentFile(), before);
        QVERIFY(!m_window->project().modified());
    }

    void onlyLocalFilesAreTaken()
    {
        QMimeData web;
        web.setUrls({QUrl("https://example.org/tv.qlv")});
        QMimeData local;
        local.setUrls({QUrl::fromLocalFile(m_rig->path("tv.qlv"))});
        const QPoint onRow = grid().visualRect(grid().model()->index(1, 1)).center();
        for (QWidget* target : {static_cast<QWidget*>(m_window), grid().viewport()}) {
            const QPoint at = target == m_window ? QPoint(300, 70) : onRow;
            QDragEnterEvent fromWeb(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &fromWeb);
            QVERIFY(!fromWeb.isAccepted());
            QDragEnterEvent fromDisk(at, Qt::CopyAction, &local, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &fromDisk);
            QVERIFY(fromDisk.isAccepted());
        }
        QVERIFY(!drop(m_window, QPoint(300, 70), web.urls()));
        QVERIFY(m_prompter->calls.isEmpty());
    }

    void nothingIsTakenWhileAConversionWaits()
    {
        QByteArray header(4096, '\0');
        header.replace(0, 21, QByteArray("\0\1\0\0Standard Jet DB\0\1", 21));
        const QString old = m_rig->path(QStringLiteral("old.qlv"));
        writeAll(old, header);
        const QString go = m_rig->path(QStringLiteral("go"));
        const QString converter = m_rig->path(QStringLiteral("converter"));
        writeAll(converter,
                 QStringLiteral("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.01; done\nexit 3\n")
                     .arg(go)
                     .toUtf8());
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::ExeOwner);
        m_window->project().setLegacyConverter(converter, 5000);

        const QString dropped = project("dropped.qlv");
        bool taken = true;
        QTimer::singleShot(0, this, [&] {
            taken = dropOnWindow({dropped}) || dropOnRow({dropped}, 2);
            writeAll(go, {});
        });
        m_window->openFile(old);
        QCoreApplication::processEvents();
        QVERIFY(!taken);
        QVERIFY(m_window->project().currentFile() != dropped);
        QVERIFY(m_prompter->questions().isEmpty());
    }
};

QTEST_MAIN(TstFileDrop)
#include "tst_filedrop.moc"
