#include "engine/length/sweep/limb_sweep.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <memory>

#include "engine/length/sweep/column_pipeline.h"
#include "engine/length/sweep/limb_arithmetic.h"
#include "engine/length/sweep/limb_column.h"
#include "engine/length/sweep/skip_maxima.h"
#include "engine/length/sweep/sweep_layout.h"
#include "engine/length/sweep/take_call_sums.h"

namespace velmora::sweep {
namespace {

class LimbSweep {
public:
    LimbSweep(std::u16string_view first, std::u16string_view second, const QueriedPairs& queries,
              std::vector<mpz_class>* each, const LimbSweepOptions& options)
        : first_(first),
          second_(second),
          a_(static_cast<std::int32_t>(first.size())),
          b_(static_cast<std::int32_t>(second.size())),
          queries_(queries),
          each_(each),
          options_(options),
          startColumn_(options.start ? options.start->column : b_ + 1),
          skipValue_(static_cast<std::size_t>(a_) + 2),
          skipCalls_(static_cast<std::size_t>(a_) + 2)
    {
    }

    std::pair<mpz_class, std::int16_t> run(ComputationControl* control);

private:
    class Worker;
    // One sweep of every column, in bands of `layout`.
    std::pair<mpz_class, std::int16_t> sweepAll(SweepLayout layout, ComputationControl* control);
    // Chunks for about a column of small counts: a sweep over a few hundred rows, as the
    // counts of a tree's children take, should not map megabytes per column.
    std::size_t smallestChunk() const
    {
        if (options_.chunkLimbs > 0) return static_cast<std::size_t>(options_.chunkLimbs);
        return std::clamp<std::size_t>(static_cast<std::size_t>(a_ - options_.lowestRow + 1) * 32, std::size_t{1} << 13,
                                       std::size_t{1} << 19);
    }
    void setStart(LimbColumn& beyond);
    void sweepBand(const ColumnTurn& band, std::vector<std::unique_ptr<Worker>>& workers);
    // The last column of the band-th band (of band -1, the column the sweep starts after),
    // kept whole.
    LimbColumn& lastColumn(std::int32_t band)
    {
        return *lastColumns_[static_cast<std::size_t>(band + 1) % lastColumns_.size()];
    }

    std::u16string_view first_, second_;
    std::int32_t a_, b_;
    const QueriedPairs& queries_;
    std::vector<mpz_class>* each_;
    LimbSweepOptions options_;
    std::int32_t startColumn_;
    // Per position q of the first text: the skip value of first[q] matched with its
    // partner at or after the column being swept (-1 without one), and the invocations of
    // that call.
    std::vector<std::int16_t> skipValue_;
    std::vector<mpz_class> skipCalls_;
    // Columns a band at a time, the two threads taking turns; the band that holds the
    // lowest column.
    SweepLayout layout_{1, 0};
    std::int32_t lowestBand_ = -1;
    // A band's last column is read by the next band, whose first column shares its limbs.
    // A thread starts a band once its previous band is done, and with it every band
    // before. With bands of one column, that first column is the next band's last, whose
    // limbs the band after it reads too: a ring of four reuses a last column only after
    // its readers are done. In wider bands the first column rolls, and its neighbour
    // copies what it would share, so only the next band reads a last column and a ring of
    // three will do. The other columns of a band are read only by their neighbour in the
    // band, a block of rows behind, and roll (see LimbStore::makeRolling). There the
    // three last columns draw their chunks from one pool, and the next band hands a last
    // column's rows back as it reads past them: the ring holds about one column's limbs,
    // not three.
    ChunkPool lastColumnChunks_;
    std::vector<std::unique_ptr<LimbColumn>> lastColumns_;
    std::vector<std::unique_ptr<Worker>> workers_[2];
    ColumnPipeline* pipeline_ = nullptr;
};

// The working state of one thread: the candidates of the column so far, the skipped
// characters of the current segment and the stack of running maxima of their skip values.
class LimbSweep::Worker {
public:
    explicit Worker(LimbSweep& sweep)
        : s_(sweep),
          takeCalls_(static_cast<std::size_t>(sweep.a_) + 2, sweep.smallestChunk()),
          suffixFrom_(static_cast<std::size_t>(sweep.a_) + 2, sweep.smallestChunk())
    {
        const auto rows = static_cast<std::size_t>(s_.a_) + 2;
        stack_.resize(rows);
    }

