#include "engine/invocation_tree.h"

#include <functional>

#include "engine/checked_arithmetic.h"
#include "engine/large_stack.h"
#include "engine/text_limits.h"

namespace velmora {
namespace {

// Walks the scan of one invocation on A[i..], B[j..] as the length function makes it,
// telling `call` of each invocation it makes and learning its result from it. Returns the
// scan's own result.
template <class OnCall>
std::int16_t scan(std::u16string_view A, std::u16string_view B, std::int32_t i, std::int32_t j, OnCall call)
{
    const auto a = static_cast<std::int32_t>(A.size()), b = static_cast<std::int32_t>(B.size());
    const auto at = [](std::u16string_view s, std::int32_t p) { return s[static_cast<std::size_t>(p - 1)]; };
    std::int16_t count = 0;
    while (i <= a && j <= b) {
        if (at(A, i) == at(B, j)) {
            ++count, ++i, ++j;
            continue;
        }
        bool accepted = false;
        std::int32_t k = 0;
        for (; i + k <= a && !accepted; ++k) {
            if (at(A, i + k) != at(B, j)) continue;
            bool rejected = false;
            for (std::int32_t m = 1; m <= k && !rejected; ++m) {
                const char16_t c = at(A, i + m - 1);
                std::int32_t n = j;
                while (n <= b && at(B, n) != c) ++n;
                const std::int16_t take = call(InvocationTree::Call{InvocationTree::Role::Take, i + k, j});
                if (n > b) continue;
                rejected = call(InvocationTree::Call{InvocationTree::Role::Skip, i + m - 1, n}) > take;
            }
            accepted = !rejected;
        }
        if (accepted) {
            ++count;
            i += k;  // k has moved one past the accepted offset
        }
        ++j;
    }
    return count;
}

}  // namespace

InvocationTree::InvocationTree(std::u16string_view first, std::u16string_view second, ComputationControl* control)
    : a_(first),
      b_(second),
      aLength_(static_cast<std::int32_t>(first.size())),
      bLength_(static_cast<std::int32_t>(second.size())),
      control_(control)
{
    if (aLength_ > kLongestText || bLength_ > kLongestText) throw OverflowError(OverflowLimit::TextLength);
}

void InvocationTree::evaluate(std::int32_t i, std::int32_t j)
{
    if (values_.count(key(i, j))) return;
    if (control_) control_->throwIfCancelled();
    mpz_class nested;
    const std::int16_t result = scan(a_, b_, i, j, [&](const Call& call) {
        evaluate(call.i, call.j);
        const Value& child = values_.at(key(call.i, call.j));
        nested += child.nested + 1;
        return child.result;
    });
    values_.emplace(key(i, j), Value{result, std::move(nested)});
}

const InvocationTree::Value& InvocationTree::value(std::int32_t i, std::int32_t j)
{
    if (const auto found = values_.find(key(i, j)); found != values_.end()) return found->second;
    // Invocations nest up to a + b deep.
    runOnLargeStack([&] { evaluate(i, j); });
    return values_.at(key(i, j));
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

std::vector<InvocationTree::Line> InvocationTree::list(const std::vector<Call>& roots, const mpz_class& from,
                                                       std::size_t limit)
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
        lines.push_back({number, depth, root, *current, result(current->i, current->j), calls(current->i, current->j)});
        number += 1;
        path.push_back({children(current->i, current->j), 0, depth + 1});
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
