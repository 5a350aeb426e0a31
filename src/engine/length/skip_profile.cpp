#include "engine/length/skip_profile.h"

#include <algorithm>

#include "engine/length/call_counter.h"

namespace velmora {

void SkipProfile::add(std::optional<std::int16_t> skipLength, std::uint64_t calls)
{
    ++weighed_;
    const std::uint64_t total = saturatingAdd(this->calls(), calls);
    if (segments_.empty() || (skipLength && *skipLength > segments_.back().best)) {
        segments_.push_back({weighed_, weighed_, skipLength.value_or(std::int16_t{-1}), total, total});
        return;
    }
    segments_.back().last = weighed_;
    segments_.back().callsAtEnd = total;
}

void SkipProfile::addUnbeaten(std::int32_t count, std::uint64_t calls)
{
    if (count <= 0) return;
    if (segments_.empty()) segments_.push_back({1, 0, -1, 0, 0});
    weighed_ += count;
    segments_.back().last = weighed_;
    segments_.back().callsAtEnd = saturatingAdd(segments_.back().callsAtEnd, calls);
}

void SkipProfile::clear()
{
    segments_.clear();
    weighed_ = 0;
}

std::optional<SkipProfile::Rejection> SkipProfile::rejection(std::int16_t takeLength, std::int32_t within) const
{
    const auto beats = std::upper_bound(segments_.begin(), segments_.end(), takeLength,
                                        [](std::int16_t t, const Segment& s) { return t < s.best; });
    if (beats == segments_.end() || beats->first > within) return std::nullopt;
    const std::int16_t floor = beats == segments_.begin() ? std::int16_t{-1} : std::prev(beats)->best;
    return Rejection{beats->first, beats->callsAtFirst, beats->best, floor};
}

}  // namespace velmora
