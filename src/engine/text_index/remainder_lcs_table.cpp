#include "engine/text_index/remainder_lcs_table.h"

#include <algorithm>

namespace velmora {
namespace {

// The clear bits of words, counted by the processor's own instruction where it has one:
// Debian builds for the baseline x86-64, which lacks it, and the library's portable count
// took half the time of an alignment that reads the table often.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELMORA_POPCOUNT_CLONES [[gnu::target_clones("popcnt", "default")]]
#else
#define VELMORA_POPCOUNT_CLONES
#endif

// clear[w] for w = 0 .. words: the clear bits of row[0 .. w - 1].
VELMORA_POPCOUNT_CLONES void countClearBits(const std::uint64_t* row, std::size_t words, std::uint16_t* clear)
{
    clear[0] = 0;
    for (std::size_t w = 0; w < words; ++w)
        clear[w + 1] = static_cast<std::uint16_t>(clear[w] + __builtin_popcountll(~row[w]));
}

// The clear bits among the low `bits` of word (its higher bits are zero).
VELMORA_POPCOUNT_CLONES int clearBits(std::uint64_t word, std::size_t bits)
{
    return static_cast<int>(bits) - __builtin_popcountll(word);
}

}  // namespace

namespace {

constexpr std::size_t kBlocksKept = 16;  // rebuilt blocks at hand: a scan reads rows near two places

}  // namespace

RemainderLcsTable::RemainderLcsTable(std::u16string_view first, std::u16string_view second,
                                     const ComputationControl* control)
    : first_(first),
      second_(second),
      firstLength_(static_cast<std::int32_t>(first.size())),
      secondLength_(static_cast<std::int32_t>(second.size())),
      words_(second.size() / 64 + 1),
      control_(control),
      scratchMask_(words_)
{
    std::unordered_map<char16_t, std::vector<std::int32_t>> bits;
    for (std::int32_t t = 0; t < secondLength_; ++t)
        bits[second_[static_cast<std::size_t>(secondLength_ - 1 - t)]].push_back(t);
    // A character set bit by bit costs its occurrences; one kept whole costs its row.
    for (auto& [c, positions] : bits) {
        if (positions.size() * 8 < words_) {
            sparseBits_.emplace(c, std::move(positions));
            continue;
        }
        std::vector<Word> mask(words_, 0);
        for (const std::int32_t t : positions) mask[static_cast<std::size_t>(t / 64)] |= Word{1} << (t % 64);
        denseMasks_.emplace(c, std::move(mask));
    }
    kept_.push_back(std::vector<Word>(words_, ~Word{0}));  // below the last row: nothing in common
}

// The mask's first `words` words are right; the rest may not be.
const RemainderLcsTable::Word* RemainderLcsTable::maskOf(char16_t c, std::size_t words)
{
    if (const auto dense = denseMasks_.find(c); dense != denseMasks_.end()) return dense->second.data();
    const auto sparse = sparseBits_.find(c);
    if (sparse == sparseBits_.end()) return nullptr;
    std::fill(scratchMask_.begin(), scratchMask_.begin() + static_cast<std::ptrdiff_t>(words), 0);
    for (const std::int32_t t : sparse->second) {  // positions in order
        const auto word = static_cast<std::size_t>(t / 64);
        if (word >= words) break;
        scratchMask_[word] |= Word{1} << (t % 64);
    }
    return scratchMask_.data();
}

// The bit-parallel step: with U the set bits of the row below that match c, the row is
// (V + U) | (V - U), and V - U is V & ~U since U lies within V.
void RemainderLcsTable::nextRow(const Word* below, Word* row, char16_t c, std::size_t words)
{
    const Word* mask = maskOf(c, words);
    if (!mask) {
        std::copy(below, below + words, row);
        return;
    }
    bool carry = false;
    for (std::size_t w = 0; w < words; ++w) {
        const Word v = below[w], u = v & mask[w];
        Word sum;
        const bool out = __builtin_add_overflow(v, u, &sum);
        carry = __builtin_add_overflow(sum, Word{carry}, &sum) || out;
        row[w] = sum | (v & ~u);
    }
}

// Sweeps on until the row below the given block is kept.
void RemainderLcsTable::sweepTo(std::int32_t index)
{
    std::vector<Word> row(words_);
    while (static_cast<std::int32_t>(kept_.size()) <= index) {
        if (control_) control_->throwIfCancelled();
        row = kept_.back();
        const std::int32_t from = firstLength_ - static_cast<std::int32_t>(kept_.size() - 1) * kRowsPerBlock;
        for (std::int32_t i = from; i > std::max(from - kRowsPerBlock, 0); --i)
            nextRow(row.data(), row.data(), first_[static_cast<std::size_t>(i - 1)], words_);
        kept_.push_back(row);
    }
}

RemainderLcsTable::Block& RemainderLcsTable::block(std::int32_t index, std::size_t words)
{
    ++uses_;
    Block* out = nullptr;
    for (Block& kept : blocks_)
        if (kept.index == index) {
            kept.lastUse = uses_;
            if (kept.words >= words) return kept;
            out = &kept;
            break;
        }
    // Built again further: at least twice as far, so that a block asked for ever longer
    // remainders is built a few times, not once per word.
    words = std::min(words_, out ? std::max(words, 2 * out->words) : std::max<std::size_t>(words, 8));
    if (!out) {
        sweepTo(index);
        if (blocks_.size() < kBlocksKept) blocks_.emplace_back();
        out = &*std::min_element(blocks_.begin(), blocks_.end(),
                                 [](const Block& x, const Block& y) { return x.lastUse < y.lastUse; });
        out->index = index;
        out->lastUse = uses_;
    }
    out->words = words;
    out->rows.resize(words * kRowsPerBlock);
    out->clearBefore.resize((words + 1) * kRowsPerBlock);
    // Row r of the block is row firstLength - index * kRowsPerBlock - r of the text.
    const Word* below = kept_[static_cast<std::size_t>(index)].data();
    const std::int32_t top = firstLength_ - index * kRowsPerBlock;
    for (std::int32_t r = 0; r < kRowsPerBlock && top - r >= 1; ++r) {
        Word* row = &out->rows[static_cast<std::size_t>(r) * words];
        nextRow(below, row, first_[static_cast<std::size_t>(top - r - 1)], words);
        std::uint16_t* clear = &out->clearBefore[static_cast<std::size_t>(r) * (words + 1)];
        countClearBits(row, words, clear);
        below = row;
    }
    return *out;
}

std::int32_t RemainderLcsTable::at(std::int32_t i, std::int32_t j)
{
    if (i > firstLength_ || j > secondLength_) return 0;
    const std::int32_t index = (firstLength_ - i) / kRowsPerBlock, r = (firstLength_ - i) % kRowsPerBlock;
    const auto bits = static_cast<std::size_t>(secondLength_ - j + 1);  // second[j..] read backwards
    const std::size_t whole = bits / 64, rest = bits % 64;
    const Block& rows = block(index, whole + 1);
    std::int32_t clear = rows.clearBefore[static_cast<std::size_t>(r) * (rows.words + 1) + whole];
    if (rest) {
        const Word word = rows.rows[static_cast<std::size_t>(r) * rows.words + whole];
        clear += clearBits(word & ((Word{1} << rest) - 1), rest);
    }
    return clear;
}

}  // namespace velmora
