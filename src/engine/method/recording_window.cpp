#include "engine/method/recording_window.h"

#include <algorithm>

namespace velmora {

void RecordingWindow::type(std::u16string_view upper, std::u16string_view lower)
{
    boxes_[index(Box::RT1)] = {std::u16string(upper), std::vector<bool>(upper.size()), {}};
    boxes_[index(Box::RT2)] = {std::u16string(lower), std::vector<bool>(lower.size()), {}};
}

void RecordingWindow::colourGap(Box box, std::int32_t start, std::int32_t length)
{
    log_.push_back({Op::ColourGap, static_cast<int>(box), start, length, {}});
    BoxState& state = boxes_[index(box)];
    state.selection = {start, length};
    const auto size = static_cast<std::int32_t>(state.gapColoured.size());
    for (std::int32_t p = std::max(start, 0); p < std::min(start + length, size); ++p)
        state.gapColoured[static_cast<std::size_t>(p)] = true;
}

void RecordingWindow::select(Box box, std::int32_t start, std::int32_t length)
{
    log_.push_back({Op::Select, static_cast<int>(box), start, length, {}});
    boxes_[index(box)].selection = {start, length};
}

void RecordingWindow::collapseSelection(Box box)
{
    log_.push_back({Op::CollapseSelection, static_cast<int>(box), 0, 0, {}});
    boxes_[index(box)].selection.length = 0;
}

void RecordingWindow::setText(Box box, std::u16string_view text)
{
    log_.push_back({Op::SetText, static_cast<int>(box), 0, 0, std::u16string(text)});
    boxes_[index(box)] = {std::u16string(text), std::vector<bool>(text.size()), {}};
}

void RecordingWindow::setCaption(Label label, std::u16string_view caption)
{
    log_.push_back({Op::SetCaption, static_cast<int>(label), 0, 0, std::u16string(caption)});
    captions_[static_cast<std::size_t>(label)] = caption;
}

void RecordingWindow::setFocus(Box box)
{
    log_.push_back({Op::SetFocus, static_cast<int>(box), 0, 0, {}});
    focus_ = box;
    hasFocus_ = true;
}

void RecordingWindow::yield() { log_.push_back({Op::Yield, 0, 0, 0, {}}); }

void RecordingWindow::replay(WindowOperations& target) const
{
    for (const Record& record : log_) {
        const auto box = static_cast<Box>(record.target);
        switch (record.op) {
        case Op::ColourGap: target.colourGap(box, record.start, record.length); break;
        case Op::Select: target.select(box, record.start, record.length); break;
        case Op::CollapseSelection: target.collapseSelection(box); break;
        case Op::SetText: target.setText(box, record.text); break;
        case Op::SetCaption: target.setCaption(static_cast<Label>(record.target), record.text); break;
        case Op::SetFocus: target.setFocus(box); break;
        case Op::Yield: target.yield(); break;
        }
    }
}

std::vector<std::int32_t> RecordingWindow::gapPositions(Box box) const
{
    std::vector<std::int32_t> positions;
    const auto& coloured = boxes_[index(box)].gapColoured;
    for (std::size_t p = 0; p < coloured.size(); ++p)
        if (coloured[p]) positions.push_back(static_cast<std::int32_t>(p + 1));
    return positions;
}

}  // namespace velmora
