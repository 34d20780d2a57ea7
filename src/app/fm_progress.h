// TfmProgress: the small window a download or upload shows slot by slot. Created once with the
// main window and reused; its Cancel button and its close box ask the transfer to stop after
// the slot on its way.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace qlv {

inline constexpr const char* ProgressTitle = "QLV";

// "Slot 123 of 512, about 17 s left": the time left from the pace so far, once a couple of
// slots give a pace worth the name.
QString slotCountText(int done, int total, qint64 elapsedMs);

class TfmProgress : public QWidget {
    Q_OBJECT

public:
    static constexpr int Range = 512;

    explicit TfmProgress(QWidget* parent = nullptr);

    QLabel* Label1() const { return m_caption; }
    QProgressBar* ProgressBar1() const { return m_bar; }
    QPushButton* Cancel() const { return m_cancel; }

    // Label1 set to text, the window shown centred on the screen.
    void showWith(const QString& text);
    // slot: the one just finished, 0 ... 511; the status bar counts it against the clock that
    // showWith started.
    void setPosition(int slot);
    // The status bar's count after done slots in elapsedMs.
    void showCount(int done, qint64 elapsedMs);

signals:
    // The Cancel button or the close box: bProgress = false.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CancelClick();

    QLabel* m_caption = nullptr;
    QLabel* m_blankLabel = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QElapsedTimer m_clock;
};

} // namespace qlv