    // Column j from its last row up, into `out`, reading `right` (column j + 1).
    void start(std::int32_t j, LimbColumn& out, LimbColumn& right);
    // A column inside a band, which only its neighbour reads: it keeps two blocks of rows.
    LimbColumn& insideColumn()
    {
        if (!inside_) {
            inside_ = std::make_unique<LimbColumn>(static_cast<std::size_t>(s_.a_) + 2, s_.smallestChunk());
            inside_->makeRolling();
        }
        return *inside_;
    }
    // The rows from the next one down to `lowest`, which are then published.
    void sweepDownTo(std::int32_t lowest);
    const mpz_class& counted() const { return counted_; }

private:
    // The rejected candidates' calls are gathered from the stack at the row that needs
    // them, so the entries carry no weight.
    using StackEntry = sweep::SkipMaximum<sweep::NoWeight>;

    void resetSegment(std::int32_t end);
    void pushSkipped(std::int32_t i);
    // The skip calls of the segment's skipped characters from q to its end.
    Limbs suffixFrom(std::int32_t q);
    Limbs takeCalls() const { return takeCalls_.total(); }
    mp_limb_t candidates() const { return takeCalls_.candidates(); }

    void match(std::int32_t i, LimbColumn& out, const LimbColumn& right);
    void accept(std::int32_t i, std::int32_t nearest, LimbColumn& out);
    void rejectAtFirst(std::int32_t i, LimbColumn& out, const LimbColumn& right);
    void reject(std::int32_t i, LimbColumn& out, const LimbColumn& right);

