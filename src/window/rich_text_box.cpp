#include "window/rich_text_box.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>

#include "window/box_behaviour.h"

namespace velmora {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    showSelectionWithoutFocus(this);
    connect(document(), &QTextDocument::contentsChange, this, &RichTextBox::followEdits);
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { typeWithoutHeldUnits(this); });
}

void RichTextBox::followEdits(int position, int removed, int added)
{
    const auto size = static_cast<int>(gap_.size());
    const int from = std::clamp(position, 0, size);
    gap_.erase(gap_.begin() + from, gap_.begin() + std::clamp(from + removed, from, size));
    gap_.insert(gap_.begin() + from, static_cast<std::size_t>(std::max(added, 0)), false);
    gap_.resize(static_cast<std::size_t>(std::max(document()->characterCount() - 1, 0)), false);
}

void RichTextBox::colourRange(int start, int length, bool gap)
{
    const auto size = static_cast<int>(gap_.size());
    const int from = std::clamp(start, 0, size);
    const int to = std::clamp(start + std::max(length, 0), from, size);
    std::fill(gap_.begin() + from, gap_.begin() + to, gap);
}

bool RichTextBox::isGapColoured(int position) const
{
    return position >= 0 && position < static_cast<int>(gap_.size()) && gap_[static_cast<std::size_t>(position)];
}

void RichTextBox::showColours()
{
    runs_.clear();
    const auto size = static_cast<int>(gap_.size());
    for (int p = 0; p < size;) {
        if (!gap_[static_cast<std::size_t>(p)]) {
            ++p;
            continue;
        }
        const int start = p;
        while (p < size && gap_[static_cast<std::size_t>(p)]) ++p;
        runs_.push_back({start, p - start});
    }
    viewport()->update();
}

// The gap runs within one block, relative to the block.
QList<RichTextBox::Run> RichTextBox::runsIn(const QTextBlock& block) const
{
    QList<Run> runs;
    const int begin = block.position(), end = block.position() + block.length() - 1;
    auto run = std::lower_bound(runs_.begin(), runs_.end(), begin,
                                [](const Run& r, int position) { return r.start + r.length <= position; });
    for (; run != runs_.end() && run->start < end; ++run) {
        const int from = std::max(run->start, begin), to = std::min(run->start + run->length, end);
        if (from < to) runs.append({from - begin, to - from});
    }
    return runs;
}

namespace {

// Whether the caret at the end of this line belongs to it rather than to the next line.
bool endsBlock(const QTextBlock& block, const QTextLine& line)
{
    return line.lineNumber() == block.layout()->lineCount() - 1;
}

}  // namespace

// The box draws its text black; each visible line holding a gap character is drawn again
// here from a layout of its own that carries the colours, with the selection over it.
void RichTextBox::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    paintColours(event);
    paintMarkedCell();
}

void RichTextBox::setMarkedCell(int position)
{
    if (position == markedCell_) return;
    markedCell_ = position;
    if (position >= 0) {
        // Brought into view by scrolling only; the text cursor and the selection stay.
        QTextCursor cursor(document());
        cursor.setPosition(std::min(position, document()->characterCount() - 1));
        const QRect cell = cursorRect(cursor);
        QScrollBar* bar = verticalScrollBar();
        if (cell.top() < 0)
            bar->setValue(bar->value() + cell.top());
        else if (cell.bottom() > viewport()->height())
            bar->setValue(bar->value() + cell.bottom() - viewport()->height());
    }
    viewport()->update();
}

void RichTextBox::paintMarkedCell()
{
    if (markedCell_ < 0) return;
    const int length = document()->characterCount() - 1;
    const int at = std::min(markedCell_, length);
    QTextCursor cursor(document());
    cursor.setPosition(at);
    const QRect start = cursorRect(cursor);
    int right = start.left() + 3;
    if (at < length && document()->characterAt(at) != QChar::ParagraphSeparator) {
        cursor.setPosition(at + 1 < length && document()->characterAt(at).isHighSurrogate() ? at + 2 : at + 1);
        const QRect end = cursorRect(cursor);
        right = end.top() == start.top() && end.left() > start.left() ? end.left()
                                                                      : start.left() + fontMetrics().averageCharWidth();
    }
    QPainter painter(viewport());
    painter.setPen(QPen(QColor(198, 40, 40), 1));
    painter.drawRect(QRect(QPoint(start.left() - 1, start.top()), QPoint(right, start.bottom())));
}

