// The window's file dialogs: nothing of a dialog outlives its question, and each kind of
// dialog remembers its own folder and name.
#include <app/dialogprompter.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace qlv;

namespace {

QFileDialog* openDialog()
{
    return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

QLineEdit* nameEdit(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Runs step on the dialog once it is up; a failed step cancels the dialog.
void whenDialogOpens(const std::function<bool(QFileDialog*)>& step)
{
    QTimer::singleShot(0, [step] {
        QFileDialog* dialog = openDialog();
        if (!dialog)
            return;
        if (!step(dialog) && dialog->isVisible())
            dialog->reject();
    });
}

bool visiblePopupLeft()
{
    if (QApplication::activePopupWidget())
        return true;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() &&
            (widget->windowType() == Qt::Popup || qobject_cast<QAbstractItemView*>(widget)))
            return true;
    return false;
}

} // namespace

class TestDialogPrompter : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<DialogPrompter> m_prompter;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void touch(const QString& name)
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_window = std::make_unique<QWidget>();
        m_window->resize(640, 480);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_prompter = std::make_unique<DialogPrompter>();
        m_prompter->setParentWindow(m_window.get());
    }

    void cleanup()
    {
        m_prompter.reset();
        m_window.reset();
    }

    // A path typed while the completion list is up, then Return: the list goes with the
    // dialog and holds no input.
    void typedPathLeavesNoPopup()
    {
        touch(path(QStringLiteral("solo.qlv")));
        QPointer<QFileDialog> shown;
        QPointer<QAbstractItemView> popup;
        whenDialogOpens([&](QFileDialog* dialog) {
            shown = dialog;
            QLineEdit* edit = nameEdit(dialog);
            if (!edit || !edit->completer())
                return false;
            popup = edit->completer()->popup();
            // The folder is read in the background; the list shows it once it is read.
            auto* files = dialog->findChild<QListView*>(QStringLiteral("listView"));
            dialog->setDirectory(m_dir.path());
            if (!files ||
                !QTest::qWaitFor([&] { return files->model()->rowCount(files->rootIndex()) == 1; }))
                return false;
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("s"));
            if (!QTest::qWaitFor([&] { return popup->isVisible(); }))
                return false;
            QTest::keyClicks(edit, QStringLiteral("olo.qlv"));
            if (!popup->isVisible())
                return false;
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
        const std::optional<QString> chosen = m_prompter->chooseOpenFile(
            {QStringLiteral("K-817T File|*.qlv"), {}, FileFamily::Project});
        QVERIFY(shown.isNull() || !shown->isVisible());
        QCOMPARE(chosen.value_or(QString()), path(QStringLiteral("solo.qlv")));
        // Time for a folder listing that ends after the dialog to come in.
        QTest::qWait(300);
        QVERIFY(!visiblePopupLeft());
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(shown.isNull());
        QVERIFY(popup.isNull());
    }

    void familiesRememberTheirOwn_data()
    {
        QTest::addColumn<FileFamily>("first");
        QTest::addColumn<FileFamily>("other");
        QTest::addColumn<bool>("otherSaves");
        QTest::newRow("hex text, then project Save")
            << FileFamily::HexText << FileFamily::Project << true;
        QTest::newRow("hex text, then project Open")
            << FileFamily::HexText << FileFamily::Project << false;
        QTest::newRow("project, then hex text Save")
            << FileFamily::Project << FileFamily::HexText << true;
        QTest::newRow("project, then code export")
            << FileFamily::Project << FileFamily::Codes << true;
        QTest::newRow("codes, then project Save")
            << FileFamily::Codes << FileFamily::Project << true;
    }

    // A file saved through one kind of dialog: the other kinds propose neither its folder nor
    // its name, and the same kind proposes both next time.
    void familiesRememberTheirOwn()
    {
        QFETCH(FileFamily, first);
        QFETCH(FileFamily, other);
        QFETCH(bool, otherSaves);
        const QString folder = path(QStringLiteral("x"));
        QVERIFY(QDir().mkpath(folder));
        const QString chosen = folder + QStringLiteral("/a.txt");
        const QString filter = QStringLiteral("*.txt|*.txt");

        whenDialogOpens([&](QFileDialog* dialog) {
            nameEdit(dialog)->setText(chosen);
            static_cast<QDialog*>(dialog)->accept();
            return true;
        });
        QCOMPARE(m_prompter->chooseSaveFile({filter, {}, first}).value_or(QString()), chosen);

        QString proposedFolder;
        QString proposedName;
        auto look = [&](QFileDialog* dialog) {
            proposedFolder = dialog->directory().absolutePath();
            proposedName = nameEdit(dialog)->text();
            return false;
        };
        whenDialogOpens(look);
        const FileRequest otherRequest{filter, {}, other};
        const std::optional<QString> none = otherSaves ? m_prompter->chooseSaveFile(otherRequest)
                                                       : m_prompter->chooseOpenFile(otherRequest);
        QVERIFY(!none);
        QVERIFY(!proposedFolder.isEmpty());
        QVERIFY2(proposedFolder != folder, qPrintable(proposedFolder));
        QVERIFY2(!proposedName.contains(QLatin1String("a.txt")), qPrintable(proposedName));

        whenDialogOpens(look);
        QVERIFY(!m_prompter->chooseSaveFile({filter, {}, first}));
        QCOMPARE(proposedFolder, folder);
        QCOMPARE(proposedName, QStringLiteral("a.txt"));
    }
};

QTEST_MAIN(TestDialogPrompter)
#include "tst_dialogprompter.moc"
