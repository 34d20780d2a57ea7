#include "hexeditor.h"

#include <core/codepage.h>
#include <irdata/hexdigit.h>
#include <irdata/irhextext.h>
#include <widgets/fonts.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace qlv {

namespace {

const QColor ChangedText(128, 0, 0);
const QColor ChangedBackground(255, 255, 168);
const QColor CaretFocused(0, 0, 128);
const QColor CaretUnfocused(0, 255, 255);
const QColor EvenColumn(0, 0, 128);
const QColor OddColumn(0, 0, 255);

// Clipboard text beyond this many values is no IR data; it is not offered for pasting.
constexpr std::size_t MaxPastedBytes = 1 << 20;

QChar shownCharacter(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x20 && value < 0x7F ? QChar(value) : QChar('.');
}

// Where a key moves the caret from, on data whose last byte is last, a page of page bytes.
struct CaretMove {
    qsizetype caret;
    qsizetype last;
    qsizetype page;
    bool control;
};

constexpr qsizetype Row = HexLayout::BytesPerRow;

qsizetype pageDown(const CaretMove& m)
{
    qsizetype to = m.caret + m.page;
    while (to > m.last && to >= Row)
        to -= Row;
    return to > m.last ? m.caret : to;
}

// The caret's keys; with Shift those that extend grow the selection.
struct KeyMove {
    int key;
    bool extends;
    qsizetype (*to)(const CaretMove&);
};

const KeyMove KeyMoves[] = {
    {Qt::Key_Left, true,
     [](const CaretMove& m) {
         return m.caret - 1;
     }},
    {Qt::Key_Backspace, false,
     [](const CaretMove& m) {
         return m.caret - 1;
     }},
    {Qt::Key_Right, true,
     [](const CaretMove& m) {
         return m.caret + 1;
     }},
    {Qt::Key_Up, true,
     [](const CaretMove& m) {
         return m.caret >= Row ? m.caret - Row : m.caret;
     }},
    {Qt::Key_Down, true,
     [](const CaretMove& m) {
         return m.caret + Row <= m.last ? m.caret + Row : m.caret;
     }},
    {Qt::Key_PageUp, true,
     [](const CaretMove& m) {
         return m.caret >= m.page ? m.caret - m.page : m.caret % Row;
     }},
    {Qt::Key_PageDown, true, pageDown},
    {Qt::Key_Home, true,
     [](const CaretMove& m) {
         return m.control ? 0 : m.caret - m.caret % Row;
     }},
    {Qt::Key_End, true,
     [](const CaretMove& m) {
         return m.control ? m.last : std::min(m.caret - m.caret % Row + Row - 1, m.last);
     }},
};

} // namespace

// The editing keys.
struct HexEditor::KeyCommand {
    int key;
    void (HexEditor::*run)();
};

const HexEditor::KeyCommand HexEditor::KeyCommands[] = {
    {Qt::Key_Tab, &HexEditor::togglePane},
    {Qt::Key_Backtab, &HexEditor::togglePane},
    {Qt::Key_Insert, &HexEditor::insertByte},
    {Qt::Key_Delete, &HexEditor::deleteBytes},
};

const char* const HexEditor::BytesMimeType = "application/x-qlv-bytes";

HexEditor::HexEditor(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("MPHexEditorEx1"));
    setFont(hexEditorFont());
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    updateMetrics();
    connect(&m_model, &HexByteModel::dataChanged, this, &HexEditor::dataChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
}

void HexEditor::loadData(const QByteArray& bytes)
{
    m_model.load(bytes);
    m_pane = Pane::Hex;
    setCaretState(0, -1, false);
    verticalScrollBar()->setValue(0);
}

void HexEditor::updateMetrics()
{
    const QFontMetrics metrics(font());
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_rowHeight = metrics.height() + 2;
    m_ascent = metrics.ascent() + 1;
    updateScrollBar();
    updateGeometry();
}

void HexEditor::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateMetrics();
    QAbstractScrollArea::changeEvent(event);
}

HexLayout HexEditor::layout() const
{
    HexLayout layout;
    layout.byteCount = m_model.size();
    layout.charWidth = m_charWidth;
    layout.rowHeight = m_rowHeight;
    layout.firstRow = verticalScrollBar()->value();
    layout.viewportHeight = viewport()->height();
    return layout;
}

int HexEditor::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

QSize HexEditor::sizeHint() const
{
    const int frame = 2 * frameWidth();
    const int rows = 16;
    return QSize(layout().contentWidth() + frame + verticalScrollBar()->sizeHint().width(),
                 (rows + 1) * m_rowHeight + frame + 2);
}

