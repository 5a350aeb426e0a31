#pragma once
// The window operations without a window: keeps each box's text, selection, focus and
// the gap colour of every character, and logs every operation in order. It serves the
// command-line companion and the tests.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/method/window_operations.h"

namespace velmora {

class RecordingWindow : public WindowOperations {
public:
    struct Selection {
        std::int32_t start = 0;
        std::int32_t length = 0;
        bool operator==(const Selection&) const = default;
    };
    enum class Op { ColourGap, Select, CollapseSelection, SetText, SetCaption, SetFocus, Yield };
    struct Record {
        Op op;
        int target = 0;  // Box or Label as int
        std::int32_t start = 0, length = 0;
        std::u16string text;
        bool operator==(const Record&) const = default;
    };

    // Puts the texts the user typed into the two input boxes, all characters black.
    void type(std::u16string_view upper, std::u16string_view lower);

    void colourGap(Box box, std::int32_t start, std::int32_t length) override;
    void select(Box box, std::int32_t start, std::int32_t length) override;
    void collapseSelection(Box box) override;
    void setText(Box box, std::u16string_view text) override;
    void setCaption(Label label, std::u16string_view caption) override;
    void setFocus(Box box) override;
    void yield() override;

    const std::u16string& text(Box box) const { return boxes_[index(box)].text; }
    // 1-based positions of the characters in the gap colour.
    std::vector<std::int32_t> gapPositions(Box box) const;
    Selection selection(Box box) const { return boxes_[index(box)].selection; }
    const std::u16string& caption(Label label) const { return captions_[static_cast<std::size_t>(label)]; }
    const Box* focus() const { return hasFocus_ ? &focus_ : nullptr; }
    const std::vector<Record>& log() const { return log_; }
    // Carries the logged operations out on another window, in their order: a computation
    // run off the window's thread shows its outcome this way.
    void replay(WindowOperations& target) const;

private:
    struct BoxState {
        std::u16string text;
        std::vector<bool> gapColoured;
        Selection selection;
    };
    static std::size_t index(Box box) { return static_cast<std::size_t>(box); }

    std::array<BoxState, 3> boxes_;
    std::array<std::u16string, 2> captions_;
    Box focus_ = Box::RT1;
    bool hasFocus_ = false;
    std::vector<Record> log_;
};

}  // namespace velmora
