#include "engine/length/sweep/column_sweep.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <type_traits>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "engine/length/sweep/column_pipeline.h"
#include "engine/length/sweep/limb_sweep.h"
#include "engine/length/sweep/queried_pairs.h"
#include "engine/length/sweep/skip_maxima.h"

namespace velmora {
namespace {

// Counts of single pairs are kept below 2^64; the sums and products the sweep forms from
// them (at most 32,767 terms, times positions below 2^15) stay far below 2^127.
using Wide = __int128;
constexpr Wide kLargestWordCount = std::numeric_limits<std::uint64_t>::max();

struct NeedsExactIntegers {};  // a pair's count passed 64 bits

// The arithmetic of the sweep, in the forms it uses, for both count types.
inline void setSum(mpz_class& r, const mpz_class& a, const mpz_class& b)
{
    mpz_add(r.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
}
inline void setSum(Wide& r, Wide a, Wide b) { r = a + b; }
inline void setDifference(mpz_class& r, const mpz_class& a, const mpz_class& b)
{
    mpz_sub(r.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
}
inline void setDifference(Wide& r, Wide a, Wide b) { r = a - b; }
inline void addTo(mpz_class& r, const mpz_class& a) { mpz_add(r.get_mpz_t(), r.get_mpz_t(), a.get_mpz_t()); }
inline void addTo(Wide& r, Wide a) { r += a; }
inline void subtractFrom(mpz_class& r, const mpz_class& a) { mpz_sub(r.get_mpz_t(), r.get_mpz_t(), a.get_mpz_t()); }
inline void subtractFrom(Wide& r, Wide a) { r -= a; }
inline void addOne(mpz_class& r, const mpz_class& a) { mpz_add_ui(r.get_mpz_t(), a.get_mpz_t(), 1); }
inline void addOne(Wide& r, Wide a) { r = a + 1; }
inline void setProduct(mpz_class& r, const mpz_class& a, unsigned long m)
{
    mpz_mul_ui(r.get_mpz_t(), a.get_mpz_t(), m);
}
inline void setProduct(Wide& r, Wide a, unsigned long m) { r = a * static_cast<Wide>(m); }
inline void addProduct(mpz_class& r, const mpz_class& a, unsigned long m)
{
    mpz_addmul_ui(r.get_mpz_t(), a.get_mpz_t(), m);
}
inline void addProduct(Wide& r, Wide a, unsigned long m) { r += a * static_cast<Wide>(m); }
inline void subtractProduct(mpz_class& r, const mpz_class& a, unsigned long m)
{
    mpz_submul_ui(r.get_mpz_t(), a.get_mpz_t(), m);
}
inline void subtractProduct(Wide& r, Wide a, unsigned long m) { r -= a * static_cast<Wide>(m); }
// r takes a's value; a is left with any value.
inline void moveFrom(mpz_class& r, mpz_class& a) { mpz_swap(r.get_mpz_t(), a.get_mpz_t()); }
inline void moveFrom(Wide& r, const Wide& a) { r = a; }
inline void requireFits(const mpz_class&) {}
inline void requireFits(Wide value)
{
    if (value > kLargestWordCount) throw NeedsExactIntegers{};
}
inline mpz_class toExact(const mpz_class& value) { return value; }
inline mpz_class toExact(Wide value)
{
    mpz_class exact = toMpz(static_cast<std::uint64_t>(value >> 64));
    exact <<= 64;
    return exact + toMpz(static_cast<std::uint64_t>(value));
}

using Queries = sweep::QueriedPairs;

// One sweep over all the columns with one count type.
template <class Count>
class Sweep {
public:
    // Each queried pair's nested invocations go to (*each)[its index] as well, if asked.
    Sweep(std::u16string_view first, std::u16string_view second, const Queries& queries,
          std::vector<mpz_class>* each = nullptr)
        : first_(first),
          second_(second),
          a_(static_cast<std::int32_t>(first.size())),
          b_(static_cast<std::int32_t>(second.size())),
          queries_(queries),
          each_(each),
          skipValue_(static_cast<std::size_t>(a_) + 2, -1),
          skipCalls_(static_cast<std::size_t>(a_) + 2)
    {
        for (auto& column : columns_) column = std::make_unique<Column>(static_cast<std::size_t>(a_) + 2);
    }

    // The invocations nested in the queried pairs, and CommonLength(first, second).
    std::pair<mpz_class, std::int16_t> run(ComputationControl* control);
    // Every pair's count into `table`, as a small part of a computation whose progress
    // this sweep does not report.
    void keepEveryPair(std::uint64_t* table) { everyPair_ = table; }

private:
    // One column's values, and how far down it is finished: every row from `done` to the
    // end is final. The column to its left reads it from there.
    struct Column {
        explicit Column(std::size_t rows) : length(rows), nested(rows) {}
        std::vector<std::int16_t> length;
        std::vector<Count> nested;
        sweep::ColumnProgress progress;
    };
    class Worker;

    Column& column(std::int32_t j) { return *columns_[static_cast<std::size_t>(j % 3)]; }

    std::u16string_view first_, second_;
    std::int32_t a_, b_;
    const Queries& queries_;
    std::vector<mpz_class>* each_;
    // Every pair's invocations, column after column, if asked (machine words only).
    std::uint64_t* everyPair_ = nullptr;
    std::unique_ptr<Column> columns_[3];  // three in flight: j + 1, j, j - 1
    // Per position q of the first text: the skip value of first[q] matched with its
    // partner at or after the column being swept (-1 without one), and the invocations of
    // that call.
    std::vector<std::int16_t> skipValue_;
    std::vector<Count> skipCalls_;
    sweep::ColumnPipeline* pipeline_ = nullptr;
    std::int16_t firstLength_ = 0;
};

// The working state of one thread: the candidates of the current segment and the stack
// of running maxima of its skip values.
template <class Count>
class Sweep<Count>::Worker {
public:
    explicit Worker(Sweep& sweep) : s_(sweep)
    {
        const auto rows = static_cast<std::size_t>(s_.a_) + 1;
        takeCallsBefore_.resize(rows);
        suffixFrom_.resize(rows + 1);
        stack_.resize(rows);
    }

    // Column j into `out`, reading the finished rows of `right` (column j + 1) as they
    // come; a value of `right` that nothing reads any more is moved instead of copied.
    void sweep(std::int32_t j, Column& out, Column& right);
    // The invocations of the queried pairs that this worker's columns hold.
    const Count& counted() const { return counted_; }

private:
    using StackEntry = sweep::SkipMaximum<Count>;

    void resetSegment(std::int32_t end);
    void pushSkipped(std::int32_t i);
    void weigh(StackEntry& entry, std::int32_t candidatesFrom);
    // The skip calls of the segment from position + 1 to its end.
    const Count& suffixAfter(std::int32_t position) const
    {
        return suffixFrom_[static_cast<std::size_t>(position) + 1];
    }
    const Count& suffix() const { return suffixFrom_[static_cast<std::size_t>(segmentTop_)]; }

    Sweep& s_;
    Count counted_{};
    std::int32_t rightDone_ = 0;  // as far as the right-hand column was last seen finished
    // The candidates of the current segment in the order the sweep meets them (farthest
    // first, so the take values never fall), and the prefix sums of their take calls.
    sweep::TakeValues takeValue_;
    std::vector<Count> takeCallsBefore_;
    // suffixFrom_[q]: the skip calls of the segment's skipped characters from q to its end.
    std::vector<Count> suffixFrom_;
    std::int32_t segmentTop_ = 0;    // the topmost skipped character so far (the segment's end + 1: none)
    std::vector<StackEntry> stack_;  // bottom first: entry 0 holds the largest skip value
    std::size_t stackSize_ = 0;
    Count weights_{}, scratch_{};
};

template <class Count>
std::pair<mpz_class, std::int16_t> Sweep<Count>::run(ComputationControl* control)
{
    // Column b + 1 is the empty remainder: all zeros, all finished.
    Column& beyond = column(b_ + 1);
    std::fill(beyond.length.begin(), beyond.length.end(), std::int16_t{0});
    for (auto& n : beyond.nested) n = 0;
    beyond.progress.begin(b_ + 1, 0);

    Worker workers[2] = {Worker(*this), Worker(*this)};
    sweep::ColumnPipeline pipeline(b_, a_, control);
    if (everyPair_) pipeline.keepProgressUnreported();
    pipeline_ = &pipeline;
    pipeline.run([&](const sweep::ColumnTurn& turn, int worker) {
        workers[worker].sweep(turn.first, column(turn.first), column(turn.first + 1));
    });
    Count nested = workers[0].counted();
    addTo(nested, workers[1].counted());
    return {toExact(nested), firstLength_};
}

// A new segment of skipped characters begins above row `end`.
template <class Count>
void Sweep<Count>::Worker::resetSegment(std::int32_t end)
{
    stackSize_ = 0;
    segmentTop_ = end;
    suffixFrom_[static_cast<std::size_t>(end)] = 0;
    weights_ = 0;
}

template <class Count>
void Sweep<Count>::Worker::sweep(std::int32_t j, Column& out, Column& right)
{
    const auto& queried = s_.queries_[static_cast<std::size_t>(j)];
    auto nextQuery = queried.begin();
    const char16_t c = s_.second_[static_cast<std::size_t>(j - 1)];
    const auto end = static_cast<std::size_t>(s_.a_) + 1;
    rightDone_ = std::numeric_limits<std::int32_t>::max();
    out.progress.begin(j, s_.a_);
    out.length[end] = 0;
    out.nested[end] = 0;
    takeValue_.clear();
    takeCallsBefore_[0] = 0;
    resetSegment(s_.a_ + 1);
    std::int32_t nearest = 0;  // the nearest occurrence of c after i; 0: none

    for (std::int32_t i = s_.a_; i >= 1; --i) {
        s_.pipeline_->waitFor(right.progress, j, i, rightDone_);
        const auto at = static_cast<std::size_t>(i);
        Count& result = out.nested[at];
        if (s_.first_[at - 1] == c) {
            // A match: the scan goes on at (i + 1, j + 1). For the positions above, i is
            // the nearest candidate, and a new segment of skipped characters begins.
            // Column j + 1 at row i + 1 is read here only, so it is moved, not copied.
            out.length[at] = static_cast<std::int16_t>(right.length[at + 1] + 1);
            moveFrom(result, right.nested[at + 1]);
            takeValue_.push(out.length[at]);
            Count& sum = takeCallsBefore_[takeValue_.size()];
            setSum(sum, takeCallsBefore_[takeValue_.size() - 1], result);
            addOne(sum, sum);
            // From now on first[i]'s partner is this column's character.
            s_.skipValue_[at] = out.length[at];
            addOne(s_.skipCalls_[at], result);
            nearest = i;
            resetSegment(i);
        } else if (nearest == 0) {  // c does not occur later: passed over without a call
            out.length[at] = right.length[at];
            result = right.nested[at];
        } else {
            pushSkipped(i);
            const auto nearestAt = static_cast<std::size_t>(nearest);
            const std::size_t candidates = takeValue_.size();
            if (stack_[0].skipValue <= takeValue_.back()) {
                // Accepted: every skipped character repeats the take call once, plus its own.
                // The take calls T of the nearest candidate are 1 + the scan after its
                // match, so the whole is (offset + 1) * T + skip calls - 1. They are read
                // from the prefix sums: the next column may already be moving this
                // column's values.
                out.length[at] = static_cast<std::int16_t>(right.length[nearestAt + 1] + 1);
                setDifference(scratch_, takeCallsBefore_[candidates], takeCallsBefore_[candidates - 1]);
                setProduct(result, scratch_, static_cast<unsigned long>(nearest - i + 1));
                addTo(result, suffix());
                result -= 1;
            } else {
                // Every candidate is rejected, each at the first skipped character that
                // beats it; then c is passed over.
                out.length[at] = right.length[at];
                setSum(result, weights_, right.nested[at]);
                subtractProduct(result, takeCallsBefore_[candidates], static_cast<unsigned long>(i));
                addProduct(result, suffix(), static_cast<unsigned long>(candidates));
            }
            requireFits(result);
        }
        if constexpr (std::is_same_v<Count, Wide>)
            if (s_.everyPair_) {
                // The invocation itself too, within 64 bits.
                if (result >= kLargestWordCount) throw NeedsExactIntegers{};
                s_.everyPair_[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(s_.a_) + at - 1] =
                    static_cast<std::uint64_t>(result) + 1;
            }
        while (nextQuery != queried.end() && nextQuery->first == i) {
            addTo(counted_, result);
            // The two threads fill different pairs' entries.
            if (s_.each_) (*s_.each_)[nextQuery->second] = toExact(result);
            ++nextQuery;
        }
        if (sweep::ColumnProgress::publishesAt(i)) out.progress.publish(i);
    }
    if (j == 1) s_.firstLength_ = out.length[1];
}

// Adds first[i] to the skipped characters of the segment, keeping the stack of running
// maxima of the skip values (strictly rising from top to bottom).
template <class Count>
void Sweep<Count>::Worker::pushSkipped(std::int32_t i)
{
    const auto at = static_cast<std::size_t>(i);
    const std::int16_t value = s_.skipValue_[at];
    const std::int32_t movedFrom = sweep::popReached(
        stack_, stackSize_, value, [&](const StackEntry& popped) { subtractFrom(weights_, popped.weight); });
    StackEntry& entry = stack_[stackSize_];
    entry.position = i;
    entry.skipValue = value;
    entry.candidatesBelow = takeValue_.beaten(value);
    setSum(suffixFrom_[at], suffixAfter(i), s_.skipCalls_[at]);
    segmentTop_ = i;
    weigh(entry, 0);
    ++stackSize_;
    // The entry beneath now starts where this one ends; unless it gave some up, it keeps its weight.
    if (stackSize_ >= 2 && entry.candidatesBelow > movedFrom) {
        StackEntry& beneath = stack_[stackSize_ - 2];
        subtractFrom(weights_, beneath.weight);
        weigh(beneath, entry.candidatesBelow);
    }
}

// The calls of the candidates rejected at this entry, less the part that depends on the
// scan's start i: sum over them of (position + 1) * take calls - skip calls after it.
template <class Count>
void Sweep<Count>::Worker::weigh(StackEntry& entry, std::int32_t candidatesFrom)
{
    const auto from = static_cast<std::size_t>(candidatesFrom);
    const auto to = static_cast<std::size_t>(std::max(entry.candidatesBelow, candidatesFrom));
    const auto factor = static_cast<unsigned long>(entry.position) + 1;
    if (from != 0) {
        setDifference(scratch_, takeCallsBefore_[to], takeCallsBefore_[from]);
        setProduct(entry.weight, scratch_, factor);
    } else {
        setProduct(entry.weight, takeCallsBefore_[to], factor);
    }
    subtractProduct(entry.weight, suffixAfter(entry.position), static_cast<unsigned long>(to - from));
    addTo(weights_, entry.weight);
}

}  // namespace

ColumnSweep::ColumnSweep(std::u16string_view first, std::u16string_view second, Arithmetic arithmetic)
    : first_(first),
      second_(second),
      arithmetic_(arithmetic)
{
}

mpz_class ColumnSweep::countCalls(const std::vector<Pair>& pairs, ComputationControl* control,
                                  std::int16_t* firstLength)
{
    return sweep(pairs, control, firstLength, nullptr);
}

std::vector<mpz_class> ColumnSweep::countEach(const std::vector<Pair>& pairs, ComputationControl* control)
{
    std::vector<mpz_class> each(pairs.size(), 0);
    sweep(pairs, control, nullptr, &each);
    for (mpz_class& count : each) count += 1;  // the invocation itself
    return each;
}

std::optional<LargeTable<std::uint64_t>> ColumnSweep::countEveryPairInMachineWords(ComputationControl* control)
{
    const auto a = static_cast<std::int32_t>(first_.size()), b = static_cast<std::int32_t>(second_.size());
    // Every pair is written: the table's pages need no clearing of our own, and a corner of
    // millions of pairs costs a few huge-page faults.
    LargeTable<std::uint64_t> table(static_cast<std::size_t>(a) * static_cast<std::size_t>(b));
    if (a == 0 || b == 0) return table;
    const Queries none = sweep::arrangeQueries(std::vector<Pair>{}, a, b);
    Sweep<Wide> sweep(first_, second_, none);
    sweep.keepEveryPair(table.data());
    try {
        sweep.run(control);
    } catch (const NeedsExactIntegers&) {
        return std::nullopt;
    }
    return table;
}

mpz_class ColumnSweep::sweep(const std::vector<Pair>& pairs, ComputationControl* control, std::int16_t* firstLength,
                             std::vector<mpz_class>* each)
{
    const auto a = static_cast<std::int32_t>(first_.size()), b = static_cast<std::int32_t>(second_.size());
    const mpz_class total = toMpz(pairs.size());  // the invocations themselves
    const Queries queries = sweep::arrangeQueries(pairs, a, b);
    usedExactIntegers_ = arithmetic_ != Arithmetic::MachineWordsFirst;
    std::pair<mpz_class, std::int16_t> outcome{0, 0};
    if (a > 0 && b > 0) {
        if (!usedExactIntegers_) {
            try {
                outcome = Sweep<Wide>(first_, second_, queries, each).run(control);
            } catch (const NeedsExactIntegers&) {
                usedExactIntegers_ = true;
            }
        }
        if (arithmetic_ == Arithmetic::GmpIntegers)
            outcome = Sweep<mpz_class>(first_, second_, queries, each).run(control);
        else if (usedExactIntegers_)
            outcome = sweep::sweepInLimbs(first_, second_, queries, each, control,
                                          {.band = band_,
                                           .prefixSumsPerBlock = prefixSumsPerBlock_,
                                           .chunkLimbs = chunkLimbs_,
                                           .unevenBands = unevenBands_});
    }
    if (firstLength) *firstLength = outcome.second;
    return total + outcome.first;
}

std::int16_t ColumnSweep::lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter)
{
    if (first.empty() || second.empty()) {
        counter.add(1);
        return 0;
    }
    checkTextLengths(first.size(), second.size());
    std::int16_t length = 0;
    counter.add(ColumnSweep(first, second).countCalls({{1, 1}}, counter.control(), &length));
    return length;
}

}  // namespace velmora
