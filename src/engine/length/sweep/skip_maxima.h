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

// The take values of a column's candidates in the order met (farthest first), which
// never fall: the first, the last, and for each value between the first candidate to
// reach it. How many candidates a skip value beats is then one look-up, not a search over
// them all (a tenth of the sweep's own time at the longest texts went to that search).
class TakeValues {
public:
    void clear() { count_ = 0; }
    void push(std::int16_t value)
    {
        // Values from just above the last one up to this one are first reached here.
        const std::int32_t from = count_ == 0 ? value : last_ + 1;
        if (firstReaching_.size() <= static_cast<std::size_t>(value))
            firstReaching_.resize(static_cast<std::size_t>(value) + 1);
        for (std::int32_t v = from; v <= value; ++v) firstReaching_[static_cast<std::size_t>(v)] = count_;
        if (count_ == 0) first_ = value;
        last_ = value;
        ++count_;
    }
    std::size_t size() const { return static_cast<std::size_t>(count_); }
    std::int16_t back() const { return last_; }
    // How many candidates a skip value beats: those whose take value is below it. Mostly
    // it beats them all: the nearest candidate holds the largest.
    std::int32_t beaten(std::int16_t skipValue) const
    {
        if (skipValue > last_) return count_;
        if (skipValue <= first_) return 0;
        return firstReaching_[static_cast<std::size_t>(skipValue)];
    }

private:
    std::int32_t count_ = 0;
    std::int16_t first_ = 0, last_ = 0;        // the first candidate's take value and the last's
    std::vector<std::int32_t> firstReaching_;  // by value, from the first candidate's up to the last's
};

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
