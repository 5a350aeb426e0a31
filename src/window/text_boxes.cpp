#include "window/text_boxes.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocument>

namespace velmora {
namespace {

QString rawText(const QTextDocument* document)
{
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
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
}

QString RichTextBox::text() const { return rawText(document()); }

void RichTextBox::setText(const QString& text) { setPlainText(text); }

void RichTextBox::setLocked(bool locked) { lockBox(this, locked); }

void RichTextBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enterPressed();
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    emit mouseReleased(buttonNumber(event->button()));
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void RichTextBox::insertFromMimeData(const QMimeData* source) { textCursor().insertText(plainCharacters(source)); }

ResultBox::ResultBox(QWidget* parent) : QPlainTextEdit(parent) { showSelectionWithoutFocus(this); }

QString ResultBox::text() const { return rawText(document()); }

void ResultBox::setText(const QString& text) { setPlainText(text); }

void ResultBox::setLocked(bool locked) { lockBox(this, locked); }

void ResultBox::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    emit mouseReleased(buttonNumber(event->button()));
}

bool ResultBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void ResultBox::insertFromMimeData(const QMimeData* source) { textCursor().insertText(plainCharacters(source)); }

}  // namespace velmora
