#pragma once
// The three text boxes. RT1 and RT2 are rich-text boxes whose text is exactly what the
// user typed or pasted (one position per character, a line break included); RT3 is the
// plain result box. All report a released mouse button after the box has set its
// selection from the mouse, and show their selection even without the focus.

#include <QPlainTextEdit>
#include <QTextEdit>

namespace velmora {

// Mouse buttons as the click handlers count them.
int buttonNumber(Qt::MouseButton button);

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // The box's text: line breaks as '\n', non-breaking spaces kept.
    QString text() const;
    void setText(const QString& text);
    // Read-only for the user; the program still sets text, selection and colours.
    void setLocked(bool locked);
    bool isLocked() const { return isReadOnly(); }

    // Pasting and dropping insert plain characters only.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

signals:
    void enterPressed();
    void mouseReleased(int button);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class ResultBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ResultBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setLocked(bool locked);
    bool isLocked() const { return isReadOnly(); }

signals:
    void mouseReleased(int button);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// Plain characters of pasted or dropped content, with CR LF and CR taken as one line break.
QString plainCharacters(const QMimeData* source);

// Keeps the selection colours of a focused box when the box loses the focus.
void showSelectionWithoutFocus(QWidget* box);

}  // namespace velmora
