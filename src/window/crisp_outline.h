#pragma once
// One-pixel outlines that stay whole and sharp at any scale factor. A line one logical
// pixel wide falls between device pixels at 1.25 or 1.5 and comes out blurred or not at
// all; these outlines are laid on whole device pixels instead, as many as the scale
// factor holds whole (at least one), without antialiasing.

#include <QColor>
#include <QFrame>
#include <QRect>

class QPainter;

namespace velmora {

// Draws the outline along the inside edge of rect (logical coordinates of the painter's
// widget) at the given device pixel ratio.
void drawCrispOutline(QPainter& painter, const QRect& rect, const QColor& colour, qreal ratio);

// The border colour of the text boxes.
inline const QColor kBoxBorder(184, 184, 184);

// A rectangle with a solid outline and no fill (the window's Shape1 and Shape2).
class OutlineShape : public QFrame {
public:
    OutlineShape(QWidget* parent, const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

}  // namespace velmora
