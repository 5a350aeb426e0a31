#pragma once
// The narrow set of box and label operations through which the engine and the click
// lookup act on the window. The Qt window implements it; tests use a recording fake.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

enum class Box { RT1, RT2, RT3 };
enum class Label { Label4, Label5 };

class WindowOperations {
public:
    virtual ~WindowOperations() = default;

    // SelStart = start, SelLength = length, SelColor = the gap colour. Length 0 only moves the caret.
    virtual void colourGap(Box box, std::int32_t start, std::int32_t length) = 0;
    // SelStart = start, SelLength = length.
    virtual void select(Box box, std::int32_t start, std::int32_t length) = 0;
    // SelLength = 0: the selection collapses to the caret at its start.
    virtual void collapseSelection(Box box) = 0;
    virtual void setText(Box box, std::u16string_view text) = 0;
    virtual void setCaption(Label label, std::u16string_view caption) = 0;
    virtual void setFocus(Box box) = 0;
    // Lets the window system deliver pending events before the caller goes on.
    virtual void yield() = 0;
};

}  // namespace velmora
