#include "engine/study/invocation_tree.h"

#include <algorithm>
#include <functional>

#include "engine/base/large_stack.h"
#include "engine/base/text_limits.h"
#include "engine/length/literal/literal_scan.h"

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

InvocationTree::InvocationTree(std::u16string_view first, std::u16string_view second, ComputationControl* control)
    : a_(first),
      b_(second),
      aLength_(static_cast<std::int32_t>(first.size())),
      bLength_(static_cast<std::int32_t>(second.size())),
      control_(control)
{
    checkTextLengths(first.size(), second.size());
}

void InvocationTree::evaluate(std::int32_t i, std::int32_t j)
{
    if (values_.count(pairKey(i, j))) return;
    if (control_) control_->throwIfCancelled();
    mpz_class nested;
    const std::int16_t result = scan(a_, b_, i, j, [&](const Call& call) {
        evaluate(call.i, call.j);
        const Value& child = values_.at(pairKey(call.i, call.j));
        nested += child.nested + 1;
        return child.result;
    });
    values_.emplace(pairKey(i, j), Value{result, std::move(nested)});
}

const InvocationTree::Value& InvocationTree::value(std::int32_t i, std::int32_t j)
{
    if (const auto found = values_.find(pairKey(i, j)); found != values_.end()) return found->second;
    // Invocations nest up to a + b deep.
    runOnLargeStack([&] { evaluate(i, j); });
    return values_.at(pairKey(i, j));
}

std::int16_t InvocationTree::result(std::int32_t i, std::int32_t j) { return value(i, j).result; }

mpz_class InvocationTree::calls(std::int32_t i, std::int32_t j) { return value(i, j).nested + 1; }

std::vector<InvocationTree::Call> InvocationTree::children(std::int32_t i, std::int32_t j)
{
    value(i, j);
    std::vector<Call> calls;
    scan(a_, b_, i, j, [&](const Call& call) {
        calls.push_back(call);
        return value(call.i, call.j).result;
    });
    return calls;
}

std::vector<InvocationTree::PairUse> InvocationTree::uses(const std::vector<Call>& roots)
{
    // Every call makes the two remainders together shorter, so i + j grows along every
    // call: in that order each pair has all its callers' counts before it passes its own on.
    std::unordered_map<PairKey, mpz_class> invoked;
    std::vector<std::pair<std::int32_t, std::int32_t>> reached;
    std::vector<std::pair<std::int32_t, std::int32_t>> pending;
    for (const Call& root : roots) {
        auto [at, fresh] = invoked.try_emplace(pairKey(root.i, root.j), 0);
        at->second += 1;
        if (fresh) pending.emplace_back(root.i, root.j);
    }
    while (!pending.empty()) {
        const auto [i, j] = pending.back();
        pending.pop_back();
        reached.emplace_back(i, j);
        for (const Call& child : children(i, j))
            if (invoked.try_emplace(pairKey(child.i, child.j), 0).second) pending.emplace_back(child.i, child.j);
    }
    std::sort(reached.begin(), reached.end(),
              [](const auto& x, const auto& y) { return x.first + x.second < y.first + y.second; });
    for (const auto& [i, j] : reached) {
        if (control_) control_->throwIfCancelled();
        const mpz_class times = invoked.at(pairKey(i, j));
        for (const Call& child : children(i, j)) invoked.at(pairKey(child.i, child.j)) += times;
    }
    std::vector<PairUse> found;
    found.reserve(reached.size());
    for (const auto& [i, j] : reached) found.push_back({i, j, result(i, j), invoked.at(pairKey(i, j)), calls(i, j)});
    std::sort(found.begin(), found.end(), [](const PairUse& x, const PairUse& y) {
        if (x.invoked != y.invoked) return x.invoked > y.invoked;
        return x.i != y.i ? x.i < y.i : x.j < y.j;
    });
    return found;
}

std::vector<InvocationTree::Line> InvocationTree::list(const std::vector<Call>& roots, const mpz_class& from,
                                                       std::size_t limit, int maxDepth)
{
    struct Frame {
        std::vector<Call> calls;
        std::size_t next;
        int depth;
    };
    std::vector<Line> lines;
    if (limit == 0 || from < 1) return lines;
    mpz_class skip = from - 1, number = 1;
    std::size_t root = 0;
    // Down to the first invocation to list, passing over whole subtrees by their counts.
    for (; root < roots.size(); ++root) {
        const mpz_class size = calls(roots[root].i, roots[root].j);
        if (skip < size) break;
        skip -= size;
        number += size;
    }
    std::vector<Frame> path;
    std::optional<Call> current;
    int depth = 0;
    if (root < roots.size()) current = roots[root];
    while (current && skip > 0) {
        skip -= 1;
        number += 1;
        Frame frame{children(current->i, current->j), 0, depth + 1};
        for (; frame.next < frame.calls.size(); ++frame.next) {
            const Call& child = frame.calls[frame.next];
            const mpz_class size = calls(child.i, child.j);
            if (skip < size) break;
            skip -= size;
            number += size;
        }
        current = frame.calls[frame.next];
        ++frame.next;
        depth = frame.depth;
        path.push_back(std::move(frame));
    }
    // Then in start order: each invocation, then its children, then its next sibling.
    while (current && lines.size() < limit) {
        const mpz_class size = calls(current->i, current->j);
        if (depth > maxDepth) {  // where --from led below the depth shown
            number += size;
        } else {
            lines.push_back({number, depth, root, *current, result(current->i, current->j), size});
            number += 1;
            if (depth < maxDepth)
                path.push_back({children(current->i, current->j), 0, depth + 1});
            else
                number += size - 1;
        }
        current.reset();
        while (!path.empty() && path.back().next == path.back().calls.size()) path.pop_back();
        if (!path.empty()) {
            current = path.back().calls[path.back().next++];
            depth = path.back().depth;
        } else if (++root < roots.size()) {
            current = roots[root];
            depth = 0;
        }
    }
    return lines;
}

}  // namespace velmora