QRect HexEditor::byteRect(qsizetype position, Pane pane) const
{
    return layout().byteRect(position, pane);
}

void HexEditor::updateScrollBar()
{
    const HexLayout shown = layout();
    verticalScrollBar()->setRange(0, std::max(0, shown.rowCount() - shown.visibleRows()));
    verticalScrollBar()->setPageStep(shown.visibleRows());
    verticalScrollBar()->setSingleStep(1);
}

void HexEditor::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void HexEditor::ensureCaretVisible()
{
    verticalScrollBar()->setValue(layout().firstRowShowing(m_caret));
}

void HexEditor::setCaretState(qsizetype caret, qsizetype anchor, bool lowNibble)
{
    const qsizetype last = std::max<qsizetype>(m_model.size() - 1, 0);
    caret = std::clamp<qsizetype>(caret, 0, last);
    if (anchor >= 0)
        anchor = std::clamp<qsizetype>(anchor, 0, last);
    const bool selectionMoved = anchor != m_anchor || (anchor >= 0 && caret != m_caret);
    m_caret = caret;
    m_anchor = anchor;
    m_lowNibble = lowNibble;
    ensureCaretVisible();
    viewport()->update();
    if (selectionMoved)
        emit selectionChanged();
}

void HexEditor::setPane(Pane pane)
{
    m_pane = pane;
    m_lowNibble = false;
    viewport()->update();
}

void HexEditor::moveCaret(qsizetype position, bool extend)
{
    const qsizetype anchor = extend ? (m_anchor >= 0 ? m_anchor : m_caret) : -1;
    setCaretState(position, anchor, false);
}

qsizetype HexEditor::selectionStart() const
{
    return hasSelection() ? std::min(m_anchor, m_caret) : m_caret;
}

qsizetype HexEditor::selectionLength() const
{
    return hasSelection() ? std::abs(m_caret - m_anchor) + 1 : 0;
}

void HexEditor::select(qsizetype start, qsizetype length)
{
    if (length <= 0) {
        clearSelection();
        return;
    }
    setCaretState(start + length - 1, start, false);
}

void HexEditor::selectAll()
{
    select(0, m_model.size());
}

void HexEditor::clearSelection()
{
    setCaretState(m_caret, -1, m_lowNibble);
}

void HexEditor::dataChanged()
{
    updateScrollBar();
    updateGeometry();
    setCaretState(m_caret, m_anchor, m_lowNibble);
    viewport()->update();
}

QString HexEditor::hexText(const QByteArray& bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto value = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            text += QLatin1Char(' ');
        text += QLatin1Char(digits[value >> 4]);
        text += QLatin1Char(digits[value & 0x0F]);
    }
    return text;
}

std::optional<QByteArray> HexEditor::bytesOf(const QMimeData* mime)
{
    if (!mime)
        return std::nullopt;
    if (mime->hasFormat(QLatin1String(BytesMimeType))) {
        const QByteArray bytes = mime->data(QLatin1String(BytesMimeType));
        return bytes.isEmpty() ? std::nullopt : std::optional(bytes);
    }
    if (!mime->hasText())
        return std::nullopt;
    const std::string text = mime->text().toStdString();
    const HexParseResult counted = ParseHexText(text, {});
    if (!counted.ok || counted.count == 0 || counted.count > MaxPastedBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(counted.count), '\0');
    ParseHexText(text, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), counted.count));
    return bytes;
}

bool HexEditor::canCopy() const
{
    return m_model.size() > 0 && hasSelection();
}

