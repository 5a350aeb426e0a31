#include "engine/study/invocation_tree.h"

#include <algorithm>
#include <optional>

#include "engine/base/text_limits.h"
#include "engine/length/literal/literal_scan.h"
#include "engine/length/sweep/column_sweep.h"

namespace velmora {
namespace {

// Replays the scan of one invocation on A[i..], B[j..] as the length function makes it,
// telling `call` of each invocation it makes (at positions of the whole texts) and
// learning its result from it. Returns the scan's own result.
template <class OnCall>
std::int16_t scan(std::u16string_view A, std::u16string_view B, std::int32_t i, std::int32_t j, OnCall call)
{
    struct Hooks {
        std::int32_t i, j;
        OnCall& call;
        bool afford(std::uint64_t) { return true; }
        std::int16_t invoke(literal::CallRole role, std::int16_t p1, std::int16_t p2)
        {
            const auto kind = role == literal::CallRole::Take ? InvocationTree::Role::Take : InvocationTree::Role::Skip;
            return call(InvocationTree::Call{kind, i + p1 - 1, j + p2 - 1});
        }
    } hooks{i, j, call};
    return literal::scanRemainders(A.substr(static_cast<std::size_t>(i - 1)), B.substr(static_cast<std::size_t>(j - 1)),
                                   hooks);
}

}  // namespace

InvocationTree::InvocationTree(std::u16string_view first, std::u16string_view second, ComputationControl* control,
                               CountSource source)
    : a_(first),
      b_(second),
      control_(control),
      source_(std::move(source)),
      lengths_((checkTextLengths(first.size(), second.size()), first), second, control)
{
}

std::int16_t InvocationTree::result(std::int32_t i, std::int32_t j)
{
    return static_cast<std::int16_t>(lengths_.at(i, j));
}

void InvocationTree::count(const std::vector<Call>& calls)
{
    std::vector<Call> missing;
    for (const Call& call : calls)
        if (counts_.try_emplace(pairKey(call.i, call.j), 0).second) missing.push_back(call);
    if (missing.empty()) return;
    const std::vector<mpz_class> counted = countNow(missing);
    for (std::size_t k = 0; k < missing.size(); ++k) counts_[pairKey(missing[k].i, missing[k].j)] = counted[k];
}

mpz_class InvocationTree::calls(std::int32_t i, std::int32_t j)
{
    count({{Role::Top, i, j}});
    return counts_.at(pairKey(i, j));
}

std::vector<InvocationTree::Call> InvocationTree::children(std::int32_t i, std::int32_t j)
{
    std::vector<Call> calls;
    scan(a_, b_, i, j, [&](const Call& call) {
        calls.push_back(call);
        return result(call.i, call.j);
    });
    return calls;
}

std::vector<InvocationTree::PairUse> InvocationTree::uses(const std::vector<Call>& roots)
{
    // Every call makes the two remainders together shorter, so i + j grows along every
    // call: in that order each pair has all its callers' counts before it passes its own on.
    std::unordered_map<PairKey, mpz_class> invoked;
    std::vector<Call> reached, pending;
    for (const Call& root : roots) {
        auto [at, fresh] = invoked.try_emplace(pairKey(root.i, root.j), 0);
        at->second += 1;
        if (fresh) pending.push_back(root);
    }
    std::unordered_map<PairKey, std::vector<Call>> calledBy;
    while (!pending.empty()) {
        const Call call = pending.back();
        pending.pop_back();
        if (control_) control_->throwIfCancelled();
        reached.push_back(call);
        auto& made = calledBy[pairKey(call.i, call.j)] = children(call.i, call.j);
        for (const Call& child : made)
            if (invoked.try_emplace(pairKey(child.i, child.j), 0).second) pending.push_back(child);
    }
    std::sort(reached.begin(), reached.end(), [](const Call& x, const Call& y) { return x.i + x.j < y.i + y.j; });
    for (const Call& call : reached) {
        const mpz_class times = invoked.at(pairKey(call.i, call.j));
        for (const Call& child : calledBy.at(pairKey(call.i, call.j))) invoked.at(pairKey(child.i, child.j)) += times;
    }
    count(reached);
    std::vector<PairUse> found;
    found.reserve(reached.size());
    for (const Call& call : reached)
        found.push_back({call.i, call.j, result(call.i, call.j), invoked.at(pairKey(call.i, call.j)),
                         counts_.at(pairKey(call.i, call.j))});
    std::sort(found.begin(), found.end(), [](const PairUse& x, const PairUse& y) {
        if (x.invoked != y.invoked) return x.invoked > y.invoked;
        return x.i != y.i ? x.i < y.i : x.j < y.j;
    });
    return found;
}

std::vector<InvocationTree::Call> InvocationTree::childrenFrom(const Call& parent, std::size_t first, std::size_t count)
{
    std::vector<Call> calls;
    std::size_t made = 0;
    scan(a_, b_, parent.i, parent.j, [&](const Call& call) -> std::int16_t {
        if (made++ >= first) calls.push_back(call);
        if (calls.size() == count) return literal::kGaveUp;  // enough: the rest of the scan is not needed
        return result(call.i, call.j);
    });
    return calls;
}

std::vector<mpz_class> InvocationTree::countNow(const std::vector<Call>& calls)
{
    if (calls.empty()) return {};
    if (source_) {
        std::vector<mpz_class> counted;
        counted.reserve(calls.size());
        for (const Call& call : calls) {
            if (control_) control_->throwIfCancelled();
            counted.push_back(source_(call.i, call.j));
        }
        return counted;
    }
    // One whole sweep keeps its state every so many columns; each count then sweeps from
    // the nearest kept column on, over the rest of the texts from the pairs it counts.
    if (!kept_) kept_ = std::make_unique<SweepCheckpoints>(a_, b_, control_);
    std::vector<ColumnSweep::Pair> pairs;
    pairs.reserve(calls.size());
    for (const Call& call : calls) pairs.push_back({call.i, call.j});
    return kept_->countEach(pairs, control_);
}

// The calls of one invocation, a window at a time: an invocation of long texts makes
// millions of calls, and a listing keeps a frame for every level it is in.
struct InvocationTree::Frame {
    Call parent;
    int depth;
    std::size_t next = 0, windowStart = 0;
    std::vector<Call> window;
    bool ended = false;
};

std::optional<InvocationTree::Call> InvocationTree::nextChild(Frame& frame, std::size_t window)
{
    if (frame.next - frame.windowStart >= frame.window.size()) {
        if (frame.ended) return std::nullopt;
        frame.windowStart = frame.next;
        frame.window = childrenFrom(frame.parent, frame.next, window);
        frame.ended = frame.window.size() < window;
        if (frame.window.empty()) return std::nullopt;
    }
    return frame.window[frame.next++ - frame.windowStart];
}

std::vector<InvocationTree::Line> InvocationTree::list(const std::vector<Call>& roots, const mpz_class& from,
                                                       std::size_t limit, int maxDepth)
{
    // Windows of calls: small while listing, and on the way down growing from small to
    // large, each window counted at once.
    constexpr std::size_t kListingWindow = 64, kFirstDescentWindow = 16, kDescentWindow = 1 << 14;
    std::vector<Line> lines;
    if (limit == 0 || from < 1 || roots.empty()) return lines;
    mpz_class skip = from - 1, number = 1;
    std::size_t root = 0;
    // Down to the first invocation to list, passing over whole subtrees by their counts.
    const std::vector<mpz_class> rootCounts = skip > 0 ? countNow(roots) : std::vector<mpz_class>();
    for (; skip > 0 && root < roots.size(); ++root) {
        if (skip < rootCounts[root]) break;
        skip -= rootCounts[root];
        number += rootCounts[root];
    }
    std::vector<Frame> path;
    std::optional<Call> current;
    int depth = 0;
    if (root < roots.size()) current = roots[root];
    while (current && skip > 0) {
        skip -= 1;
        number += 1;
        Frame frame{*current, depth + 1, 0, 0, {}, false};
        // The first children lie nearest the invocation's own pair, so counting them sweeps
        // few columns, and they hold most of its count: the window starts small and grows.
        for (std::size_t descentWindow = kFirstDescentWindow;;
             descentWindow = std::min(descentWindow * 4, kDescentWindow)) {
            const std::size_t first = frame.next;
            std::vector<Call> window;
            for (std::size_t k = 0; k < descentWindow; ++k) {
                const auto child = nextChild(frame, descentWindow);
                if (!child) break;
                window.push_back(*child);
            }
            const std::vector<mpz_class> sizes = countNow(window);
            std::size_t k = 0;
            for (; k < window.size() && skip >= sizes[k]; ++k) {
                skip -= sizes[k];
                number += sizes[k];
            }
            if (k < window.size()) {  // the k-th of this window holds the target
                current = window[k];
                frame.next = first + k + 1;
                frame.window.clear();
                frame.windowStart = frame.next;
                frame.ended = false;
                break;
            }
        }
        depth = frame.depth;
        path.push_back(std::move(frame));
    }
    // Then in start order: each invocation, then its children, then its next sibling. The
    // walk comes first, its counts in one sweep after; an invocation below maxDepth (where
    // --from led) is walked over, not listed.
    struct Walked {
        Call call;
        int depth;
        std::size_t root;
        bool descended;  // its children come next
    };
    std::vector<Walked> walked;
    std::size_t listed = 0;
    while (current && listed < limit) {
        if (control_) control_->throwIfCancelled();
        listed += depth <= maxDepth;
        Frame below{*current, depth + 1, 0, 0, {}, false};
        std::optional<Call> firstChild;
        if (depth < maxDepth) firstChild = nextChild(below, kListingWindow);
        walked.push_back({*current, depth, root, firstChild.has_value()});
        current.reset();
        if (firstChild) {
            current = firstChild;
            depth = below.depth;
            path.push_back(std::move(below));
            continue;
        }
        while (!path.empty() && !(current = nextChild(path.back(), kListingWindow))) path.pop_back();
        if (current) {
            depth = path.back().depth;
        } else if (++root < roots.size()) {
            current = roots[root];
            depth = 0;
        }
    }
    std::vector<Call> walkedCalls;
    for (const Walked& w : walked) walkedCalls.push_back(w.call);
    count(walkedCalls);
    for (const Walked& w : walked) {
        const mpz_class& size = counts_.at(pairKey(w.call.i, w.call.j));
        if (w.depth <= maxDepth) lines.push_back({number, w.depth, w.root, w.call, result(w.call.i, w.call.j), size});
        // The next one walked is its first child, or comes after its whole subtree.
        number += w.descended ? mpz_class(1) : size;
    }
    return lines;
}

}  // namespace velmora
