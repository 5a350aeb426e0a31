#include "window/box_behaviour.h"

#include <QPlainTextEdit>
#include <QTextEdit>

namespace velmora {

int buttonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
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

}  // namespace velmora
