// The function-name, remark and go-to dialogs: captions, results, keys and typing limits.
#include <widgets/fm_funcedit.h>
#include <widgets/fm_goto.h>
#include <widgets/fm_remark.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace qlv;

namespace {

std::unique_ptr<KeyDialog> makeDialog(const QString& name)
{
    if (name == QLatin1String("fmFuncEdit"))
        return std::make_unique<TfmFuncEdit>();
    if (name == QLatin1String("fmRemark"))
        return std::make_unique<TfmRemark>();
    return std::make_unique<TfmGoTo>();
}

// Shows the dialog modally and runs step while it is up; the modal result, or -1 when the
// dialog was still open afterwards (then Cancel ends it).
int runModal(KeyDialog& dialog, const std::function<void()>& step)
{
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        step();
        if (dialog.isVisible()) {
            stillOpen = true;
            dialog.Button2()->click();
        }
    });
    const int result = dialog.exec();
    return stillOpen ? -1 : result;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("confirm");
        QTest::newRow("function") << "fmFuncEdit"
                                  << "Function Name"
                                  << "Function name:"
                                  << "Ok";
        QTest::newRow("remark") << "fmRemark"
                                << "Remark"
                                << "Remark:"
                                << "Ok";
        QTest::newRow("go to") << "fmGoTo"
                               << "Go to"
                               << ""
                               << "Go";
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, label);
        QFETCH(QString, confirm);
        const std::unique_ptr<KeyDialog> dialog = makeDialog(name);
        QCOMPARE(dialog->objectName(), name);
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->findChild<QLabel*>("Label1")->text(), label);
        QCOMPARE(dialog->findChild<QPushButton*>("Button1")->text(), confirm);
        QCOMPARE(dialog->findChild<QPushButton*>("Button2")->text(), QStringLiteral("Cancel"));
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    void results_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        const QStringList names{"fmFuncEdit", "fmRemark", "fmGoTo"};
        for (const QString& name : names) {
            const QByteArray tag = name.toLatin1();
            const bool goTo = name == QLatin1String("fmGoTo");
            QTest::addRow("%s ok", tag.constData()) << name << "ok" << 1;
            QTest::addRow("%s cancel", tag.constData()) << name << "cancel" << 2;
            QTest::addRow("%s close box", tag.constData()) << name << "close" << 2;
            QTest::addRow("%s enter", tag.constData()) << name << "enter" << 1;
            QTest::addRow("%s escape", tag.constData()) << name << "escape" << (goTo ? 2 : -1);
        }
    }

    void results()
    {
        QFETCH(QString, name);
        QFETCH(QString, action);
        QFETCH(int, result);
        const std::unique_ptr<KeyDialog> dialog = makeDialog(name);
        QLineEdit* edit = dialog->findChild<QLineEdit*>("Edit1");
        const int got = runModal(*dialog, [&] {
            QCOMPARE(dialog->focusWidget(), edit);
            if (action == QLatin1String("ok"))
                dialog->Button1()->click();
            else if (action == QLatin1String("cancel"))
                dialog->Button2()->click();
            else if (action == QLatin1String("close"))
                dialog->close();
            else if (action == QLatin1String("enter"))
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::keyClick(edit, Qt::Key_Escape);
        });
        QCOMPARE(got, result);
    }

    void typingLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit");
        QTest::newRow("function") << "fmFuncEdit" << 12;
        QTest::newRow("remark") << "fmRemark" << 80;
        QTest::newRow("go to") << "fmGoTo" << 15;
    }

    void typingLimit()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        const std::unique_ptr<KeyDialog> dialog = makeDialog(name);
        dialog->show();
        QLineEdit* edit = dialog->Edit1();
        QTest::keyClicks(edit, QString(limit + 5, QLatin1Char('a')));
        QCOMPARE(edit->text(), QString(limit, QLatin1Char('a')));

        // A longer text the program puts in is shown and returned whole; typing adds nothing,
        // deleting still works.
        const QString stored(limit + 8, QLatin1Char('b'));
        dialog->setText(stored);
        QCOMPARE(dialog->text(), stored);
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("c"));
        QCOMPARE(dialog->text(), stored);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(dialog->text(), stored.left(stored.size() - 1));
    }

    void remarkEditIsWide()
    {
        TfmRemark dialog;
        QCOMPARE(dialog.Edit1()->width(), 617);
    }

    void goToKeepsTextAndChoice()
    {
        TfmGoTo dialog;
        QVERIFY(dialog.RadioButton1()->isChecked());
        QVERIFY(dialog.text().isEmpty());
        runModal(dialog, [&] {
            QTest::keyClicks(dialog.Edit1(), QStringLiteral("power"));
            dialog.RadioButton2()->setChecked(true);
            QTest::keyClick(dialog.Edit1(), Qt::Key_Return);
        });
        // At the next use the text is there, wholly selected, so typing replaces it.
        const int result = runModal(dialog, [&] {
            QCOMPARE(dialog.Edit1()->selectedText(), QStringLiteral("power"));
            QVERIFY(dialog.RadioButton2()->isChecked());
            QTest::keyClicks(dialog.Edit1(), QStringLiteral("12"));
            dialog.Button1()->click();
        });
        QCOMPARE(result, 1);
        QCOMPARE(dialog.text(), QStringLiteral("12"));
        QVERIFY(!dialog.byId());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
