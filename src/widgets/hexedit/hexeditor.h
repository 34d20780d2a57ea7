// A hex editor of our own for the IR data dialog: 32 bytes a row with hex offsets, a ruler,
// a hex pane and a character pane, a caret, a selection, typing over bytes, insertion and
// deletion, and the clipboard as hex text.
#pragma once

#include "hexbytemodel.h"
#include "hexlayout.h"

#include <QAbstractScrollArea>

#include <optional>

class QMimeData;
class QPainter;

namespace qlv {

class HexEditor : public QAbstractScrollArea {
    Q_OBJECT

public:
    using Pane = HexPane;
    static constexpr int BytesPerRow = HexLayout::BytesPerRow;

    explicit HexEditor(QWidget* parent = nullptr);

    HexByteModel& model() { return m_model; }
    const HexByteModel& model() const { return m_model; }
    // Loads the model and puts the caret on the first byte.
    void loadData(const QByteArray& bytes);

    qsizetype caretPosition() const { return m_caret; }
    bool caretOnLowNibble() const { return m_lowNibble; }
    Pane pane() const { return m_pane; }
    void setPane(Pane pane);
    // Moves the caret; with extend the selection grows from where the caret was.
    void moveCaret(qsizetype position, bool extend = false);

    // The selection runs from the anchor to the caret, both bytes included.
    bool hasSelection() const { return m_anchor >= 0 && m_model.size() > 0; }
    qsizetype selectionStart() const;
    qsizetype selectionLength() const;
    void select(qsizetype start, qsizetype length);
    void selectAll();
    void clearSelection();

    bool canCopy() const;
    void copy();
    bool canPaste() const;
    // Writes the clipboard's bytes over the data from the selection's start or the caret.
    void paste();

    // "12 34 AB": two upper-case digits a byte, one space between bytes.
    static QString hexText(const QByteArray& bytes);
    // The bytes the editor would paste: its own copied bytes, or hex text.
    static std::optional<QByteArray> bytesOf(const QMimeData* mime);
    static const char* const BytesMimeType;

    // Where a byte is drawn, in viewport coordinates; for painting, hit tests and tests.
    QRect byteRect(qsizetype position, Pane pane) const;
    int firstVisibleRow() const;
    QSize sizeHint() const override;

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The layout of what is shown now: the data's size, the font, the scroll position.
    HexLayout layout() const;
    void togglePane();
    struct KeyCommand;
    static const KeyCommand KeyCommands[4];
    void startTypingAtSelection();
    void typeHexDigit(int digit);
    void typeCharacters(const QString& text);
    void deleteBytes();
    void insertByte();
    void dataChanged();
    void updateMetrics();
    void updateScrollBar();
    void ensureCaretVisible();
    void paintRuler(QPainter& painter, const HexLayout& shown) const;
    void paintRow(QPainter& painter, const HexLayout& shown, int row) const;
    void paintByte(QPainter& painter, const HexLayout& shown, qsizetype position) const;
    void paintCaret(QPainter& painter, const HexLayout& shown) const;
    void setCaretState(qsizetype caret, qsizetype anchor, bool lowNibble);

    HexByteModel m_model;
    qsizetype m_caret = 0;
    qsizetype m_anchor = -1;
    bool m_lowNibble = false;
    Pane m_pane = Pane::Hex;
    qsizetype m_pressPosition = -1;

    int m_charWidth = 8;
    int m_rowHeight = 16;
    int m_ascent = 12;
};

} // namespace qlv