void HexEditor::copy()
{
    if (!canCopy())
        return;
    const QByteArray bytes = m_model.read(selectionStart(), selectionLength());
    auto* mime = new QMimeData;
    mime->setText(hexText(bytes));
    mime->setData(QLatin1String(BytesMimeType), bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool HexEditor::canPaste() const
{
    return bytesOf(QGuiApplication::clipboard()->mimeData()).has_value();
}

void HexEditor::paste()
{
    const std::optional<QByteArray> bytes = bytesOf(QGuiApplication::clipboard()->mimeData());
    if (!bytes)
        return;
    const qsizetype at = selectionStart();
    m_model.overwrite(at, *bytes);
    setCaretState(at + bytes->size(), -1, false);
}

void HexEditor::startTypingAtSelection()
{
    if (hasSelection())
        setCaretState(selectionStart(), -1, false);
}

void HexEditor::typeHexDigit(int digit)
{
    const qsizetype at = m_model.size() == 0 ? 0 : m_caret;
    const auto old = at < m_model.size() ? static_cast<unsigned char>(m_model.data()[at]) : 0;
    const int value = m_lowNibble ? (old & 0xF0) | digit : (digit << 4) | (old & 0x0F);
    m_model.overwrite(at, QByteArray(1, char(value)));
    if (!m_lowNibble)
        setCaretState(at, -1, true);
    else if (at + 1 < m_model.size())
        setCaretState(at + 1, -1, false);
    else
        setCaretState(at, -1, false);
}

void HexEditor::typeCharacters(const QString& text)
{
    const QByteArray bytes = toCodePage(text);
    if (bytes.isEmpty())
        return;
    const qsizetype at = m_model.size() == 0 ? 0 : m_caret;
    m_model.overwrite(at, bytes);
    setCaretState(std::min(at + bytes.size(), m_model.size() - 1), -1, false);
}

void HexEditor::deleteBytes()
{
    if (m_model.size() == 0)
        return;
    const qsizetype at = selectionStart();
    const qsizetype count = hasSelection() ? selectionLength() : 1;
    m_model.remove(at, count);
    setCaretState(at, -1, false);
}

void HexEditor::insertByte()
{
    const qsizetype at = m_model.size() == 0 ? 0 : m_caret;
    m_model.insert(at, QByteArray(1, '\0'));
    setCaretState(at, -1, false);
}

void HexEditor::togglePane()
{
    setPane(m_pane == Pane::Hex ? Pane::Characters : Pane::Hex);
}

void HexEditor::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    // Left first leaves the low nibble for the high one, then moves as the table says.
    if (key == Qt::Key_Left && m_pane == Pane::Hex && m_lowNibble && !shift) {
        setCaretState(m_caret, -1, false);
        return;
    }
    const CaretMove from{m_caret, std::max<qsizetype>(m_model.size() - 1, 0),
                         qsizetype(layout().visibleRows()) * BytesPerRow, control};
    for (const KeyMove& move : KeyMoves) {
        if (move.key == key) {
            moveCaret(move.to(from), shift && move.extends);
            return;
        }
    }
    for (const KeyCommand& command : KeyCommands) {
        if (command.key == key) {
            (this->*command.run)();
            return;
        }
    }

    if (event->matches(QKeySequence::Undo)) {
        m_model.undo();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && !control && !(event->modifiers() & Qt::AltModifier) &&
        text.at(0).isPrint()) {
        // Typing over a selection starts at its first byte.
        startTypingAtSelection();
        if (m_pane == Pane::Characters) {
            typeCharacters(text);
        } else {
            for (QChar c : text) {
                const int digit = hexDigitValue(c.unicode());
                if (digit >= 0)
                    typeHexDigit(digit);
            }
        }
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool HexEditor::focusNextPrevChild(bool)
{
    // Tab switches between the panes rather than leaving the editor.
    return false;
}

void HexEditor::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const HexHit hit = layout().hitTest(event->position().toPoint());
    m_pane = hit.pane;
    if (event->modifiers() & Qt::ShiftModifier) {
        moveCaret(hit.position, true);
        m_pressPosition = m_anchor;
    } else {
        m_pressPosition = hit.position;
        setCaretState(hit.position, -1, hit.pane == Pane::Hex && hit.lowNibble);
    }
}

void HexEditor::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressPosition < 0)
        return;
    const QPoint point = event->position().toPoint();
    // Dragging above or below the rows scrolls them.
    if (point.y() < m_rowHeight)
        verticalScrollBar()->setValue(firstVisibleRow() - 1);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->setValue(firstVisibleRow() + 1);
    const HexHit hit = layout().hitTest(point);
    if (hit.position != m_pressPosition || m_anchor >= 0)
        setCaretState(hit.position, m_pressPosition, false);
}

void HexEditor::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = -1;
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void HexEditor::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void HexEditor::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void HexEditor::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const HexLayout shown = layout();
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    paintRuler(painter, shown);
    const int rows = std::min(shown.rowCount() - shown.firstRow, shown.visibleRows() + 1);
    for (int r = 0; r < rows; ++r)
        paintRow(painter, shown, shown.firstRow + r);
    const int caretRow = int(m_caret / BytesPerRow);
    if (caretRow >= shown.firstRow && caretRow < shown.firstRow + rows)
        paintCaret(painter, shown);
}

