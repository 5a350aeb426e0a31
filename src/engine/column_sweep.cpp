#include "engine/column_sweep.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <functional>
#include <thread>

#include "engine/checked_arithmetic.h"
#include "engine/text_limits.h"

namespace velmora {

// One column's values, and how far down it is finished: every row from `done` to the end
// is final. The column to its left reads it from there.
struct ColumnSweep::Column {
    explicit Column(std::size_t rows) : length(rows), nested(rows) {}
    std::vector<std::int16_t> length;
    std::vector<mpz_class> nested;
    alignas(64) std::atomic<std::int32_t> column{0};  // the column held now
    std::atomic<std::int32_t> done{0};
    char padding[64 - 2 * sizeof(std::atomic<std::int32_t>)];
};

namespace {
// Progress is published, and waited for, in blocks of rows: a row at a time would keep
// the two threads trading one cache line.
constexpr std::int32_t kRowsPerStep = 64;
}  // namespace

// The working state of one thread: the candidates of the current segment and the stack
// of running maxima of its skip values.
class ColumnSweep::Worker {
public:
    explicit Worker(ColumnSweep& sweep) : s_(sweep)
    {
        const auto rows = static_cast<std::size_t>(s_.a_) + 1;
        takeValue_.reserve(rows);
        takeCallsBefore_.resize(rows);
        stack_.resize(rows);
    }

    // Column j into `out`, reading the finished rows of `right` (column j + 1) as they
    // come; a value of `right` that nothing reads any more is moved instead of copied.
    void sweep(std::int32_t j, Column& out, Column& right);
    // The invocations of the queried pairs that this worker's columns hold.
    const mpz_class& counted() const { return counted_; }

private:
    struct StackEntry {
        std::int32_t position = 0;
        std::int16_t skipValue = 0;
        std::int32_t candidatesBelow = 0;  // candidates rejected here or nearer: [0, this)
        mpz_class suffixAfter;             // skip calls from position + 1 to the segment's end
        mpz_class weight;                  // this entry's share of the rejected candidates' calls
    };

    void waitFor(const Column& right, std::int32_t row);
    void resetSegment();
    void pushSkipped(std::int32_t i);
    void weigh(StackEntry& entry, std::int32_t candidatesFrom);

