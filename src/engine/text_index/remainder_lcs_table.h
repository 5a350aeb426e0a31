#pragma once
// The length of a longest common subsequence of first[i..] and second[j..] for any pair,
// which is what CommonLength returns there, without evaluating a single invocation.
//
// The rows are the bit-parallel LCS programme run on both texts reversed: going from
// the end of the first text towards its start, row i holds one bit per position of the
// second text (the second text read backwards), and the length at (i, j) is the number
// of clear bits among the first (length of second[j..]) of them. A row costs one
// multi-word addition. Only every 64th row is kept; a block of 64 rows is rebuilt from
// its kept row when asked for, so the table costs a few MiB for the longest texts, and
// the sweep goes only as far towards the start of the first text as it has been asked.
// The carries of that addition run from the end of the second text towards its start,
// so the words for short remainders of the second text depend on nothing beyond them: a
// block is rebuilt only as far as the remainders asked for reach, and further when asked.

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/base/computation_control.h"

namespace velmora {

class RemainderLcsTable {
public:
    // The texts must outlive this object.
    RemainderLcsTable(std::u16string_view first, std::u16string_view second,
                      const ComputationControl* control = nullptr);

    // LCS(first[i..], second[j..]), 1-based, each up to one past the end of its text.
    std::int32_t at(std::int32_t i, std::int32_t j);

    static constexpr std::int32_t kRowsPerBlock = 64;

private:
    using Word = std::uint64_t;
    struct Block {
        std::int32_t index = -1;
        std::uint64_t lastUse = 0;
        std::size_t words = 0;                   // built of each row, from its start
        std::vector<Word> rows;                  // kRowsPerBlock rows of `words` words
        std::vector<std::uint16_t> clearBefore;  // per row, clear bits in the words before each
    };
    // The first `words` words of row i from those of row i + 1.
    void nextRow(const Word* below, Word* row, char16_t c, std::size_t words);
    const Word* maskOf(char16_t c, std::size_t words);
    void sweepTo(std::int32_t block);
    // The block, built at least `words` words into each row.
    Block& block(std::int32_t index, std::size_t words);

    std::u16string_view first_, second_;
    std::int32_t firstLength_, secondLength_;
    std::size_t words_;
    const ComputationControl* control_;
    // Where each character of the second text stands in it (reversed), as bits: kept
    // whole for frequent characters, and set into a scratch row for the rare ones, so
    // that a text of thousands of different characters costs no more than a few.
    std::unordered_map<char16_t, std::vector<Word>> denseMasks_;
    std::unordered_map<char16_t, std::vector<std::int32_t>> sparseBits_;
    std::vector<Word> scratchMask_;
    // The row below each block: kept_[b] is row firstLength - b * kRowsPerBlock + 1.
    std::vector<std::vector<Word>> kept_;
    std::vector<Block> blocks_;  // the blocks rebuilt last
    std::uint64_t uses_ = 0;
};

}  // namespace velmora
