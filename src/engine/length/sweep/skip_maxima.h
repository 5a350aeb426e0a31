#pragma once
// The stack both sweeps keep per segment of skipped characters: the running maxima of
// their skip values, strictly rising from the top (the latest skipped character) to the
// bottom, each entry with the run of candidates it rejects first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::sweep {

// An entry's weight where a sweep keeps none.
struct NoWeight {};

// One entry: a skipped character whose skip value beats every one above it.
template <class Weight>
struct SkipMaximum {
    std::int32_t position = 0;
    std::int16_t skipValue = 0;
    std::int32_t candidatesBelow = 0;  // candidates rejected here or nearer: [0, this)
    Weight weight{};                   // this entry's share of the rejected candidates' calls
};

// How many of the candidates (take values in the order met, never falling) a skip value
// beats. Mostly it beats them all: the nearest candidate holds the largest.
inline std::int32_t candidatesBeaten(const std::vector<std::int16_t>& takeValues, std::int16_t skipValue)
{
    if (skipValue > takeValues.back()) return static_cast<std::int32_t>(takeValues.size());
    return static_cast<std::int32_t>(std::lower_bound(takeValues.begin(), takeValues.end(), skipValue) -
                                     takeValues.begin());
}

// Pops the entries a new skip value reaches (their value at most it), calling popped(entry)
// for each, and returns the candidates the last of them held, which all move to the new
// entry (0 if none was popped).
template <class Entry, class Popped>
std::int32_t popReached(std::vector<Entry>& stack, std::size_t& size, std::int16_t skipValue, Popped popped)
{
    std::int32_t movedFrom = 0;
    while (size > 0 && stack[size - 1].skipValue <= skipValue) {
        popped(stack[size - 1]);
        movedFrom = stack[size - 1].candidatesBelow;
        --size;
    }
    return movedFrom;
}

}  // namespace velmora::sweep