// Offsets and ruler on the button face.
void HexEditor::paintRuler(QPainter& painter, const HexLayout& shown) const
{
    const QPalette& colours = palette();
    const QRect area = viewport()->rect();
    const int offsetWidth = shown.hexLeft() - m_charWidth;
    painter.fillRect(QRect(0, 0, offsetWidth, area.height()), colours.color(QPalette::Button));
    painter.fillRect(QRect(0, 0, area.width(), m_rowHeight), colours.color(QPalette::Button));
    painter.setPen(colours.color(QPalette::ButtonText));
    for (int column = 0; column < BytesPerRow; ++column) {
        const QString label = QStringLiteral("%1").arg(column, 2, 16, QLatin1Char('0')).toUpper();
        painter.drawText(shown.hexLeft() + 3 * column * m_charWidth, m_ascent, label);
        painter.drawText(shown.charLeft() + column * m_charWidth, m_ascent, label.right(1));
    }
}

void HexEditor::paintRow(QPainter& painter, const HexLayout& shown, int row) const
{
    const QPalette& colours = palette();
    const int y = (row - shown.firstRow + 1) * m_rowHeight;
    const QRect offsetCell(0, y, shown.hexLeft() - m_charWidth, m_rowHeight);
    if (row == int(m_caret / BytesPerRow)) {
        painter.fillRect(offsetCell, colours.color(QPalette::Dark));
        painter.setPen(colours.color(QPalette::Light));
    } else {
        painter.setPen(Qt::black);
    }
    const QString offset =
        QStringLiteral("0x") + QString::number(qsizetype(row) * BytesPerRow, 16)
                                   .toUpper()
                                   .rightJustified(shown.offsetDigits(), QLatin1Char('0'));
    painter.drawText(m_charWidth / 2, y + m_ascent, offset);
    for (int column = 0; column < BytesPerRow; ++column) {
        const qsizetype position = qsizetype(row) * BytesPerRow + column;
        if (position >= m_model.size())
            break;
        paintByte(painter, shown, position);
    }
}

void HexEditor::paintByte(QPainter& painter, const HexLayout& shown, qsizetype position) const
{
    const QPalette& colours = palette();
    const qsizetype selectionFirst = hasSelection() ? selectionStart() : -1;
    const qsizetype selectionLast = hasSelection() ? selectionFirst + selectionLength() - 1 : -2;
    const int column = int(position % BytesPerRow);
    const auto value = static_cast<unsigned char>(m_model.data()[position]);
    const bool selected = position >= selectionFirst && position <= selectionLast;
    QColor text = column % 2 == 0 ? EvenColumn : OddColumn;
    QColor background;
    if (selected) {
        background = colours.color(QPalette::Highlight);
        text = colours.color(QPalette::HighlightedText);
    } else if (m_model.isChanged(position)) {
        background = ChangedBackground;
        text = ChangedText;
    }
    const QRect hexCell = shown.byteRect(position, Pane::Hex);
    const QRect charCell = shown.byteRect(position, Pane::Characters);
    if (background.isValid()) {
        // A selection runs on under the gaps between its bytes.
        const bool joined = selected && position < selectionLast && column < BytesPerRow - 1;
        painter.fillRect(joined ? hexCell.adjusted(0, 0, m_charWidth, 0) : hexCell, background);
        painter.fillRect(charCell, background);
    }
    painter.setPen(text);
    const QString hex = QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    painter.drawText(hexCell.x(), hexCell.y() + m_ascent, hex);
    painter.drawText(charCell.x(), charCell.y() + m_ascent, QString(shownCharacter(char(value))));
}

// The caret: a frame in the pane being typed in, a focus frame at the same byte in the other.
void HexEditor::paintCaret(QPainter& painter, const HexLayout& shown) const
{
    const QColor frame = hasFocus() ? CaretFocused : CaretUnfocused;
    QRect hexCell = shown.byteRect(m_caret, Pane::Hex);
    const QRect charCell = shown.byteRect(m_caret, Pane::Characters);
    const QRect plainHexCell = hexCell;
    if (m_lowNibble)
        hexCell.setLeft(hexCell.left() + m_charWidth);
    else if (m_pane == Pane::Hex)
        hexCell.setWidth(m_charWidth);
    const QRect active = m_pane == Pane::Hex ? hexCell : charCell;
    const QRect other = m_pane == Pane::Hex ? charCell : plainHexCell;
    painter.setPen(QPen(frame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(active.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(other.adjusted(0, 0, -1, -1));
}

} // namespace qlv
