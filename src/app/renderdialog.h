// "Render…": a code from a protocol and its numbers, previewed as decoded text and pulses.
#pragma once

#include <irdata/coderecord.h>

#include <QDialog>
#include <QImage>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace qlv {

class QPainterWaveCanvas;
class WaveView;

class RenderDialog : public QDialog {
    Q_OBJECT

public:
    explicit RenderDialog(QWidget* parent = nullptr);
    ~RenderDialog() override;

    // The record the chosen protocol and numbers give; nothing when they give none.
    std::optional<CodeRecord> record() const;

    QComboBox* protocolBox() const { return m_protocol; }
    // The spin box of parameter name ("D", "S", ...), or nullptr when the protocol has none.
    QSpinBox* parameterBox(const QString& name) const;
    QString previewText() const;
    const QImage& diagram() const { return m_picture; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuildParameters();
    void updatePreview();

    QComboBox* m_protocol = nullptr;
    QWidget* m_parameters = nullptr;
    QFormLayout* m_form = nullptr;
    std::vector<QSpinBox*> m_boxes;
    QLabel* m_toggleNote = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_pulses = nullptr;
    QScrollArea* m_pulseScroll = nullptr;
    int m_firstBurstX = 0;
    QDialogButtonBox* m_buttons = nullptr;
    QImage m_picture;
    std::unique_ptr<QPainterWaveCanvas> m_canvas;
    std::unique_ptr<WaveView> m_view;
    std::variant<CodeRecord, std::string> m_result;
};

} // namespace qlv
