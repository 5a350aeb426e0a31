#pragma once
// RT1 and RT2: rich-text boxes whose text is exactly what the user typed or pasted (one
// position per character, a line break included), with every character black or in the
// gap colour. They report a released mouse button after the box has set its selection
// from the mouse, and show their selection even without the focus.

#include <QColor>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <vector>

namespace velmora {

inline const QColor kGapColour(100, 220, 100);

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

    // A thin frame over the character cell at a 0-based position (at the end of the text, a
    // narrow one where the next character would go), or none for -1. It is painted over the
    // box: the text, its colours, the selection and the focus stay as they are.
    void setMarkedCell(int position);
    int markedCell() const { return markedCell_; }

    // Pasting and dropping insert plain characters only.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

signals:
    void enterPressed();
    void mouseReleased(int button);
    // A selection made with Shift and the arrow, Home or End keys in the locked box.
    void keySelectionMade();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followEdits(int position, int removed, int added);
    QList<Run> runsIn(const QTextBlock& block) const;
    void paintColours(QPaintEvent* event);
    void paintMarkedCell();
    void redrawLine(QPainter& painter, const QTextBlock& block, const QTextLine& line, QPointF at,
                    const QList<Run>& runs) const;

    std::vector<bool> gap_;  // per character; typed characters start black
    std::vector<Run> runs_;  // what showColours() last made of gap_
    int markedCell_ = -1;
};

}  // namespace velmora
