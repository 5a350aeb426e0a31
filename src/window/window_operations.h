#pragma once
// The engine's and the click lookup's window operations carried out on the Qt widgets.
// Colouring goes one document edit per range, and the ranges of one computation are
// collected into one edit block per box, so the layout is redone once, not per range.

#include <QTextCursor>
#include <optional>

#include "engine/window_operations.h"
#include "window/main_window.h"

namespace velmora {

inline const QColor kGapColour(100, 220, 100);
inline const QColor kBlack(0, 0, 0);

class QtWindowOperations : public WindowOperations {
public:
    explicit QtWindowOperations(const Controls& controls);
    ~QtWindowOperations() override;

    void colourGap(Box box, std::int32_t start, std::int32_t length) override;
    void select(Box box, std::int32_t start, std::int32_t length) override;
    void collapseSelection(Box box) override;
    void setText(Box box, std::u16string_view text) override;
    void setCaption(Label label, std::u16string_view caption) override;
    void setFocus(Box box) override;
    void yield() override;

    // Ends the open edit blocks so that the boxes show every colour applied so far.
    void flush();

    // SelStart, SelLength and SelColor on an input box (the edit and clear actions).
    static void colourRange(QTextEdit* box, std::int32_t start, std::int32_t length, const QColor& colour);
    static void selectRange(QWidget* box, std::int32_t start, std::int32_t length);

private:
    QTextEdit* inputBox(Box box) const;
    QWidget* widget(Box box) const;
    QTextCursor& batchCursor(Box box);

    const Controls& controls_;
    std::optional<QTextCursor> batch_[2];  // RT1, RT2
};

}  // namespace velmora
