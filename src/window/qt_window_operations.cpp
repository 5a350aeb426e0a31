#include "window/qt_window_operations.h"

#include <QCoreApplication>

#include "window/main_window.h"

namespace velmora {
namespace {

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Positions past the end of the text go to its end, as a text box treats them.
QTextCursor rangeCursor(QTextDocument* document, std::int32_t start, std::int32_t length)
{
    const int end = document->characterCount() - 1;
    const int from = std::clamp(start, 0, end);
    const int to = std::clamp(static_cast<int>(std::min<std::int64_t>(std::int64_t{start} + length, end)), from, end);
    QTextCursor cursor(document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor;
}

}  // namespace

QtWindowOperations::QtWindowOperations(const Controls& controls) : controls_(controls) {}

QtWindowOperations::~QtWindowOperations() { flush(); }

RichTextBox* QtWindowOperations::inputBox(Box box) const
{
    return box == Box::RT1 ? controls_.upperBox : controls_.lowerBox;
}

QWidget* boxWidget(const Controls& controls, Box box)
{
    switch (box) {
    case Box::RT1: return controls.upperBox;
    case Box::RT2: return controls.lowerBox;
    case Box::RT3: break;
    }
    return controls.resultBox;
}

void QtWindowOperations::flush()
{
    for (const Box box : {Box::RT1, Box::RT2}) {
        auto& last = lastColoured_[box == Box::RT1 ? 0 : 1];
        if (!last) continue;
        inputBox(box)->showColours();
        selectRange(inputBox(box), last->start, last->length);
        last.reset();
    }
}

void QtWindowOperations::colourGap(Box box, std::int32_t start, std::int32_t length)
{
    if (box == Box::RT3) return;  // the result box has no colours
    inputBox(box)->colourRange(start, length, true);
    lastColoured_[box == Box::RT1 ? 0 : 1] = Range{start, length};
}

void QtWindowOperations::colourRange(RichTextBox* box, std::int32_t start, std::int32_t length, bool gap)
{
    box->colourRange(start, length, gap);
    box->showColours();
    selectRange(box, start, length);
}

void QtWindowOperations::selectRange(QWidget* box, std::int32_t start, std::int32_t length)
{
    if (auto* rich = qobject_cast<QTextEdit*>(box)) {
        rich->setTextCursor(rangeCursor(rich->document(), start, length));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->setTextCursor(rangeCursor(plain->document(), start, length));
    }
}

void QtWindowOperations::select(Box box, std::int32_t start, std::int32_t length)
{
    flush();
    selectRange(boxWidget(controls_, box), start, length);
}

void QtWindowOperations::collapseSelection(Box box)
{
    flush();
    QWidget* widget = boxWidget(controls_, box);
    selectRange(widget, textCursorOf(widget).selectionStart(), 0);
}

void QtWindowOperations::setText(Box box, std::u16string_view text)
{
    flush();
    switch (box) {
    case Box::RT1: controls_.upperBox->setText(toQString(text)); break;
    case Box::RT2: controls_.lowerBox->setText(toQString(text)); break;
    case Box::RT3: controls_.resultBox->setText(toQString(text)); break;
    }
}

void QtWindowOperations::setCaption(Label label, std::u16string_view caption)
{
    setAutoSizeCaption(label == Label::Label4 ? controls_.lengthLabel : controls_.callCountLabel, toQString(caption));
}

void QtWindowOperations::setFocus(Box box)
{
    flush();
    boxWidget(controls_, box)->setFocus(Qt::OtherFocusReason);
}

void QtWindowOperations::yield()
{
    flush();
    QCoreApplication::processEvents();
}

}  // namespace velmora
