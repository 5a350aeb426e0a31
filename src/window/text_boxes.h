#pragma once
// The three text boxes. RT1 and RT2 are rich-text boxes whose text is exactly what the
// user typed or pasted (one position per character, a line break included); RT3 is the
// plain result box. All report a released mouse button after the box has set its
// selection from the mouse, and show their selection even without the focus.

#include <QColor>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <vector>

namespace velmora {

inline const QColor kGapColour(100, 220, 100);
inline const QColor kBlack(0, 0, 0);

// Mouse buttons as the click handlers count them.
int buttonNumber(Qt::MouseButton button);

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // The box's text, exactly as typed or pasted: line breaks as '\n', every other code
    // unit as it came.
    QString text() const;
    void setText(const QString& text);
    // Read-only for the user; the program still sets text, selection and colours.
    void setLocked(bool locked);
    bool isLocked() const { return isReadOnly(); }

    // Every character is black or in the gap colour. The colours are painted over the
    // visible lines rather than stored in the text's formats, so that colouring thousands
    // of separate ranges never makes the box lay out or measure its text again.
    // colourRange() records, showColours() repaints what was recorded.
    struct Run {
        int start, length;
        bool operator==(const Run&) const = default;
    };
    void colourRange(int start, int length, bool gap);
    void showColours();
    bool isGapColoured(int position) const;
    const std::vector<Run>& gapRuns() const { return runs_; }

    // Pasting and dropping insert plain characters only.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

signals:
    void enterPressed();
    void mouseReleased(int button);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followEdits(int position, int removed, int added);
    QList<Run> runsIn(const QTextBlock& block) const;
    void redrawLine(QPainter& painter, const QTextBlock& block, const QTextLine& line, QPointF at,
                    const QList<Run>& runs) const;

    std::vector<bool> gap_;  // per character; typed characters start black
    std::vector<Run> runs_;  // what showColours() last made of gap_
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
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A result with line breaks shows whole lines only: the visible height is cut to a
    // whole number of lines, and the box scrolls line by line.
    void fitWholeLines();
};

// Inserts text at the cursor code unit for code unit: the units that a text document
// would take for block breaks (U+2029, U+FDD0, U+FDD1) are held as stand-ins that the
// boxes' text() gives back as the original units.
void insertExactly(QTextCursor cursor, const QString& text);
bool holdsStructuralUnits(const QString& text);

// Plain characters of pasted or dropped content, with CR LF and CR taken as one line break.
QString plainCharacters(const QMimeData* source);

// The text cursor (caret and selection) of a rich-text or a plain box.
QTextCursor textCursorOf(const QWidget* box);

// Keeps the selection colours of a focused box when the box loses the focus.
void showSelectionWithoutFocus(QWidget* box);

}  // namespace velmora