    LimbSweep& s_;
    std::unique_ptr<LimbColumn> inside_;
    // The nearest candidate's count, where the column rolls or hands its rows back to the
    // pool behind the next band and may have lost it: copied when a block begins, so once
    // a block rather than at every match, and read from here once `keptNearest_` is the
    // nearest row.
    std::vector<mp_limb_t> nearestCount_;
    std::int32_t keptNearest_ = 0;
    mpz_class counted_;
    SweepState* recording_ = nullptr;  // where this column's state is kept, if it is
    // The column under way, the next row to sweep and the nearest occurrence of c_ below
    // it (0: none).
    std::int32_t j_ = 0, nextRow_ = 0, nearest_ = 0;
    char16_t c_ = 0;
    LimbColumn *out_ = nullptr, *right_ = nullptr;
    const QueriedPairs::value_type* queried_ = nullptr;
    QueriedPairs::value_type::const_iterator nextQuery_;
    std::int32_t rightDone_ = 0;
    TakeCallSums takeCalls_;
    // suffixFrom_[q], valid from suffixValidFrom_ to the segment's end; only the current
    // segment's are kept.
    LimbStore suffixFrom_;
    std::int32_t segmentEnd_ = 0, segmentTop_ = 0, suffixValidFrom_ = 0;
    std::vector<StackEntry> stack_;  // bottom first: entry 0 holds the largest skip value
    std::size_t stackSize_ = 0;
    mpz_class scratch_;
};

std::pair<mpz_class, std::int16_t> LimbSweep::run(ComputationControl* control)
{
    const std::int32_t rows = a_ - options_.lowestRow + 1, columns = startColumn_ - options_.lowestColumn;
    try {
        return sweepAll(layoutFor(rows, columns, options_, false), control);
    } catch (const PrefixSumForgotten&) {
        // A skip value beat only candidates further back than a band keeps: again from the
        // start, keeping every sum, in the bands that leaves room for.
        return sweepAll(layoutFor(rows, columns, options_, true), control);
    }
}

std::pair<mpz_class, std::int16_t> LimbSweep::sweepAll(SweepLayout layout, ComputationControl* control)
{
    layout_ = layout;
    lastColumns_.clear();
    lastColumns_.resize(layout_.band == 1 ? 4 : 3);
    for (auto& column : lastColumns_) {
        column = std::make_unique<LimbColumn>(static_cast<std::size_t>(a_) + 2, smallestChunk());
        if (layout_.band > 1) column->drawFrom(&lastColumnChunks_);
    }
    std::fill(skipValue_.begin(), skipValue_.end(), std::int16_t{-1});
    for (auto& calls : skipCalls_) calls = 0;
    setStart(lastColumn(-1));
    ColumnPipeline pipeline(startColumn_ - 1, a_ - options_.lowestRow + 1, control, layout_.band,
                            options_.lowestColumn);
    if (options_.unevenBands)
        pipeline.fixTurnWidths(layout_.band / 2, layout_.band + layout_.band / 2);
    else if (layout_.prefixSumsPerBlock > 0)
        // Only where every column keeps two blocks of sums: bands that keep them all are
        // as narrow as memory asks.
        pipeline.balanceTurns();
    pipeline_ = &pipeline;
    for (auto& workers : workers_) {
        workers.clear();
        workers.resize(static_cast<std::size_t>(pipeline.widestTurn()));  // made as a band first needs them
    }
    pipeline.run(
        [&](const ColumnTurn& band, int thread) { sweepBand(band, workers_[static_cast<std::size_t>(thread)]); });
    mpz_class nested = 0;
    for (const auto& workers : workers_)
        for (const auto& worker : workers)
            if (worker) nested += worker->counted();
    return {nested, options_.lowestColumn == 1 && options_.lowestRow == 1 ? lastColumn(lowestBand_).length[1]
                                                                          : std::int16_t{0}};
}

// The column the sweep starts after, all final: the empty remainder, or a kept state,
// whose counts are read where the state holds them.
void LimbSweep::setStart(LimbColumn& beyond)
{
    for (std::size_t i = 0; i < beyond.length.size(); ++i) {
        beyond.length[i] = 0;
        beyond.setZero(i);
    }
    if (const SweepState* start = options_.start) {
        for (auto i = static_cast<std::size_t>(options_.lowestRow); i <= static_cast<std::size_t>(a_); ++i) {
            beyond.length[i] = start->length[i];
            beyond.refer(i, start->counts[i]);
            skipValue_[i] = start->skipValue[i];
            const Limbs calls = start->skipCalls[i];
            mpz_t view;
            skipCalls_[i] = mpz_class(integerOf(calls, view));
        }
    }
    beyond.progress.begin(startColumn_, 0);
}

// Columns first down to first - band + 1, a block of rows at a time in each column, so
// that a column reads the rows its neighbour has just written while they are in cache.
void LimbSweep::sweepBand(const ColumnTurn& band, std::vector<std::unique_ptr<Worker>>& workers)
{
    const std::int32_t first = band.first, last = band.first - band.width + 1;
    if (last == options_.lowestColumn) lowestBand_ = band.index;
    LimbColumn& before = lastColumn(band.index - 1);
    LimbColumn* right = &before;
    for (std::int32_t j = first; j >= last; --j) {
        auto& worker = workers[static_cast<std::size_t>(first - j)];
        if (!worker) worker = std::make_unique<Worker>(*this);
        LimbColumn& out = j == last ? lastColumn(band.index) : worker->insideColumn();
        worker->start(j, out, *right);
        right = &out;
    }
    for (std::int32_t i = a_; i >= options_.lowestRow;) {
        pipeline_->throwIfStopped();
        // Down to the next row that is published.
        const std::int32_t lowest =
            std::max(options_.lowestRow, i % kRowsPerStep == 0 ? i : std::max(1, i - i % kRowsPerStep));
        for (std::int32_t j = first; j >= last; --j) workers[static_cast<std::size_t>(first - j)]->sweepDownTo(lowest);
        // The band's first column rolls, and holds the limbs it shares from the column
        // before for two blocks at most: the rows further down are read no more. (A band of
        // one column may share a limb from anywhere, and keeps them all.)
        if (last < first) before.forgetRowsFrom(static_cast<std::size_t>(lowest) + 2 * kRowsPerStep + 1);
        i = lowest - 1;
    }
}

void LimbSweep::Worker::start(std::int32_t j, LimbColumn& out, LimbColumn& right)
{
    j_ = j;
    out_ = &out;
    right_ = &right;
    c_ = s_.second_[static_cast<std::size_t>(j - 1)];
    nextRow_ = s_.a_;
    nearest_ = keptNearest_ = 0;
    queried_ = &s_.queries_[static_cast<std::size_t>(j)];
    nextQuery_ = queried_->begin();
    rightDone_ = std::numeric_limits<std::int32_t>::max();
    out.clear();
    out.progress.begin(j, s_.a_);
    const auto end = static_cast<std::size_t>(s_.a_) + 1;
    out.length[end] = 0;
    out.setZero(end);
    takeCalls_.clear(s_.layout_.prefixSumsPerBlock);
    resetSegment(s_.a_ + 1);
    recording_ = nullptr;
    const std::int32_t every = s_.options_.checkpointEvery;
    if (every > 0 && j % every == 0) {
        auto& kept = (*s_.options_.checkpoints)[static_cast<std::size_t>(j / every - 1)];
        kept = std::make_unique<SweepState>(static_cast<std::size_t>(s_.a_) + 2);
        kept->column = j;
        recording_ = kept.get();
    }
}

void LimbSweep::Worker::sweepDownTo(std::int32_t lowest)
{
    LimbColumn& out = *out_;
    const LimbColumn& right = *right_;
    if ((out.rolling() || out.handsRowsBack()) && nearest_ != 0 && keptNearest_ != nearest_) {
        const Limbs nearest = out[static_cast<std::size_t>(nearest_)];  // before the block overwrites it
        nearestCount_.assign(nearest.limbs, nearest.limbs + nearest.size);
        keptNearest_ = nearest_;
    }
    out.beginBlock(static_cast<std::size_t>(nextRow_));
    for (std::int32_t i = nextRow_; i >= lowest; --i) {
        s_.pipeline_->waitFor(right.progress, j_, i, rightDone_);
        const auto at = static_cast<std::size_t>(i);
        // The next row's skip calls lie anywhere on the heap: fetch their start early.
        if (i > 1) {
            const mpz_srcptr nextCalls = s_.skipCalls_[at - 1].get_mpz_t();
            const mp_limb_t* next = nextCalls->_mp_d;
            const int lines = std::min(16, (std::abs(nextCalls->_mp_size) + 7) / 8);
            for (int line = 0; line < lines; ++line) __builtin_prefetch(next + 8 * line);
        }
        if (s_.first_[at - 1] == c_) {
            match(i, out, right);
            nearest_ = i;
        } else if (nearest_ == 0) {  // c does not occur later: passed over without a call
            out.length[at] = right.length[at];
            out.share(at, right, at);
        } else {
            pushSkipped(i);
            if (stack_[0].skipValue <= takeCalls_.takeValues().back()) {
                out.length[at] = static_cast<std::int16_t>(right.length[static_cast<std::size_t>(nearest_) + 1] + 1);
                accept(i, nearest_, out);
            } else {
                out.length[at] = right.length[at];
                if (stack_[stackSize_ - 1].candidatesBelow == static_cast<std::int32_t>(candidates()))
                    rejectAtFirst(i, out, right);
                else
                    reject(i, out, right);
            }
        }
        while (nextQuery_ != queried_->end() && nextQuery_->first == i) {
            mpz_t view;
            mpz_srcptr result = integerOf(out[at], view);
            mpz_add(counted_.get_mpz_t(), counted_.get_mpz_t(), result);
            // The two threads fill different pairs' entries.
            if (s_.each_) mpz_set((*s_.each_)[nextQuery_->second].get_mpz_t(), result);
            ++nextQuery_;
        }
        if (recording_) {
            recording_->length[at] = out.length[at];
            recording_->counts.copy(at, out[at]);
            recording_->skipValue[at] = s_.skipValue_[at];
            recording_->skipCalls.copy(at, limbsOf(s_.skipCalls_[at]));
        }
    }
    nextRow_ = lowest - 1;
    // The column to the left may overwrite the skip calls of the rows it is given.
    suffixFrom(segmentTop_);
    out.progress.publish(lowest);
}

// A match: the scan goes on at (i + 1, j + 1). For the positions above, i is the nearest
// candidate, and a new segment of skipped characters begins.
void LimbSweep::Worker::match(std::int32_t i, LimbColumn& out, const LimbColumn& right)
{
    const auto at = static_cast<std::size_t>(i);
    out.length[at] = static_cast<std::int16_t>(right.length[at + 1] + 1);
    out.share(at, right, at + 1);
    const Limbs nestedLimbs = out[at];
    takeCalls_.add(out.length[at], nestedLimbs);
    mpz_t view;
    mpz_srcptr nested = integerOf(nestedLimbs, view);
    // From now on first[i]'s partner is this column's character.
    s_.skipValue_[at] = out.length[at];
    makeRoom(s_.skipCalls_[at], out[at].size + 1);
    mpz_add_ui(s_.skipCalls_[at].get_mpz_t(), nested, 1);
    resetSegment(i);
}

// Accepted: the row below (the candidate itself, or an accepted row) plus one take call
// and this character's skip calls.
void LimbSweep::Worker::accept(std::int32_t i, std::int32_t nearest, LimbColumn& out)
{
    const auto at = static_cast<std::size_t>(i);
    const Limbs below = out[at + 1];
    const Limbs take = keptNearest_ == nearest
                           ? Limbs{nearestCount_.data(), static_cast<mp_size_t>(nearestCount_.size())}
                           : out[static_cast<std::size_t>(nearest)];
    const Limbs skip = limbsOf(s_.skipCalls_[at]);
    mp_limb_t* sum = out.reserve(std::max({below.size, take.size, skip.size}) + 3);
    out.commit(at, sum, addSmall(sum, addThree(sum, below, take, skip), 1));
}

// Every candidate rejected at the first skipped character: one take call and one skip
// call each, then c is passed over.
void LimbSweep::Worker::rejectAtFirst(std::int32_t i, LimbColumn& out, const LimbColumn& right)
{
    const auto at = static_cast<std::size_t>(i);
    const Limbs passed = right[at], takes = takeCalls(), skip = limbsOf(s_.skipCalls_[at]);
    mp_limb_t* sum = out.reserve(std::max({passed.size, takes.size, skip.size}) + 3);
    if (candidates() == 1) {
        out.commit(at, sum, addThree(sum, passed, takes, skip));
        return;
    }
    out.commit(at, sum, addTwoAndMultiple(sum, passed, takes, skip, candidates()));
}

// Every candidate rejected, each at the first skipped character that beats it; then c is
// passed over. The entry t of the stack rejects candidates [from, to) at position p: each
// makes its take call p - i + 1 times (c_t) and the skip calls from i to p, so the row adds
//   sum over t of c_t (P[to] - P[from]) + (to - from) (suffix(i) - suffix(p + 1))
// to the row on its right, P being the prefix sums of the take calls. Gathered per prefix
// sum, each is read once: c_t rises from the top down, so an inner one counts
// c_t - c_(t+1) < 0 times and the last, P[candidates], c_bottom times.
void LimbSweep::Worker::reject(std::int32_t i, LimbColumn& out, const LimbColumn& right)
{
    const auto at = static_cast<std::size_t>(i);
    mpz_ptr rejected = scratch_.get_mpz_t();
    mpz_t view;
    mpz_mul_ui(rejected, integerOf(suffixFrom(i), view), static_cast<unsigned long>(candidates()));
    std::int32_t from = 0;
    unsigned long times = 0;  // c of the last entry that rejected any
    for (std::size_t t = stackSize_; t-- > 0;) {
        const StackEntry& entry = stack_[t];
        const std::int32_t to = std::max(entry.candidatesBelow, from);
        if (to == from) continue;
        const auto rejectedHere = static_cast<unsigned long>(entry.position - i + 1);
        if (from != 0)
            mpz_submul_ui(rejected, integerOf(takeCalls_.before(static_cast<std::size_t>(from)), view),
                          rejectedHere - times);
        mpz_submul_ui(rejected, integerOf(suffixFrom(entry.position + 1), view), static_cast<unsigned long>(to - from));
        times = rejectedHere;
        from = to;
    }
    mpz_addmul_ui(rejected, integerOf(takeCalls(), view), times);
    const Limbs passed = right[at], calls = limbsOf(scratch_);
    mp_limb_t* sum = out.reserve(std::max(passed.size, calls.size) + 1);
    out.commit(at, sum, addLimbs(sum, passed, calls));
}

// A new segment of skipped characters begins above row `end`.
void LimbSweep::Worker::resetSegment(std::int32_t end)
{
    stackSize_ = 0;
    segmentEnd_ = segmentTop_ = suffixValidFrom_ = end;
    suffixFrom_.clear();
    suffixFrom_.setZero(static_cast<std::size_t>(end));
}

Limbs LimbSweep::Worker::suffixFrom(std::int32_t q)
{
    while (suffixValidFrom_ > q) {
        const auto at = static_cast<std::size_t>(--suffixValidFrom_);
        const Limbs below = suffixFrom_[at + 1], skip = limbsOf(s_.skipCalls_[at]);
        mp_limb_t* sum = suffixFrom_.reserve(std::max(below.size, skip.size) + 1);
        suffixFrom_.commit(at, sum, addLimbs(sum, below, skip));
    }
    return suffixFrom_[static_cast<std::size_t>(q)];
}

// Adds first[i] to the skipped characters of the segment, keeping the stack of running
// maxima of the skip values (strictly rising from top to bottom).
void LimbSweep::Worker::pushSkipped(std::int32_t i)
{
    const std::int16_t value = s_.skipValue_[static_cast<std::size_t>(i)];
    popReached(stack_, stackSize_, value, [](const StackEntry&) {});
    StackEntry& entry = stack_[stackSize_];
    entry.position = i;
    entry.skipValue = value;
    entry.candidatesBelow = takeCalls_.takeValues().beaten(value);
    segmentTop_ = i;
    ++stackSize_;
}

}  // namespace

// Kept states hold a column each, a few of them: small chunks.
SweepState::SweepState(std::size_t rows)
    : length(rows),
      skipValue(rows, -1),
      counts(rows, std::size_t{1} << 13),
      skipCalls(rows, std::size_t{1} << 13)
{
}

std::pair<mpz_class, std::int16_t> sweepInLimbs(std::u16string_view first, std::u16string_view second,
                                                const QueriedPairs& queries, std::vector<mpz_class>* each,
                                                ComputationControl* control, const LimbSweepOptions& options)
{
    return LimbSweep(first, second, queries, each, options).run(control);
}

}  // namespace velmora::sweep
