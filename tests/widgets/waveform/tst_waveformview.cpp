// The waveform widget: pixels of the rendered picture, the controls and the menu.
#include <project/derivedfields.h>
#include <project/project.h>
#include <support/learnedcodes.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <widgets/waveform/wavecontrols.h>
#include <widgets/waveform/waveformview.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace qlv;
using namespace qlv::test;

namespace {

const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Grey(128, 128, 128);
const QColor Yellow(255, 255, 0);
const QColor Background(166, 202, 240);

QColor pixel(const WaveformView& view, int x, int y)
{
    return view.picture().pixelColor(x, y);
}

// Text is smoothed, so its pixels are dark rather than exactly black.
bool anyText(const WaveformView& view, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixel(view, x, y).lightness() < 80)
                return true;
    return false;
}

} // namespace

class TestWaveformView : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    Project* m_project = nullptr;
    std::unique_ptr<QWidget> m_window;
    WaveformView* m_view = nullptr;

    template <typename T> T* control(const char* name)
    {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>();
        m_prompter = &m_rig->prompter;
        m_project = &m_rig->project;
        QVERIFY(m_rig->start());
        m_window = std::make_unique<QWidget>();
        m_window->resize(758, 620);
        m_view = new WaveformView(m_window.get());
        m_view->setGeometry(0, 486, 756, 121);
        createWaveControls(*m_view, m_window.get());
        m_view->setKeyTable(&m_project->keys());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        QLocale::setDefault(QLocale::c());
    }

    void picturePixels()
    {
        postRecord(m_project->keys(), 1, learnedRecord(necSignal(0x00, 0x12)));
        m_view->RedrawWave(true);
        // The NEC leader: 40 us of gap (1 pixel), then a 9 ms burst, 150 pixels at 60 us.
        QCOMPARE(pixel(*m_view, 60, 5), Red);
        QCOMPARE(pixel(*m_view, 60, 30), Background);
        QCOMPARE(pixel(*m_view, 25, 35), Yellow);
        QCOMPARE(pixel(*m_view, 50, 33), Yellow); // a tick
        QCOMPARE(pixel(*m_view, 60, 20), Background);
        QVERIFY(anyText(*m_view, QRect(45, 37, 20, 12))); // "3ms"
        QCOMPARE(pixel(*m_view, 19000, 30), Blue);        // the idle line
        // Strip 1 in Auto Clear: text only, no ruler.
        QVERIFY(anyText(*m_view, QRect(8, 58, 60, 12)));
        QCOMPARE(pixel(*m_view, 25, 85), Background);
        QCOMPARE(pixel(*m_view, 300, 80), Background);
    }

    // The protocol box at the right of the ruler row hides the ruler labels it meets whole,
    // wherever the strip is scrolled: a cut "36ms" would read as a "3".
    void protocolBoxCutsNoRulerLabel()
    {
        postRecord(m_project->keys(), 1, learnedRecord(necSignal(0x00, 0x12)));
        m_view->RedrawWave(true);
        auto* box = m_view->findChild<QLabel*>("WaveProtocol0");
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("NEC1 D=0 S=255 F=18"));
        QScrollBar* bar = m_view->horizontalScrollBar();
        for (int scroll : {0, 7, 23, 48, 333, 1000}) {
            bar->setValue(scroll);
            QCOMPARE(box->geometry().right(), m_view->viewport()->width() - 1);
            // Just left of the box the ruler row shows no part of a label.
            const int left = box->x() + scroll;
            QVERIFY2(!anyText(*m_view, QRect(left - 3, wave::RulerLabelY, 3, 12)),
                     qPrintable(
                         QStringLiteral("scroll %1: a label is cut at %2").arg(scroll).arg(left)));
        }
    }

    void pictureWidthFollowsTheCode()
    {
        postRecord(m_project->keys(), 1, learnedRecord(necSignal(0x00, 0x12)));
        m_view->RedrawWave(true);
        QWidget* image = m_view->image();
        QCOMPARE(image->objectName(), QStringLiteral("Image1"));
        QCOMPARE(image->height(), 100);
        QVERIFY(image->width() > 756 + 10);
        QCOMPARE(image->width(), int(m_view->state().stripWidth[0]));
        QCOMPARE(m_view->horizontalScrollBar()->maximum(),
                 image->width() - m_view->viewport()->width());
        QVERIFY(m_view->horizontalScrollBar()->hasTracking());

        m_project->keys().setRecNo(2); // 512 zero bytes
        m_view->RedrawWave(true);
        QCOMPARE(image->width(), 766);
    }

    void rollingShowsThePreviousRowGrey()
    {
        QMenu* menu = m_view->findChild<QMenu*>("PopupMenu1");
        QVERIFY(menu);
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("Rolling"));
        QCOMPARE(items[1]->text(), QStringLiteral("Auto Clear"));
        QVERIFY(!items[0]->isChecked());
        QVERIFY(items[1]->isChecked());

        postRecord(m_project->keys(), 1, learnedRecord(necSignal(0x00, 0x12)));
        postRecord(m_project->keys(), 2, learnedRecord(necSignal(0x01, 0x40)));
        m_project->keys().setRecNo(1);
        m_view->RedrawWave(true);
        items[0]->trigger();
        QVERIFY(items[0]->isChecked());
        QVERIFY(!items[1]->isChecked());
        QCOMPARE(m_view->state().mode, WaveMode::Rolling);

        m_project->keys().setRecNo(2);
        m_view->RedrawWave(true);
        QCOMPARE(pixel(*m_view, 60, 5), Red);
        QCOMPARE(pixel(*m_view, 60, 55), Grey);
        QCOMPARE(pixel(*m_view, 19000, 80), Grey);
        QCOMPARE(pixel(*m_view, 25, 85), Yellow);

        items[1]->trigger();
        QCOMPARE(m_view->state().mode, WaveMode::AutoClear);
        QCOMPARE(pixel(*m_view, 60, 55), Background);
    }

    void twoCodeRecordInBothStrips()
    {
        postRecord(m_project->keys(), 1,
                   learnedRecord(rc5Signal(false, 0, 12), rc5Signal(true, 0, 12)));
        m_view->RedrawWave(true);
        // The second half of the first start bit: 889 us of carrier from pixel 1 on.
        QCOMPARE(pixel(*m_view, 8, 5), Red);
        QCOMPARE(pixel(*m_view, 8, 55), Red);
        QCOMPARE(pixel(*m_view, 19000, 30), Blue);
        QCOMPARE(pixel(*m_view, 19000, 80), Blue);
    }

    void controls()
    {
        struct Expected {
            const char* name;
            const char* hint;
            int width;
        };
        for (const Expected& e :
             {Expected{"BitBtn1", "Zoom in", 27}, Expected{"BitBtn2", "Zoom out", 27},
              Expected{"BitBtn3", "Normal size", 25}, Expected{"BitBtn4", "Clear wave", 25}}) {
            auto* button = control<QToolButton>(e.name);
            QCOMPARE(button->toolTip(), QLatin1String(e.hint));
            QVERIFY(!button->icon().isNull());
            QVERIFY(!button->icon().pixmap(16).toImage().isNull());
            QCOMPARE(button->size(), QSize(e.width, 21));
        }
        auto* showTime = control<QCheckBox>("CheckBox9");
        QCOMPARE(showTime->text(), QStringLiteral("Show time"));
        QVERIFY(!showTime->isChecked());

        postRecord(m_project->keys(), 1, oneCodeRecord(48, {}, 4));
        m_view->RedrawWave(true);
        QTest::mouseClick(control<QToolButton>("BitBtn1"), Qt::LeftButton);
        QCOMPARE(m_view->state().usPerPixel, 30);
        QCOMPARE(int(m_view->state().stripWidth[0]), 766); // redrawn: 4 x 162 + 50 < 766
        QTest::mouseClick(control<QToolButton>("BitBtn2"), Qt::LeftButton);
        QTest::mouseClick(control<QToolButton>("BitBtn2"), Qt::LeftButton);
        QCOMPARE(m_view->state().usPerPixel, 120);
        QTest::mouseClick(control<QToolButton>("BitBtn3"), Qt::LeftButton);
        QCOMPARE(m_view->state().usPerPixel, 60);

        QTest::mouseClick(showTime, Qt::LeftButton);
        QVERIFY(m_view->state().showTime);
        QVERIFY(anyText(*m_view, QRect(1, 15, 20, 11))); // "4339"

        QTest::mouseClick(control<QToolButton>("BitBtn4"), Qt::LeftButton);
        QCOMPARE(pixel(*m_view, 60, 5), Background);
        QCOMPARE(pixel(*m_view, 25, 35), Background);
        QCOMPARE(m_view->image()->width(), 766);
        QCOMPARE(m_view->state().currentRecord[0], 0xFF);
    }

    void emptyTableLeavesThePictureAlone()
    {
        postRecord(m_project->keys(), 1, learnedRecord(necSignal(0x00, 0x12)));
        m_view->RedrawWave(true);
        const QImage before = m_view->picture().copy(0, 0, 2000, 100);
        m_project->keys().close();
        m_view->RedrawWave(true);
        QCOMPARE(m_view->picture().copy(0, 0, 2000, 100), before);
    }

    void rulerLabelsInTheUsersFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("3") << "C" << 3.0 << "3";
        QTest::newRow("0.05") << "C" << 0.05 << "0.05";
        QTest::newRow("0.15") << "C" << 150 * 0.001 << "0.15";
        QTest::newRow("no grouping") << "en_US" << 19632.0 << "19632";
        QTest::newRow("decimal comma") << "de_DE" << 0.05 << "0,05";
        QTest::newRow("decimal comma, no grouping") << "de_DE" << 1227.5 << "1227,5";
    }
    void rulerLabelsInTheUsersFormat()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(QString::fromStdString(localNumberText(value)), text);
    }
};

QTEST_MAIN(TestWaveformView)
#include "tst_waveformview.moc"
