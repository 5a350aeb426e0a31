#pragma once
// Where a scan of the second text stops passing over characters. At pair (i, j) a
// character second[j] that occurs nowhere in first[i..] is passed over without a call;
// the scan stops at the first j' >= j whose character still occurs in first[i..]. On
// texts of long runs a scan can pass over thousands of characters, so that position is
// found over a table of range maxima instead of one character at a time, by blocks that
// widen and then narrow, so that passing over a few costs a few steps.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/text_index/occurrence_index.h"

namespace velmora {

class PassOverIndex {
public:
    // Both texts at most 32,766 characters; they need not outlive this object. The
    // index of the first text gives each character's last occurrence.
    PassOverIndex(const OccurrenceIndex& firstIndex, std::u16string_view second);

    // The first position j' >= j (1-based) of the second text whose character occurs in
    // first at or after i, or one past the end of the second text when there is none.
    std::int32_t stop(std::int32_t i, std::int32_t j) const;

private:
    std::int32_t secondLength_;
    // level k, position p (0-based): the largest last occurrence in first of the
    // characters second[p + 1 .. p + 2^k], 0 for a character absent from first.
    std::vector<std::vector<std::int16_t>> reach_;
};

}  // namespace velmora