    ColumnSweep& s_;
    mpz_class counted_;
    std::int32_t column_ = 0;
    std::int32_t rightDone_ = 0;  // as far as the right-hand column was last seen finished
    // The candidates of the current segment in the order the sweep meets them (farthest
    // first, so the take values never fall), and the prefix sums of their take calls.
    std::vector<std::int16_t> takeValue_;
    std::vector<mpz_class> takeCallsBefore_;
    std::vector<StackEntry> stack_;  // bottom first: entry 0 holds the largest skip value
    std::size_t stackSize_ = 0;
    mpz_class suffix_, weights_, scratch_;
};

ColumnSweep::ColumnSweep(std::u16string_view first, std::u16string_view second)
    : first_(first),
      second_(second),
      a_(static_cast<std::int32_t>(first.size())),
      b_(static_cast<std::int32_t>(second.size())),
      skipValue_(static_cast<std::size_t>(a_) + 2, -1),
      skipCalls_(static_cast<std::size_t>(a_) + 2)
{
    for (int c = 0; c < 3; ++c) columns_.push_back(std::make_unique<Column>(static_cast<std::size_t>(a_) + 2));
}

ColumnSweep::~ColumnSweep() = default;

mpz_class ColumnSweep::countCalls(const std::vector<Pair>& pairs, ComputationControl* control,
                                  std::int16_t* firstLength)
{
    mpz_class total;
    queries_.assign(static_cast<std::size_t>(b_) + 1, {});
    for (const Pair& pair : pairs) {
        total += 1;  // the invocation itself
        if (pair.i >= 1 && pair.i <= a_ && pair.j >= 1 && pair.j <= b_)
            queries_[static_cast<std::size_t>(pair.j)].push_back(pair.i);
    }
    for (auto& rows : queries_) std::sort(rows.begin(), rows.end(), std::greater<>());
    firstLength_ = 0;
    if (a_ > 0 && b_ > 0) {
        // Column b + 1 is the empty remainder: all zeros, all finished.
        Column& beyond = *columns_[static_cast<std::size_t>((b_ + 1) % 3)];
        std::fill(beyond.length.begin(), beyond.length.end(), std::int16_t{0});
        for (auto& n : beyond.nested) n = 0;
        beyond.done.store(1);
        beyond.column.store(b_ + 1, std::memory_order_release);
        stop_.store(false);
        columnsDone_.store(0);

        Worker leader(*this), follower(*this);
        std::exception_ptr failure;
        // A second thread pays off only where the columns are long enough to overlap.
        if (b_ >= 2 && a_ >= 256 && std::thread::hardware_concurrency() > 1) {
            std::thread second([&] {
                try {
                    sweepColumns(b_ - 1, 2, follower, control);
                } catch (...) {
                    failure = std::current_exception();
                    stop_.store(true);
                }
            });
            try {
                sweepColumns(b_, 2, leader, control);
            } catch (...) {
                stop_.store(true);
                second.join();
                throw;
            }
            second.join();
            if (failure) std::rethrow_exception(failure);
        } else {
            sweepColumns(b_, 1, leader, control);
        }
        total += leader.counted();
        total += follower.counted();
    }
    if (firstLength) *firstLength = firstLength_;
    return total;
}

void ColumnSweep::sweepColumns(std::int32_t firstColumn, std::int32_t step, Worker& worker,
                               ComputationControl* control)
{
    for (std::int32_t j = firstColumn; j >= 1; j -= step) {
        if (stop_.load(std::memory_order_relaxed)) throw CancelledError();
        if (control) control->throwIfCancelled();
        worker.sweep(j, *columns_[static_cast<std::size_t>(j % 3)], *columns_[static_cast<std::size_t>((j + 1) % 3)]);
        const std::int32_t done = columnsDone_.fetch_add(1) + 1;
        if (control) control->reportFraction(static_cast<int>(std::int64_t{done} * 1000000 / b_));
    }
}

void ColumnSweep::Worker::waitFor(const Column& right, std::int32_t row)
{
    // Rows further down the right-hand column are what this row reads.
    if (rightDone_ <= row) return;
    for (unsigned spins = 0;; ++spins) {
        if (right.column.load(std::memory_order_acquire) == column_ + 1) {
            rightDone_ = right.done.load(std::memory_order_acquire);
            if (rightDone_ <= row) return;
        }
        if (s_.stop_.load(std::memory_order_relaxed)) throw CancelledError();
        // The other thread is a block of rows ahead: usually a short wait.
        if (spins < 2000) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
}

void ColumnSweep::Worker::resetSegment()
{
    stackSize_ = 0;
    suffix_ = 0;
    weights_ = 0;
}

void ColumnSweep::Worker::sweep(std::int32_t j, Column& out, Column& right)
{
    const std::vector<std::int32_t>& queried = s_.queries_[static_cast<std::size_t>(j)];
    auto nextQuery = queried.begin();
    const char16_t c = s_.second_[static_cast<std::size_t>(j - 1)];
    const auto end = static_cast<std::size_t>(s_.a_) + 1;
    column_ = j;
    rightDone_ = std::numeric_limits<std::int32_t>::max();
    out.done.store(s_.a_ + 1);
    out.column.store(j, std::memory_order_release);
    out.length[end] = 0;
    out.nested[end] = 0;
    takeValue_.clear();
    takeCallsBefore_[0] = 0;
    resetSegment();
    std::int32_t nearest = 0;  // the nearest occurrence of c after i; 0: none

    for (std::int32_t i = s_.a_; i >= 1; --i) {
        waitFor(right, i);
        const auto at = static_cast<std::size_t>(i);
        if (s_.first_[at - 1] == c) {
            // A match: the scan goes on at (i + 1, j + 1). For the positions above, i is
            // the nearest candidate, and a new segment of skipped characters begins.
            // Column j + 1 at row i + 1 is read here only, so it is moved, not copied.
            out.length[at] = static_cast<std::int16_t>(right.length[at + 1] + 1);
            mpz_swap(out.nested[at].get_mpz_t(), right.nested[at + 1].get_mpz_t());
            takeValue_.push_back(out.length[at]);
            const mpz_ptr sum = takeCallsBefore_[takeValue_.size()].get_mpz_t();
            mpz_add(sum, takeCallsBefore_[takeValue_.size() - 1].get_mpz_t(), out.nested[at].get_mpz_t());
            mpz_add_ui(sum, sum, 1);
            // From now on first[i]'s partner is this column's character.
            s_.skipValue_[at] = out.length[at];
            mpz_add_ui(s_.skipCalls_[at].get_mpz_t(), out.nested[at].get_mpz_t(), 1);
            nearest = i;
            resetSegment();
        } else if (nearest == 0) {  // c does not occur later: passed over without a call
            out.length[at] = right.length[at];
            out.nested[at] = right.nested[at];
        } else {
            pushSkipped(i);
            const auto nearestAt = static_cast<std::size_t>(nearest);
            const mpz_ptr result = out.nested[at].get_mpz_t();
            if (stack_[0].skipValue <= takeValue_.back()) {
                // Accepted: every skipped character repeats the take call once, plus its own.
                // The take calls T of the nearest candidate are 1 + the scan after its
                // match, so the whole is (offset + 1) * T + skip calls - 1. They are read
                // from the prefix sums: the next column may already be moving this
                // column's values.
                out.length[at] = static_cast<std::int16_t>(right.length[nearestAt + 1] + 1);
                const std::size_t candidates = takeValue_.size();
                mpz_sub(scratch_.get_mpz_t(), takeCallsBefore_[candidates].get_mpz_t(),
                        takeCallsBefore_[candidates - 1].get_mpz_t());
                mpz_mul_ui(result, scratch_.get_mpz_t(), static_cast<unsigned long>(nearest - i + 1));
                mpz_add(result, result, suffix_.get_mpz_t());
                mpz_sub_ui(result, result, 1);
            } else {
                // Every candidate is rejected, each at the first skipped character that
                // beats it; then c is passed over.
                out.length[at] = right.length[at];
                const auto candidates = takeValue_.size();
                mpz_set(result, weights_.get_mpz_t());
                mpz_submul_ui(result, takeCallsBefore_[candidates].get_mpz_t(), static_cast<unsigned long>(i));
                mpz_addmul_ui(result, suffix_.get_mpz_t(), static_cast<unsigned long>(candidates));
                mpz_add(result, result, right.nested[at].get_mpz_t());
            }
        }
        while (nextQuery != queried.end() && *nextQuery == i) {
            counted_ += out.nested[at];
            ++nextQuery;
        }
        if (i % kRowsPerStep == 0 || i == 1) out.done.store(i, std::memory_order_release);
    }
    if (j == 1) s_.firstLength_ = out.length[1];
}

// Adds first[i] to the skipped characters of the segment, keeping the stack of running
// maxima of the skip values (strictly rising from top to bottom).
void ColumnSweep::Worker::pushSkipped(std::int32_t i)
{
    const auto at = static_cast<std::size_t>(i);
    const std::int16_t value = s_.skipValue_[at];
    std::int32_t movedFrom = 0;  // the popped entries' candidates all move to the new one
    while (stackSize_ > 0 && stack_[stackSize_ - 1].skipValue <= value) {
        mpz_sub(weights_.get_mpz_t(), weights_.get_mpz_t(), stack_[stackSize_ - 1].weight.get_mpz_t());
        movedFrom = stack_[stackSize_ - 1].candidatesBelow;
        --stackSize_;
    }
    StackEntry& entry = stack_[stackSize_];
    entry.position = i;
    entry.skipValue = value;
    entry.candidatesBelow = static_cast<std::int32_t>(
        std::lower_bound(takeValue_.begin(), takeValue_.end(), value) - takeValue_.begin());
    entry.suffixAfter = suffix_;
    mpz_add(suffix_.get_mpz_t(), suffix_.get_mpz_t(), s_.skipCalls_[at].get_mpz_t());
    weigh(entry, 0);
    ++stackSize_;
    // The entry beneath now starts where this one ends; unless it gave some up, it keeps its weight.
    if (stackSize_ >= 2 && entry.candidatesBelow > movedFrom) {
        StackEntry& beneath = stack_[stackSize_ - 2];
        mpz_sub(weights_.get_mpz_t(), weights_.get_mpz_t(), beneath.weight.get_mpz_t());
        weigh(beneath, entry.candidatesBelow);
    }
}

// The calls of the candidates rejected at this entry, less the part that depends on the
// scan's start i: sum over them of (position + 1) * take calls - skip calls after it.
void ColumnSweep::Worker::weigh(StackEntry& entry, std::int32_t candidatesFrom)
{
    const auto from = static_cast<std::size_t>(candidatesFrom);
    const auto to = static_cast<std::size_t>(std::max(entry.candidatesBelow, candidatesFrom));
    const mpz_srcptr calls = takeCallsBefore_[to].get_mpz_t();
    if (from != 0) {
        mpz_sub(scratch_.get_mpz_t(), calls, takeCallsBefore_[from].get_mpz_t());
        mpz_mul_ui(entry.weight.get_mpz_t(), scratch_.get_mpz_t(), static_cast<unsigned long>(entry.position) + 1);
    } else {
        mpz_mul_ui(entry.weight.get_mpz_t(), calls, static_cast<unsigned long>(entry.position) + 1);
    }
    mpz_submul_ui(entry.weight.get_mpz_t(), entry.suffixAfter.get_mpz_t(), static_cast<unsigned long>(to - from));
    mpz_add(weights_.get_mpz_t(), weights_.get_mpz_t(), entry.weight.get_mpz_t());
}

std::int16_t SweptCommonLength(std::u16string_view first, std::u16string_view second, CallCounter& counter)
{
    if (first.empty() || second.empty()) {
        counter.add(1);
        return 0;
    }
    if (std::max(first.size(), second.size()) > static_cast<std::size_t>(kLongestText))
        throw OverflowError(OverflowLimit::TextLength);
    std::int16_t length = 0;
    counter.add(ColumnSweep(first, second).countCalls({{1, 1}}, counter.control(), &length));
    return length;
}

}  // namespace velmora
