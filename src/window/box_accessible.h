#pragma once
// What a screen reader reads of RT1 and RT2: the text, the caret and the selection, and
// the colour of every character as a text attribute ("fg-color" on AT-SPI), so that the unmatched
// characters (the light green) can be found without seeing them. The colours are painted
// rather than stored in the text's formats, so Qt's own text-edit interface would report
// every character black.

#include <QAccessibleWidget>

namespace velmora {

class RichTextBox;

class BoxAccessible : public QAccessibleWidget,
                      public QAccessibleTextInterface,
                      public QAccessibleEditableTextInterface {
public:
    explicit BoxAccessible(RichTextBox* box);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface: edits only while the box is unlocked.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    RichTextBox* box() const;
};

}  // namespace velmora
