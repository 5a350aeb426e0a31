#include "window/box_accessible.h"

#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <iterator>

#include "window/rich_text_box.h"

namespace velmora {
namespace {

QString rgb(const QColor& colour)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

}  // namespace

BoxAccessible::BoxAccessible(RichTextBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

RichTextBox* BoxAccessible::box() const { return static_cast<RichTextBox*>(widget()); }

void* BoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State BoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.selectableText = true;
    s.readOnly = box()->isLocked();
    s.editable = !box()->isLocked();
    return s;
}

QString BoxAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value) return box()->document()->toPlainText();
    return QAccessibleWidget::text(kind);
}

void BoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = box()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection()) return;
    *startOffset = cursor.selectionStart();
    *endOffset = cursor.selectionEnd();
}

int BoxAccessible::selectionCount() const { return box()->textCursor().hasSelection() ? 1 : 0; }

void BoxAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void BoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0) return;
    QTextCursor cursor = box()->textCursor();
    cursor.clearSelection();
    box()->setTextCursor(cursor);
}

void BoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0) return;
    const int last = characterCount();
    QTextCursor cursor = box()->textCursor();
    cursor.setPosition(std::clamp(startOffset, 0, last));
    cursor.setPosition(std::clamp(endOffset, 0, last), QTextCursor::KeepAnchor);
    box()->setTextCursor(cursor);
}

int BoxAccessible::cursorPosition() const { return box()->textCursor().position(); }

void BoxAccessible::setCursorPosition(int position)
{
    QTextCursor cursor = box()->textCursor();
    cursor.setPosition(std::clamp(position, 0, characterCount()));
    box()->setTextCursor(cursor);
}

QString BoxAccessible::text(int startOffset, int endOffset) const
{
    const QString all = box()->document()->toPlainText();
    startOffset = std::clamp(startOffset, 0, static_cast<int>(all.size()));
    endOffset = endOffset < 0 ? static_cast<int>(all.size()) : std::clamp(endOffset, startOffset, int(all.size()));
    return all.mid(startOffset, endOffset - startOffset);
}

int BoxAccessible::characterCount() const { return std::max(box()->document()->characterCount() - 1, 0); }

QRect BoxAccessible::characterRect(int offset) const
{
    if (offset < 0 || offset >= characterCount()) return {};
    QTextCursor cursor(box()->document());
    cursor.setPosition(offset);
    const QRect start = box()->cursorRect(cursor);
    cursor.setPosition(offset + 1);
    QRect end = box()->cursorRect(cursor);
    QRect cell = start;
    // A character at the end of a line has no neighbour to its right on that line.
    cell.setRight(end.top() == start.top() && end.left() > start.left() ? end.left() - 1
                                                                        : start.left() + start.height() / 2);
    return QRect(box()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

int BoxAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = box()->viewport()->mapFromGlobal(point);
    if (!box()->viewport()->rect().contains(local)) return -1;
    return box()->cursorForPosition(local).position();
}

void BoxAccessible::scrollToSubstring(int startIndex, int /*endIndex*/)
{
    // Scrolls without moving the caret or the selection, which the lookup owns.
    QTextCursor cursor(box()->document());
    cursor.setPosition(std::clamp(startIndex, 0, characterCount()));
    const QRect line = box()->cursorRect(cursor);
    QScrollBar* bar = box()->verticalScrollBar();
    if (line.top() < 0)
        bar->setValue(bar->value() + line.top());
    else if (line.bottom() > box()->viewport()->height())
        bar->setValue(bar->value() + line.bottom() - box()->viewport()->height());
}

QString BoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    const int count = characterCount();
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count) return {};
    if (offset == count) {  // past the last character: the run before it, if any
        if (count == 0) return {};
        offset = count - 1;
    }
    // The run of one colour around the offset, from the painted gap runs (sorted, apart).
    const std::vector<RichTextBox::Run>& runs = box()->gapRuns();
    const auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                        [](int at, const RichTextBox::Run& run) { return at < run.start; });
    int start = 0, end = count;
    bool gap = false;
    if (after != runs.begin() && offset < std::prev(after)->start + std::prev(after)->length) {
        gap = true;
        start = std::prev(after)->start;
        end = start + std::prev(after)->length;
    } else {
        if (after != runs.begin()) start = std::prev(after)->start + std::prev(after)->length;
        if (after != runs.end()) end = after->start;
    }
    *startOffset = start;
    *endOffset = std::min(end, count);
    const QFont font = box()->font();
    // IAccessible2's names, which the AT-SPI bridge turns into fg-color, family-name, ...
    return QStringLiteral("color:%1;font-family:%2;font-size:%3pt;font-weight:%4")
        .arg(rgb(gap ? kGapColour : QColor(Qt::black)), font.family())
        .arg(font.pointSizeF())
        .arg(font.bold() ? 700 : 400);
}

void BoxAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, QString()); }

void BoxAccessible::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

void BoxAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    if (box()->isLocked()) return;
    const int last = characterCount();
    QTextCursor cursor(box()->document());
    cursor.setPosition(std::clamp(startOffset, 0, last));
    cursor.setPosition(std::clamp(endOffset, 0, last), QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

}  // namespace velmora
