#include "window/result_box.h"

#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "window/box_behaviour.h"

namespace velmora {

ResultBox::ResultBox(QWidget* parent) : QPlainTextEdit(parent)
{
    showSelectionWithoutFocus(this);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { typeWithoutHeldUnits(this); });
}

QString ResultBox::text() const { return rawText(document()); }

void ResultBox::setText(const QString& text)
{
    clear();
    insertExactly(textCursor(), text);
    moveCursor(QTextCursor::Start);  // as a newly set text has it
}

void ResultBox::setLocked(bool locked) { lockBox(this, locked); }

bool ResultBox::event(QEvent* event)
{
    const bool handled = QPlainTextEdit::event(event);
    // The strip below the last whole line lies outside the viewport: it is painted in the
    // box's own colour, so that the box is one colour from top to bottom.
    if (event->type() == QEvent::Paint) {
        const QRect view = viewport()->geometry();
        const QRect strip(view.left(), view.bottom() + 1, view.width(), contentsRect().bottom() - view.bottom());
        if (strip.height() > 0) QPainter(this).fillRect(strip, palette().brush(QPalette::Base));
    }
    return paintWithCrispFrame(this, event, handled);
}

// A result is one line as wide as it needs: for a result of one line, where there is
// nothing to scroll up or down, the wheel moves along the line.
void ResultBox::wheelEvent(QWheelEvent* event)
{
    if (document()->blockCount() == 1 && event->angleDelta().x() == 0 && event->angleDelta().y() != 0) {
        QScrollBar* along = horizontalScrollBar();
        along->setValue(along->value() - event->angleDelta().y() * along->singleStep() * 3 / 120);
        event->accept();
        return;
    }
    QPlainTextEdit::wheelEvent(event);
}

void ResultBox::mousePressEvent(QMouseEvent* event)
{
    placeCaretForLockedPress(this, event);
    QPlainTextEdit::mousePressEvent(event);
}

void ResultBox::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    emit mouseReleased(buttonNumber(event->button()));
    showMenuAfterRelease(this, event);
}

void ResultBox::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (endsKeyboardSelection(isReadOnly(), event)) emit keySelectionMade();
}

void ResultBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (!answerContextMenu(this, event)) QPlainTextEdit::contextMenuEvent(event);
}

void ResultBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    fitWholeLines();
}

void ResultBox::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitWholeLines();
}

void ResultBox::fitWholeLines()
{
    const int frame = 2 * frameWidth();
    const auto margin = static_cast<int>(document()->documentMargin());
    const int line = QFontMetrics(font()).lineSpacing();
    const int available = height() - frame - margin;
    const int lines = std::max(1, available / std::max(line, 1));
    setViewportMargins(0, 0, 0, std::max(0, available - lines * line));
}

bool ResultBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void ResultBox::insertFromMimeData(const QMimeData* source) { insertExactly(textCursor(), plainCharacters(source)); }

}  // namespace velmora
