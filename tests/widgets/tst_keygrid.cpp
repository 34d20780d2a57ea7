// The key grid on its own: its model, the press dispatch by position and the cell drawing.
#include <rows/rowoperations.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <widgets/keycelldelegate.h>
#include <widgets/keygrid.h>
#include <widgets/wavebutton.h>

#include <QAbstractItemModelTester>
#include <QHash>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qlv;
using namespace qlv::test;

class TestKeyGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    Project* m_project = nullptr;
    std::unique_ptr<RowSelection> m_selection;
    std::unique_ptr<KeyGrid> m_grid;

    KeyTable& keys() { return m_project->keys(); }

    // A point in the viewport at client position x on row id.
    QPoint at(int clientX, int id) const
    {
        const QRect cell = m_grid->visualRect(m_grid->model()->index(id - 1, 0));
        return QPoint(clientX - KeyGrid::IndicatorWidth, cell.center().y());
    }

    static int redPixels(const QImage& image, const QRect& rect)
    {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                    ++count;
            }
        return count;
    }

    // Grid widths in which "Remark" starts in view but does not fit, and in which only
    // "ID" and "Function" fit.
    int wideWidth() const { return widthFittingColumns(5) + 60; }
    int narrowWidth() const { return widthFittingColumns(2) + 10; }

    int widthFittingColumns(int count) const
    {
        int width = 0;
        for (int c = 0; c < count; ++c)
            width += m_grid->columnWidth(c);
        return width + m_grid->width() - m_grid->viewport()->width();
    }

    int viewportLeftOf(int column) const { return m_grid->columnViewportPosition(column); }

    // Steps: "click N" presses column N on row 5, other words are keys ("ctrl+end", "right").
    void play(const QStringList& steps)
    {
        static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys{
            {"ctrl+end", {Qt::Key_End, Qt::ControlModifier}},
            {"ctrl+home", {Qt::Key_Home, Qt::ControlModifier}},
            {"end", {Qt::Key_End, {}}},
            {"home", {Qt::Key_Home, {}}},
            {"right", {Qt::Key_Right, {}}},
            {"down", {Qt::Key_Down, {}}},
        };
        for (const QString& step : steps) {
            if (step.startsWith(QLatin1String("click "))) {
                const int column = step.mid(6).toInt();
                QRect cell = m_grid->visualRect(m_grid->model()->index(4, column));
                cell &= m_grid->viewport()->rect();
                QVERIFY2(!cell.isEmpty(), qPrintable(step));
                QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
            } else {
                QVERIFY2(keys.contains(step), qPrintable(step));
                const auto [key, modifiers] = keys.value(step);
                QTest::keyClick(m_grid.get(), key, modifiers);
            }
        }
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>();
        m_prompter = &m_rig->prompter;
        m_project = &m_rig->project;
        QVERIFY(m_rig->start());
        m_selection = std::make_unique<RowSelection>();
        m_grid = std::make_unique<KeyGrid>(keys(), *m_selection);
        m_grid->resize(545, 409);
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    }

    void cleanup()
    {
        m_grid.reset();
        m_rig.reset();
    }

    // A row change draws the row that loses the mark and the one that gains it, nothing else,
    // and both come out right.
    void aRowChangeRepaintsItsTwoRows()
    {
        struct PaintRegions : QObject {
            QRegion painted;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent*>(event)->region();
                return false;
            }
        } regions;
        keys().setRecNo(3);
        QCoreApplication::processEvents();
        m_grid->viewport()->installEventFilter(&regions);
        keys().setRecNo(4);
        QCoreApplication::processEvents();
        const QRect row3(0, m_grid->rowViewportPosition(2), m_grid->viewport()->width(),
                         m_grid->rowHeight(2));
        const QRect row4 = row3.translated(0, m_grid->rowHeight(2));
        QVERIFY(regions.painted.contains(row3));
        QVERIFY(regions.painted.contains(row4));
        QCOMPARE((regions.painted - QRegion(row3.united(row4))), QRegion());

        const QImage shown = m_grid->viewport()->grab().toImage();
        const QColor highlight = m_grid->palette().color(QPalette::Active, QPalette::Highlight);
        const int x = m_grid->columnViewportPosition(2) + 4; // Format, empty
        QVERIFY(shown.pixelColor(x, row3.center().y()) != highlight);
        QCOMPARE(shown.pixelColor(x, row4.center().y()), highlight);
    }

    void modelStaysConsistent()
    {
        QAbstractItemModelTester tester(m_grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(m_grid->model()->rowCount(), 512);
        QCOMPARE(m_grid->model()->columnCount(), 6);
        const QStringList titles{"ID", "Function", "Format", "Carry", "IR Data", "Remark"};
        for (int c = 0; c < 6; ++c)
            QCOMPARE(m_grid->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        postRecord(keys(), 3, oneCodeRecord(48, "VOL+"));
        QCOMPARE(m_grid->model()->index(2, 1).data().toString(), QStringLiteral("VOL+"));
        QCOMPARE(m_grid->model()->index(2, 4).data().toString(), KeyGridModel::IrDataPlaceholder);
        CopyBuffer buffer;
        RowOperations(*m_project, *m_selection, buffer, *m_prompter).InsertFunctionsExecute();
        QCOMPARE(m_grid->model()->index(3, 1).data().toString(), QStringLiteral("VOL+"));
        m_prompter->answer(Answer::No);
        QVERIFY(m_project->NewExecute());
        QCOMPARE(m_grid->model()->rowCount(), 512);
        QCOMPARE(m_grid->columnWidth(0), KeyGrid::IdColumnWidth);
    }

    void pressDispatch_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("holdToSend");
        QTest::addColumn<bool>("redraw");
        QTest::addColumn<QString>("field");
        QTest::newRow("12") << 12 << false << false << "";
        QTest::newRow("13") << 13 << true << false << "ID";
        QTest::newRow("33") << 33 << true << false << "ID";
        QTest::newRow("34") << 34 << false << true << "ID";
        QTest::newRow("62") << 62 << false << true << "";
        QTest::newRow("63") << 63 << false << false << "Function";
    }

    void pressDispatch()
    {
        QFETCH(int, x);
        QFETCH(bool, holdToSend);
        QFETCH(bool, redraw);
        QFETCH(QString, field);
        QCOMPARE(m_grid->ColumnFieldAt(x), field);
        QSignalSpy sends(m_grid.get(), &KeyGrid::holdToSendRequested);
        QSignalSpy redraws(m_grid.get(), &KeyGrid::waveRedrawRequested);
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, at(x, 5));
        QCOMPARE(keys().recNo(), 5);
        QCOMPARE(sends.count(), holdToSend ? 1 : 0);
        QCOMPARE(redraws.count(), redraw ? 1 : 0);
    }

    void doubleClickOpensEditors_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("editor"); // 0 none, 1 function, 2 IR data, 3 remark
        QTest::newRow("ID") << 0 << 0;
        QTest::newRow("Function") << 1 << 1;
        QTest::newRow("Format") << 2 << 0;
        QTest::newRow("Carry") << 3 << 0;
        QTest::newRow("IR Data") << 4 << 2;
        QTest::newRow("Remark") << 5 << 3;
    }

    void doubleClickOpensEditors()
    {
        QFETCH(int, column);
        QFETCH(int, editor);
        int left = KeyGrid::IndicatorWidth;
        for (int c = 0; c < column; ++c)
            left += m_grid->columnWidth(c);
        // Clear of the wave button, inside the column.
        const int x = left + std::min(m_grid->columnWidth(column) / 2, 40);
        m_grid->horizontalScrollBar()->setValue(0);
        QSignalSpy function(m_grid.get(), &KeyGrid::functionEditRequested);
        QSignalSpy irData(m_grid.get(), &KeyGrid::irDataEditRequested);
        QSignalSpy remark(m_grid.get(), &KeyGrid::remarkEditRequested);
        const QPoint point = at(x, 7);
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(m_grid->viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(keys().recNo(), 7);
        QCOMPARE(function.count(), editor == 1 ? 1 : 0);
        QCOMPARE(irData.count(), editor == 2 ? 1 : 0);
        QCOMPARE(remark.count(), editor == 3 ? 1 : 0);
    }

    void horizontalPositionKept_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<int>("column");
        QTest::newRow("Remark click") << QStringList{"click 5"} << 5 << 5;
        QTest::newRow("Ctrl+End") << QStringList{"ctrl+end"} << 512 << 0;
        QTest::newRow("Remark click, Ctrl+End") << QStringList{"click 5", "ctrl+end"} << 512 << 5;
        QTest::newRow("Remark click, Ctrl+End, Ctrl+Home")
            << QStringList{"click 5", "ctrl+end", "ctrl+home"} << 1 << 5;
        QTest::newRow("Remark click, Down") << QStringList{"click 5", "down"} << 6 << 5;
        QTest::newRow("IR Data click, Right") << QStringList{"click 4", "right"} << 5 << 5;
    }

    void horizontalPositionKept()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, recNo);
        QFETCH(int, column);
        m_grid->resize(wideWidth(), m_grid->height());
        m_grid->setFocus();
        QCOMPARE(m_grid->horizontalScrollBar()->value(), 0);
        QVERIFY(m_grid->horizontalScrollBar()->maximum() > 0);
        play(steps);
        QCOMPARE(keys().recNo(), recNo);
        QCOMPARE(m_grid->currentIndex().column(), column);
        QCOMPARE(m_grid->horizontalScrollBar()->value(), 0);
        QCOMPARE(viewportLeftOf(0), 0);
    }

    void columnOutOfViewScrolledIn_data()
    {
        QTest::addColumn<bool>("narrow");
        QTest::addColumn<bool>("scrolledRight");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("edge"); // where the column stands: "left" or "right"
        QTest::newRow("ID, Down") << false << true << QStringList{"down"} << 0 << "left";
        QTest::newRow("ID, Ctrl+End") << false << true << QStringList{"ctrl+end"} << 0 << "left";
        QTest::newRow("Home") << false << true << QStringList{"click 5", "home"} << 0 << "left";
        QTest::newRow("IR Data, narrow")
            << true << false << QStringList{"right", "right", "right", "right"} << 4 << "right";
        QTest::newRow("End, narrow") << true << false << QStringList{"end"} << 5 << "left";
    }

    // A column out of view comes into view, and no further than it needs.
    void columnOutOfViewScrolledIn()
    {
        QFETCH(bool, narrow);
        QFETCH(bool, scrolledRight);
        QFETCH(QStringList, steps);
        QFETCH(int, column);
        QFETCH(QString, edge);
        m_grid->resize(narrow ? narrowWidth() : wideWidth(), m_grid->height());
        m_grid->setFocus();
        QScrollBar* bar = m_grid->horizontalScrollBar();
        if (scrolledRight)
            bar->setValue(bar->maximum());
        play(steps);
        QCOMPARE(m_grid->currentIndex().column(), column);
        const int view = m_grid->viewport()->width();
        if (edge == QLatin1String("left"))
            QCOMPARE(viewportLeftOf(column), 0);
        else
            QCOMPARE(viewportLeftOf(column) + m_grid->columnWidth(column), view);
    }

    void waveButtonImages_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QColor>("face");
        QTest::addColumn<QColor>("wave");
        QTest::newRow("11 plain") << 11 << QColor(198, 198, 198) << QColor(255, 255, 255);
        QTest::newRow("10 current") << 10 << QColor(0, 0, 0) << QColor(255, 255, 0);
    }

    void waveButtonImages()
    {
        QFETCH(int, which);
        QFETCH(QColor, face);
        QFETCH(QColor, wave);
        const QImage& image = waveButtonImage(WaveButton(which));
        QCOMPARE(image.size(), QSize(32, 32));
        const QColor shadow(132, 132, 132);
        for (int y = 0; y <= 15; ++y)
            QCOMPARE(image.pixelColor(21, y), shadow);
        for (int x = 0; x <= 21; ++x)
            QCOMPARE(image.pixelColor(x, 15), shadow);
        int waveRows[16] = {};
        for (int y = 1; y <= 14; ++y)
            for (int x = 1; x <= 20; ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY(c == face || c == wave);
                if (c == wave)
                    ++waveRows[y];
            }
        for (int y = 1; y <= 14; ++y)
            QCOMPARE(waveRows[y] > 0, y >= 4 && y <= 10);
        for (QPoint p : {QPoint(22, 0), QPoint(0, 16), QPoint(31, 31), QPoint(25, 8)})
            QCOMPARE(image.pixelColor(p).alpha(), 0);
    }

    void cellDrawing()
    {
        CodeRecord noCode{};
        writeName(noCode, "NOCODE");
        postRecord(keys(), 2, noCode);                        // "Carry" empty: red
        postRecord(keys(), 3, oneCodeRecord(0, "ZEROCARRY")); // "Carry" "0": normal colour
        postRecord(keys(), 4, oneCodeRecord(48, "LEARNED"));  // normal colour, selected below
        keys().setRecNo(1);
        m_selection->selectRow(3);
        QCOMPARE(textOf(keys().row(2).carry), QStringLiteral("0"));
        const QImage image = m_grid->viewport()->grab().toImage();
        auto cell = [&](int id, int column) {
            return m_grid->visualRect(m_grid->model()->index(id - 1, column));
        };
        QVERIFY(redPixels(image, cell(2, 1)) > 0);
        QCOMPARE(redPixels(image, cell(3, 1)), 0);
        QCOMPARE(redPixels(image, cell(4, 1)), 0);
        // The empty "Remark" cell shows its background: the scroll-bar colour when selected.
        const QColor selected = KeyCellDelegate::scrollBarColour(m_grid->palette());
        const QPoint inRemark(30, 2);
        QCOMPARE(image.pixelColor(cell(4, 5).topLeft() + inRemark), selected);
        QCOMPARE(image.pixelColor(cell(3, 5).topLeft() + inRemark),
                 m_grid->palette().color(QPalette::Base));
        // Every "ID" cell has the plain wave button, the current row the current one.
        QCOMPARE(image.pixelColor(cell(1, 0).topLeft() + QPoint(2, 2)), QColor(0, 0, 0));
        QCOMPARE(image.pixelColor(cell(3, 0).topLeft() + QPoint(2, 2)), QColor(198, 198, 198));
    }
};

QTEST_MAIN(TestKeyGrid)
#include "tst_keygrid.moc"
