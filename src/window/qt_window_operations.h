#pragma once
// The engine's and the click lookup's window operations carried out on the Qt widgets.
// The colours of one computation are recorded range by range and drawn when the window
// next gets to paint (at a yield, or when the computation returns).

#include <array>
#include <optional>

#include "engine/method/window_operations.h"
#include "window/main_window.h"

namespace velmora {

// The widget of a box.
QWidget* boxWidget(const Controls& controls, Box box);

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

    // Draws the colours recorded so far and leaves each box's selection on the last
    // range coloured, as setting SelStart, SelLength and SelColor range by range would.
    void flush();

    // SelStart, SelLength and SelColor on an input box (the edit and clear actions).
    static void colourRange(RichTextBox* box, std::int32_t start, std::int32_t length, bool gap);
    static void selectRange(QWidget* box, std::int32_t start, std::int32_t length);

private:
    struct Range {
        std::int32_t start, length;
    };
    RichTextBox* inputBox(Box box) const;

    const Controls& controls_;
    std::array<std::optional<Range>, 2> lastColoured_;  // RT1, RT2: pending until flushed
};

}  // namespace velmora
