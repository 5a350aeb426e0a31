#include "window/text_boxes.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "window/crisp_outline.h"
#include <QFontMetrics>
#include <QResizeEvent>

#include <algorithm>

namespace velmora {
namespace {

// A text document takes three code units for structure rather than text: the paragraph
// separator and the two frame marks become block breaks. A box holds each of them as a
// stand-in character whose format carries the unit itself, so that what was typed or
// pasted is what the box gives back, code unit for code unit.
constexpr int kHeldUnit = QTextFormat::UserProperty + 1;

bool needsStandIn(QChar unit)
{
    return unit == QChar::ParagraphSeparator || unit.unicode() == 0xFDD0 || unit.unicode() == 0xFDD1;
}

// The paragraph separator stands in as a line separator, so it still breaks the line.
QChar standInFor(QChar unit)
{
    return unit == QChar::ParagraphSeparator ? QChar(QChar::LineSeparator) : QChar(QChar::ReplacementCharacter);
}

QTextCharFormat withoutHeldUnit(QTextCharFormat format)
{
    format.clearProperty(kHeldUnit);
    return format;
}

QString rawText(const QTextDocument* document)
{
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(kHeldUnit)) continue;
            const QChar unit(static_cast<char16_t>(format.intProperty(kHeldUnit)));
            for (int p = fragment.position(); p < fragment.position() + fragment.length(); ++p)
                if (p < text.size() && text[p] == standInFor(unit)) text[p] = unit;
        }
    }
    return text;
}

}  // namespace

void insertExactly(QTextCursor cursor, const QString& text)
{
    const QTextCharFormat plain = withoutHeldUnit(cursor.charFormat());
    cursor.beginEditBlock();
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!needsStandIn(text[i])) continue;
        cursor.insertText(text.mid(from, i - from), plain);
        QTextCharFormat held = plain;
        held.setProperty(kHeldUnit, static_cast<int>(text[i].unicode()));
        cursor.insertText(QString(standInFor(text[i])), held);
        from = i + 1;
    }
    cursor.insertText(text.mid(from), plain);
    cursor.setCharFormat(plain);
    cursor.endEditBlock();
}

bool holdsStructuralUnits(const QString& text) { return std::any_of(text.begin(), text.end(), needsStandIn); }

namespace {

// Text typed after a held unit must not take its format (and with it the unit).
template <class TextWidget>
void typeWithoutHeldUnits(TextWidget* box)
{
    if (box->textCursor().hasSelection() || !box->currentCharFormat().hasProperty(kHeldUnit)) return;
    box->setCurrentCharFormat(withoutHeldUnit(box->currentCharFormat()));
}

// The style's frame of a box, drawn again on whole device pixels.
template <class TextWidget>
bool paintWithCrispFrame(TextWidget* box, QEvent* event, bool handled)
{
    if (event->type() == QEvent::Paint) {
        QPainter painter(box);
        drawCrispOutline(painter, box->rect(), kBoxBorder, box->devicePixelRatioF());
    }
    return handled;
}

template <class TextWidget>
void lockBox(TextWidget* box, bool locked)
{
    box->setReadOnly(locked);
    // A locked box still shows its caret and lets the user select with mouse and keys.
    box->setTextInteractionFlags(locked ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                        : Qt::TextEditorInteraction);
    // A right-click in a locked box answers a selection; while editing it opens the menu.
    box->setContextMenuPolicy(locked ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    // Nothing can be dropped into a locked box.
    box->setAcceptDrops(!locked);
}

// A press in a locked box starts a new selection where it lands, never a drag of the
// selection the click lookup made: the caret moves there first, so nothing selected
// lies under the pointer when the text control decides between selecting and dragging.
template <class TextWidget>
void placeCaretForLockedPress(TextWidget* box, QMouseEvent* event)
{
    if (!box->isReadOnly() || event->button() != Qt::LeftButton) return;
    if (event->modifiers() & Qt::ShiftModifier) return;  // Shift-click extends, as usual
    box->setTextCursor(box->cursorForPosition(event->position().toPoint()));
}

}  // namespace

int buttonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

QString plainCharacters(const QMimeData* source)
{
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QTextCursor textCursorOf(const QWidget* box)
{
    if (const auto* rich = qobject_cast<const QTextEdit*>(box)) return rich->textCursor();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(box)) return plain->textCursor();
    return {};
}

void showSelectionWithoutFocus(QWidget* box)
{
    QPalette palette = box->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    box->setPalette(palette);
}

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
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void RichTextBox::insertFromMimeData(const QMimeData* source) { insertExactly(textCursor(), plainCharacters(source)); }

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

bool ResultBox::event(QEvent* event) { return paintWithCrispFrame(this, event, QPlainTextEdit::event(event)); }

void ResultBox::mousePressEvent(QMouseEvent* event)
{
    placeCaretForLockedPress(this, event);
    QPlainTextEdit::mousePressEvent(event);
}

void ResultBox::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    emit mouseReleased(buttonNumber(event->button()));
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
