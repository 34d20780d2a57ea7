// A stand-in for the main window's lower part: the waveform strip and its controls at their
// places, over a fresh project whose first rows hold NEC and RC5 codes. Up and Down move the
// current row as the grid would; Return opens the IR data dialog on it. --irdata opens the
// dialog at once, with a few bytes changed and a selection, as a user would leave it.
#include <project/derivedfields.h>
#include <project/project.h>
#include <support/learnedcodes.h>
#include <support/projectrig.h>
#include <support/scriptedprompter.h>
#include <widgets/hexedit/fm_irdata.h>
#include <widgets/waveform/wavecontrols.h>
#include <widgets/waveform/waveformview.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace qlv;
using namespace qlv::test;

namespace {

class DemoWindow : public QWidget {
public:
    DemoWindow(Project& project, Prompter& prompter)
        : m_project(project)
        , m_prompter(prompter)
    {
        setWindowTitle(QStringLiteral("K-817T"));
        resize(758, 620);
        m_row = new QLabel(this);
        m_row->setGeometry(8, 440, 500, 20);
        m_view = new WaveformView(this);
        m_view->setGeometry(0, 486, 756, 121);
        m_view->setKeyTable(&project.keys());
        const WaveControls controls = createWaveControls(*m_view, this);
        controls.zoomIn->move(553, 454);
        controls.normalSize->move(587, 454);
        controls.zoomOut->move(617, 454);
        controls.clearWave->move(651, 454);
        controls.showTime->move(683, 456);
        project.keys().setAfterScroll([this] {
            showRow();
            m_view->RedrawWave(true);
        });
        showRow();
        m_view->RedrawWave(true);
        setFocusPolicy(Qt::StrongFocus);
    }

    WaveformView* view() const { return m_view; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        KeyTable& keys = m_project.keys();
        if (event->key() == Qt::Key_Down)
            keys.setRecNo(keys.recNo() + 1);
        else if (event->key() == Qt::Key_Up)
            keys.setRecNo(keys.recNo() - 1);
        else if (event->key() == Qt::Key_Return) {
            runIrDataEdit(m_project, m_prompter, this);
            m_view->RedrawWave(false);
        } else
            QWidget::keyPressEvent(event);
    }

private:
    void showRow()
    {
        const KeyRow& row = m_project.keys().current();
        m_row->setText(QStringLiteral("ID %1  %2  %3  %4")
                           .arg(row.id)
                           .arg(textOf(row.function), textOf(row.format), textOf(row.carry)));
    }

    Project& m_project;
    Prompter& m_prompter;
    WaveformView* m_view = nullptr;
    QLabel* m_row = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    ProjectRig rig;
    if (!rig.start())
        return 1;
    Project& project = rig.project;
    ScriptedPrompter& prompter = rig.prompter;
    postRecord(project.keys(), 1, learnedRecord(necSignal(0x00, 0x12), "Power"));
    postRecord(project.keys(), 2,
               learnedRecord(rc5Signal(false, 0, 12), rc5Signal(true, 0, 12), "Mute"));
    postRecord(project.keys(), 3, learnedRecord(necSignal(0x00, 0x1A), "Vol+"));
    project.keys().setRecNo(1);

    DemoWindow window(project, prompter);
    if (args.contains("--rolling"))
        window.view()->rollingItem()->trigger();
    if (args.contains("--show-time"))
        window.findChild<QCheckBox*>("CheckBox9")->click();
    if (args.contains("--zoom-in"))
        window.findChild<QToolButton*>("BitBtn1")->click();
    const int row = int(args.indexOf("--row"));
    if (row > 0 && row + 1 < args.size())
        project.keys().setRecNo(args[row + 1].toInt());
    window.show();
    if (args.contains("--irdata")) {
        auto* dialog = new TfmIRData(prompter, &window);
        dialog->setProject(project);
        dialog->loadCurrentRow();
        HexEditor* editor = dialog->editor();
        editor->setPane(HexEditor::Pane::Characters);
        editor->moveCaret(240);
        QTest::keyClicks(editor, "Power2");
        editor->setPane(HexEditor::Pane::Hex);
        editor->select(11, 8);
        dialog->show();
    }
    return app.exec();
}
