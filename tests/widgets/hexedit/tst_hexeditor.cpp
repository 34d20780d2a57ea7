// The hex editor's edits through keys and the mouse, its clipboard and its byte model.
#include <widgets/hexedit/hexeditor.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using namespace qlv;

namespace {

QByteArray counting(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i);
    return bytes;
}

} // namespace

class TestHexEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<HexEditor> m_editor;

    HexByteModel& model() { return m_editor->model(); }
    QPoint centreOf(qsizetype position, HexEditor::Pane pane)
    {
        return m_editor->byteRect(position, pane).center();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(m_editor.get(), key, modifiers);
    }

private slots:
    void init()
    {
        m_editor = std::make_unique<HexEditor>();
        m_editor->loadData(QByteArray(512, '\0'));
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
        m_editor->setFocus();
    }
    void cleanup() { m_editor.reset(); }

    void typingHexDigitsOverwrites()
    {
        QVERIFY(!model().modified());
        QTest::keyClicks(m_editor.get(), "12aBx5");
        QCOMPARE(model().data().left(4), QByteArray("\x12\xAB\x50\x00", 4));
        QCOMPARE(model().size(), 512);
        QCOMPARE(m_editor->caretPosition(), 2);
        QVERIFY(m_editor->caretOnLowNibble());
        QVERIFY(model().modified());
        QVERIFY(model().isChanged(0) && model().isChanged(2));
        QVERIFY(!model().isChanged(3));
    }

    void typingCharactersOverwritesWithTheirCodePageBytes()
    {
        key(Qt::Key_Tab);
        QCOMPARE(m_editor->pane(), HexEditor::Pane::Characters);
        m_editor->moveCaret(240);
        QTest::keyClicks(m_editor.get(), "TV");
        QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("中"));
        QApplication::sendEvent(m_editor.get(), &wide);
        QCOMPARE(model().data().mid(240, 5), QByteArray("TV\xD6\xD0\x00", 5));
        QCOMPARE(m_editor->caretPosition(), 244);
        QCOMPARE(model().size(), 512);
    }

    void typingOverASelectionStartsAtItsFirstByte()
    {
        m_editor->loadData(counting(512));
        m_editor->select(20, 5);
        QTest::keyClicks(m_editor.get(), "ff");
        QCOMPARE(model().data().mid(19, 3), QByteArray("\x13\xFF\x15"));
        QVERIFY(!m_editor->hasSelection());
        QCOMPARE(m_editor->caretPosition(), 21);
    }

    void typingAtTheLastByteStaysThere()
    {
        m_editor->moveCaret(511);
        QTest::keyClicks(m_editor.get(), "ABCD");
        QCOMPARE(model().size(), 512);
        QCOMPARE(model().data().at(511), char(0xCD));
    }

    void shiftArrowsSelect_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::newRow("right x3") << 0 << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}
                                  << 0 << 4;
        QTest::newRow("down") << 3 << QList<int>{Qt::Key_Down} << 3 << 33;
        QTest::newRow("left from 10") << 10 << QList<int>{Qt::Key_Left, Qt::Key_Left} << 8 << 3;
        QTest::newRow("end of row") << 33 << QList<int>{Qt::Key_End} << 33 << 31;
        QTest::newRow("back over the anchor")
            << 5 << QList<int>{Qt::Key_Right, Qt::Key_Left, Qt::Key_Left} << 4 << 2;
    }
    void shiftArrowsSelect()
    {
        QFETCH(int, from);
        QFETCH(QList<int>, keys);
        QFETCH(int, start);
        QFETCH(int, length);
        m_editor->moveCaret(from);
        QSignalSpy changed(m_editor.get(), &HexEditor::selectionChanged);
        for (int k : keys)
            key(Qt::Key(k), Qt::ShiftModifier);
        QCOMPARE(m_editor->selectionStart(), start);
        QCOMPARE(m_editor->selectionLength(), length);
        QVERIFY(!changed.isEmpty());
        key(Qt::Key_Right);
        QVERIFY(!m_editor->hasSelection());
    }

    void mouseSelects_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<int>("released");
        QTest::addColumn<bool>("characters");
        QTest::newRow("forwards, hex pane") << 5 << 40 << false;
        QTest::newRow("backwards, hex pane") << 40 << 5 << false;
        QTest::newRow("character pane") << 70 << 64 << true;
    }
    void mouseSelects()
    {
        QFETCH(int, pressed);
        QFETCH(int, released);
        QFETCH(bool, characters);
        const auto pane = characters ? HexEditor::Pane::Characters : HexEditor::Pane::Hex;
        QWidget* viewport = m_editor->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(pressed, pane));
        QTest::mouseMove(viewport, centreOf(released, pane));
        QMouseEvent move(QEvent::MouseMove, centreOf(released, pane),
                         viewport->mapToGlobal(centreOf(released, pane)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(released, pane));
        QCOMPARE(m_editor->selectionStart(), std::min(pressed, released));
        QCOMPARE(m_editor->selectionLength(), std::abs(released - pressed) + 1);
        QCOMPARE(m_editor->pane(), pane);

        QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOf(100, pane));
        QVERIFY(!m_editor->hasSelection());
        QCOMPARE(m_editor->caretPosition(), 100);
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centreOf(103, pane));
        QCOMPARE(m_editor->selectionStart(), 100);
        QCOMPARE(m_editor->selectionLength(), 4);
    }

    void copyAsHexText()
    {
        m_editor->loadData(counting(512));
        QVERIFY(!m_editor->canCopy());
        m_editor->select(0x0E, 4);
        QVERIFY(m_editor->canCopy());
        m_editor->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("0E 0F 10 11"));
        QVERIFY(!model().modified());
    }

    void pasteAtTheCaret_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QByteArray>("pasted");
        QTest::newRow("hex text") << "de ad, 0xBE EF" << QByteArray("\xDE\xAD\xBE\xEF");
        QTest::newRow("a run of digits") << "123" << QByteArray("\x12\x03");
        QTest::newRow("not hex") << "hello" << QByteArray();
        QTest::newRow("a tab") << "12\t34" << QByteArray();
    }
    void pasteAtTheCaret()
    {
        QFETCH(QString, clipboard);
        QFETCH(QByteArray, pasted);
        QGuiApplication::clipboard()->setText(clipboard);
        m_editor->moveCaret(10);
        QCOMPARE(m_editor->canPaste(), !pasted.isEmpty());
        m_editor->paste();
        QCOMPARE(model().data().mid(10, pasted.size()), pasted);
        QCOMPARE(model().data().mid(10 + pasted.size(), 4), QByteArray(4, '\0'));
        QCOMPARE(model().size(), 512);
        QCOMPARE(model().modified(), !pasted.isEmpty());
        QCOMPARE(m_editor->caretPosition(), 10 + pasted.size());
    }

    void copyThenPasteOverTheSelection()
    {
        m_editor->loadData(counting(512));
        m_editor->select(0, 3);
        m_editor->copy();
        m_editor->select(100, 20);
        m_editor->paste();
        QCOMPARE(model().data().mid(99, 5), QByteArray("\x63\x00\x01\x02\x67", 5));
        QCOMPARE(model().size(), 512);
    }

    void insertAndDeleteChangeTheSize()
    {
        m_editor->loadData(counting(512));
        m_editor->moveCaret(5);
        key(Qt::Key_Insert);
        QCOMPARE(model().size(), 513);
        QCOMPARE(model().data().mid(4, 3), QByteArray("\x04\x00\x05", 3));
        QVERIFY(model().modified());
        key(Qt::Key_Delete, Qt::NoModifier, 2);
        QCOMPARE(model().size(), 511);
        QCOMPARE(model().data().mid(4, 2), QByteArray("\x04\x06"));
        m_editor->select(0, 11);
        key(Qt::Key_Delete);
        QCOMPARE(model().size(), 500);
        QCOMPARE(model().data().at(0), char(12));
        QVERIFY(!m_editor->hasSelection());
    }

    void modifiedMarkAndUndo()
    {
        QTest::keyClicks(m_editor.get(), "ff");
        QVERIFY(model().modified());
        QVERIFY(model().canUndo());
        QTest::keySequence(m_editor.get(), QKeySequence::Undo);
        QTest::keySequence(m_editor.get(), QKeySequence::Undo);
        QCOMPARE(model().data().at(0), char(0));
        QVERIFY(!model().modified());

        QTest::keyClicks(m_editor.get(), "ee");
        m_editor->loadData(counting(512));
        QVERIFY(!model().modified());
        QVERIFY(!model().canUndo());
        QVERIFY(!model().isChanged(0));
        model().setModified(true);
        QVERIFY(model().modified());
    }

    void readOutsideTheDataIsRefused()
    {
        m_editor->loadData(counting(511));
        QCOMPARE(model().read(500, 11), counting(511).mid(500));
        try {
            model().read(0, 512);
            QFAIL("read beyond the data");
        } catch (const HexRangeError& error) {
            QCOMPARE(QString::fromLatin1(error.what()),
                     QStringLiteral("Data position/length out of data bounds"));
        }
    }

    void changedBytesShowMaroonOnLightYellow()
    {
        QTest::keyClicks(m_editor.get(), "7");
        m_editor->moveCaret(40);
        const QImage shot = m_editor->viewport()->grab().toImage();
        const QRect changed = m_editor->byteRect(0, HexEditor::Pane::Hex);
        const QRect plain = m_editor->byteRect(2, HexEditor::Pane::Hex);
        auto has = [&](QRect area, QColor colour) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (shot.pixelColor(x, y) == colour)
                        return true;
            return false;
        };
        QVERIFY(has(changed, QColor(255, 255, 168)));
        QVERIFY(!has(plain, QColor(255, 255, 168)));
        QVERIFY(has(m_editor->byteRect(40, HexEditor::Pane::Hex), QColor(0, 0, 128))); // caret
    }
};

QTEST_MAIN(TestHexEditor)
#include "tst_hexeditor.moc"