void RichTextBox::paintColours(QPaintEvent* event)
{
    if (runs_.empty()) return;
    QPainter painter(viewport());
    painter.setClipRegion(event->region());
    const QPointF origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    QAbstractTextDocumentLayout* documentLayout = document()->documentLayout();
    for (QTextBlock block = cursorForPosition(event->rect().topLeft()).block(); block.isValid(); block = block.next()) {
        if (documentLayout->blockBoundingRect(block).translated(origin).top() > event->rect().bottom()) break;
        const QList<Run> runs = runsIn(block);
        if (runs.isEmpty()) continue;
        const QTextLayout* layout = block.layout();
        const QPointF at = origin + layout->position();
        for (int l = 0; l < layout->lineCount(); ++l) {
            const QTextLine line = layout->lineAt(l);
            const QRectF lineRect(0, at.y() + line.y(), viewport()->width(), line.height());
            if (event->region().intersects(lineRect.toAlignedRect())) redrawLine(painter, block, line, at, runs);
        }
    }
}

void RichTextBox::redrawLine(QPainter& painter, const QTextBlock& block, const QTextLine& line, QPointF at,
                             const QList<Run>& runs) const
{
    const int lineStart = line.textStart(), lineEnd = line.textStart() + line.textLength();
    QTextCharFormat gapFormat;
    gapFormat.setForeground(kGapColour);
    QList<QTextLayout::FormatRange> colours;
    for (const Run& run : runs) {
        const int from = std::max(run.start, lineStart), to = std::min(run.start + run.length, lineEnd);
        if (from < to) colours.append({from - lineStart, to - from, gapFormat});
    }
    if (colours.isEmpty()) return;

    QTextLayout own(block.text().mid(lineStart, line.textLength()), font(), viewport());
    QTextOption option = block.layout()->textOption();
    option.setWrapMode(QTextOption::NoWrap);
    own.setTextOption(option);
    own.setFormats(colours);
    own.beginLayout();
    own.createLine().setLineWidth(1e6);
    own.endLayout();

    QList<QTextLayout::FormatRange> selection;
    const QTextCursor cursor = textCursor();
    const int from = std::max(cursor.selectionStart() - block.position(), lineStart);
    const int to = std::min(cursor.selectionEnd() - block.position(), lineEnd);
    if (from < to) {
        const auto group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        QTextCharFormat selected;
        selected.setBackground(palette().color(group, QPalette::Highlight));
        selected.setForeground(palette().color(group, QPalette::HighlightedText));
        selection.append({from - lineStart, to - from, selected});
    }
    const QPointF lineOrigin(at.x() + line.x(), at.y() + line.y());
    painter.fillRect(QRectF(0, lineOrigin.y(), viewport()->width(), line.height()), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    own.draw(&painter, lineOrigin, selection);
    // The caret of a focused box stays visible on a redrawn line (without blinking there).
    const int caret = cursor.position() - block.position();
    if (hasFocus() && caret >= lineStart && caret <= lineEnd && (caret < lineEnd || endsBlock(block, line)))
        own.drawCursor(&painter, lineOrigin, caret - lineStart, cursorWidth());
}

QString RichTextBox::text() const { return rawText(document()); }

void RichTextBox::setText(const QString& text)
{
    clear();
    insertExactly(textCursor(), text);
    moveCursor(QTextCursor::Start);  // as a newly set text has it
}

void RichTextBox::setLocked(bool locked) { lockBox(this, locked); }

bool RichTextBox::event(QEvent* event) { return paintWithCrispFrame(this, event, QTextEdit::event(event)); }

void RichTextBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enterPressed();
    if (!isReadOnly() && holdsStructuralUnits(event->text())) {
        insertExactly(textCursor(), event->text());
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::mousePressEvent(QMouseEvent* event)
{
    placeCaretForLockedPress(this, event);
    QTextEdit::mousePressEvent(event);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    emit mouseReleased(buttonNumber(event->button()));
    showMenuAfterRelease(this, event);
}

void RichTextBox::keyReleaseEvent(QKeyEvent* event)
{
    QTextEdit::keyReleaseEvent(event);
    if (endsKeyboardSelection(isReadOnly(), event)) emit keySelectionMade();
}

void RichTextBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (!answerContextMenu(this, event)) QTextEdit::contextMenuEvent(event);
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void RichTextBox::insertFromMimeData(const QMimeData* source) { insertExactly(textCursor(), plainCharacters(source)); }

}  // namespace velmora
