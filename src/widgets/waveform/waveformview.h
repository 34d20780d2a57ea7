// The waveform strip below the key grid: the picture Image1 in the scroll box ScrollBox1,
// its context menu PopupMenu1 and the handlers of the view's buttons.
#pragma once

#include "qpaintercanvas.h"
#include "windowcanvas.h"

#include <irdata/waveview.h>

#include <QByteArray>
#include <QImage>
#include <QScrollArea>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace qlv {

class KeyTable;

// A number as the user writes it (decimal separator of the locale, no grouping).
std::string localNumberText(long double value);

class WavePicture;

class WaveformView : public QScrollArea {
    Q_OBJECT

public:
    // The current row's "IR Data" (a null value as an empty array), or nothing when the
    // table has no rows.
    using CurrentIrData = std::function<std::optional<QByteArray>()>;

    explicit WaveformView(QWidget* parent = nullptr);
    ~WaveformView() override;

    // Where RedrawWave reads the current row; keys must outlive the view.
    void setKeyTable(const KeyTable* keys);
    void setCurrentIrData(CurrentIrData source);

    WaveView& state() { return m_view; }
    const WaveView& state() const { return m_view; }
    // The whole 20480-pixel picture, drawn when asked: the view itself paints only the part
    // in sight and a margin about it.
    const QImage& picture() const;
    QWidget* image() const;
    QMenu* popupMenu() const { return m_menu; }
    QAction* rollingItem() const { return m_rolling; }
    QAction* autoClearItem() const { return m_autoClear; }
    // The protocol of what strip 0 or 1 shows, empty when it shows no code.
    QString protocolText(int strip) const;

public slots:
    void RedrawWave(bool shiftPrevious);
    void ClearWave(); // also "Clear wave"

    void zoomIn();                  // "Zoom in"
    void zoomOut();                 // "Zoom out"
    void normalSize();              // "Normal size"
    void setShowTime(bool checked); // "Show time"
    void modeChosen();              // both items of PopupMenu1

    // Back to the left end, as after a learn and a project load.
    void scrollToStart();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class WavePicture;
    void applyPictureWidth();
    // The part of the picture the window image holds: columns [from - margin, ...) where the
    // margin is half the visible width; the drawing that follows lands there.
    void placeWindow(int from);
    bool windowCovers(int from, int to) const;
    void paintPicture(QPainter& painter, const QRect& rect);
    void showProtocols();
    void placeProtocols();

    QImage m_window;
    QPainterWaveCanvas m_canvas;
    WindowCanvas m_windowCanvas;
    WaveView m_view;
    int m_windowLeft = 0;
    bool m_windowValid = false;
    mutable std::unique_ptr<QImage> m_full;
    mutable bool m_fullValid = false;
    CurrentIrData m_source;
    WavePicture* m_image = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_rolling = nullptr;
    QAction* m_autoClear = nullptr;
    std::array<QLabel*, 2> m_protocolLabels{};
};

} // namespace qlv
