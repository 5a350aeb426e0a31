#pragma once
// What the rich-text boxes and the result box do alike: the mouse buttons as the click
// handlers count them, the locked state, the crisp frame, the selection shown without the
// focus, and typing after a stand-in.

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCursor>
#include <QWidget>
#include <memory>

#include "window/crisp_outline.h"
#include "window/exact_text.h"

namespace velmora {

// Mouse buttons as the click handlers count them.
int buttonNumber(Qt::MouseButton button);

// The text cursor (caret and selection) of a rich-text or a plain box.
QTextCursor textCursorOf(const QWidget* box);

// Keeps the selection colours of a focused box when the box loses the focus.
void showSelectionWithoutFocus(QWidget* box);

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
    // A right-click in a locked box answers a selection first; see answerContextMenu.
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

// A selection made with the keys in a locked box ends when Shift+arrow, Shift+Home or
// Shift+End is released: it is then answered as a selection made with the mouse.
inline bool endsKeyboardSelection(bool locked, const QKeyEvent* event)
{
    if (!locked || event->isAutoRepeat() || !(event->modifiers() & Qt::ShiftModifier)) return false;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End: return true;
    default: return false;
    }
}

// The read-only menu of a locked box ("复制" and "全选", from Qt's catalogue), at a
// global position. Opening it moves neither the selection nor the focus.
template <class TextWidget>
void showReadOnlyMenu(TextWidget* box, QPoint at)
{
    QWidget* focused = box->window()->focusWidget();
    const std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    menu->exec(at);
    // The focus returns with the window's activation, which may come later; to the same box.
    if (focused) focused->setFocus(Qt::PopupFocusReason);
}

// A context menu request: while editing, the box's own menu (false); in a locked box a
// right-click is answered on its release, after the lookup (see showMenuAfterRelease), and
// the menu key opens the read-only menu at the caret.
template <class TextWidget>
bool answerContextMenu(TextWidget* box, QContextMenuEvent* event)
{
    if (!box->isReadOnly()) return false;
    event->accept();
    if (event->reason() != QContextMenuEvent::Mouse)
        showReadOnlyMenu(box, box->viewport()->mapToGlobal(box->cursorRect().bottomLeft()));
    return true;
}

// After a right button's release in a locked box has been answered by the lookup.
template <class TextWidget>
void showMenuAfterRelease(TextWidget* box, QMouseEvent* event)
{
    if (box->isReadOnly() && event->button() == Qt::RightButton)
        showReadOnlyMenu(box, event->globalPosition().toPoint());
}

}  // namespace velmora
