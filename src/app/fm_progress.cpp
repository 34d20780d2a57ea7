#include "fm_progress.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

namespace qlv {

namespace {

constexpr int FormWidth = 320;
constexpr int FormHeight = 112;
// The first slots include the line's start-up; fewer would give a wild first estimate.
constexpr int SlotsBeforeEstimate = 2;

} // namespace

QString slotCountText(int done, int total, qint64 elapsedMs)
{
    const QString count = QStringLiteral("Slot %1 of %2").arg(done).arg(total);
    if (done < SlotsBeforeEstimate || done >= total || elapsedMs <= 0)
        return count;
    const qint64 leftMs = elapsedMs * (total - done) / done;
    const qint64 seconds = (leftMs + 999) / 1000;
    const QString left = seconds < 60
                             ? QStringLiteral("%1 s").arg(seconds)
                             : QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1, about %2 left").arg(count, left);
}

TfmProgress::TfmProgress(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fmProgress"));
    setWindowTitle(QString::fromLatin1(ProgressTitle));
    setFixedSize(FormWidth, FormHeight);

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("Label1"));
    m_caption->setGeometry(16, 10, FormWidth - 32, 16);
    m_blankLabel = new QLabel(this);
    m_blankLabel->setObjectName(QStringLiteral("Label2"));
    m_blankLabel->setGeometry(16, 54, 150, 16);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, Range);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(16, 30, FormWidth - 32, 18);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setGeometry(FormWidth - 16 - 75, 54, 75, 25);
    connect(m_cancel, &QPushButton::clicked, this, &TfmProgress::CancelClick);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setGeometry(0, FormHeight - 22, FormWidth, 22);
}

void TfmProgress::showWith(const QString& text)
{
    m_caption->setText(text);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    m_clock.start();
    show();
    raise();
    // The boxes a transfer shows take the active window as their owner, so they stay above.
    activateWindow();
}

void TfmProgress::setPosition(int slot)
{
    m_bar->setValue(slot);
    showCount(slot + 1, m_clock.isValid() ? m_clock.elapsed() : 0);
}

void TfmProgress::showCount(int done, qint64 elapsedMs)
{
    m_statusBar->showMessage(slotCountText(done, Range, elapsedMs));
}

void TfmProgress::showEvent(QShowEvent* event)
{
    // FormShow: a fresh bar for every transfer; the transfer sets bProgress itself.
    m_bar->setValue(0);
    m_statusBar->clearMessage();
    QWidget::showEvent(event);
}

void TfmProgress::CancelClick()
{
    close();
}

void TfmProgress::closeEvent(QCloseEvent* event)
{
    // FormClose: hiding at the end of a transfer is no close and stops nothing.
    emit closed();
    event->accept();
}

void TfmProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qlv
