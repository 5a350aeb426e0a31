#pragma once
// What the characters skipped by a scan's first candidate gave, in a form every later
// candidate can be weighed against at once. The skip lengths do not depend on the
// candidate, so a candidate with take length t is rejected at the first skipped character
// m whose skip length beats t, which is where the running maximum of the skip lengths
// first passes t. The profile keeps that running maximum in segments over m, each
// beginning where the maximum rose, with the invocations of the skip calls up to the
// segment's first character and up to its last: a run of thousands of skipped characters
// that raise nothing is one segment.

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

class SkipProfile {
public:
    // The rejection of a candidate: at skipped character m, after skipCalls invocations of
    // skip calls (those of m included), beaten by skipLength.
    struct Rejection {
        std::int32_t m;
        std::uint64_t skipCalls;
        std::int16_t skipLength;
        std::int16_t floor;  // every take length from here down to floor is rejected at m
    };

    bool empty() const { return weighed_ == 0; }
    std::int32_t weighed() const { return weighed_; }  // skipped characters so far
    std::int16_t best() const { return segments_.empty() ? std::int16_t{-1} : segments_.back().best; }
    std::uint64_t calls() const { return segments_.empty() ? 0 : segments_.back().callsAtEnd; }

    // The next skipped character: its skip length (none when it made no skip call) and the
    // invocations of its skip call.
    void add(std::optional<std::int16_t> skipLength, std::uint64_t calls);
    // count more skipped characters whose skip lengths are at most the best so far.
    void addUnbeaten(std::int32_t count, std::uint64_t calls);
    void clear();

    // Where a candidate of take length takeLength is rejected among the first `within`
    // skipped characters, if it is.
    std::optional<Rejection> rejection(std::int16_t takeLength, std::int32_t within) const;

private:
    struct Segment {
        std::int32_t first, last;  // skipped characters, 1-based
        std::int16_t best;
        std::uint64_t callsAtFirst, callsAtEnd;
    };
    std::vector<Segment> segments_;
    std::int32_t weighed_ = 0;
};

}  // namespace velmora
