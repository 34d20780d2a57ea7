// The hex editor's layout on its own: columns, byte places, hit tests and scrolling, for an
// 8-pixel digit and 16-pixel rows.
#include <widgets/hexedit/hexlayout.h>

#include <QTest>

using namespace qlv;

namespace {

HexLayout layoutOf(qsizetype bytes, int firstRow = 0, int viewportHeight = 17 * 16)
{
    HexLayout layout;
    layout.byteCount = bytes;
    layout.charWidth = 8;
    layout.rowHeight = 16;
    layout.firstRow = firstRow;
    layout.viewportHeight = viewportHeight;
    return layout;
}

} // namespace

class TestHexLayout : public QObject {
    Q_OBJECT

private slots:
    void columnsFollowTheLastOffset_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("hexLeft");
        QTest::addColumn<int>("charLeft");
        QTest::newRow("empty") << 0 << 1 << 1 << 40 << 816;
        QTest::newRow("one row") << 32 << 1 << 1 << 40 << 816;
        QTest::newRow("second row at 0x20") << 33 << 2 << 2 << 48 << 824;
        QTest::newRow("a record, last row at 0x1E0") << 512 << 16 << 3 << 56 << 832;
    }
    void columnsFollowTheLastOffset()
    {
        QFETCH(int, bytes);
        const HexLayout layout = layoutOf(bytes);
        QTEST(layout.rowCount(), "rows");
        QTEST(layout.offsetDigits(), "digits");
        QTEST(layout.hexLeft(), "hexLeft");
        QTEST(layout.charLeft(), "charLeft");
        QCOMPARE(layout.contentWidth(), layout.charLeft() + 33 * 8);
    }

    void visibleRowsLeaveTheRulerOut()
    {
        QCOMPARE(layoutOf(512).visibleRows(), 16);
        QCOMPARE(layoutOf(512, 0, 10).visibleRows(), 1);
    }

    void byteRectsBelowTheRulerAndScrolled()
    {
        QCOMPARE(layoutOf(512).byteRect(33, HexPane::Hex), QRect(80, 32, 16, 16));
        QCOMPARE(layoutOf(512).byteRect(33, HexPane::Characters), QRect(840, 32, 8, 16));
        QCOMPARE(layoutOf(512, 1).byteRect(33, HexPane::Hex), QRect(80, 16, 16, 16));
    }

    void hitTest_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("characters");
        QTest::addColumn<bool>("lowNibble");
        QTest::newRow("high digit") << 512 << QPoint(81, 33) << 33 << false << false;
        QTest::newRow("low digit") << 512 << QPoint(90, 33) << 33 << false << true;
        QTest::newRow("character pane") << 512 << QPoint(845, 33) << 33 << true << false;
        QTest::newRow("offset column: first byte of the row")
            << 512 << QPoint(5, 33) << 32 << false << false;
        QTest::newRow("past the last byte: the last byte, high digit")
            << 40 << QPoint(546, 33) << 39 << false << false;
        QTest::newRow("on the ruler: the first row") << 512 << QPoint(81, 3) << 1 << false << false;
    }
    void hitTest()
    {
        QFETCH(int, bytes);
        QFETCH(QPoint, point);
        const HexHit hit = layoutOf(bytes).hitTest(point);
        QTEST(int(hit.position), "position");
        QTEST(hit.pane == HexPane::Characters, "characters");
        QTEST(hit.lowNibble, "lowNibble");
    }

    void scrollsJustEnoughToShowTheCaret_data()
    {
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("shown");
        QTest::newRow("in view") << 0 << 5 << 0;
        QTest::newRow("below: its row becomes the last") << 0 << 600 << 3;
        QTest::newRow("above: its row becomes the first") << 5 << 10 << 0;
    }
    void scrollsJustEnoughToShowTheCaret()
    {
        QFETCH(int, firstRow);
        QFETCH(int, caret);
        QTEST(layoutOf(1024, firstRow).firstRowShowing(caret), "shown");
    }
};

QTEST_APPLESS_MAIN(TestHexLayout)
#include "tst_hexlayout.moc"
