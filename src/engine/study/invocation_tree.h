#pragma once
// The tree of CommonLength invocations, for studying where the count comes from: every
// invocation with its depth, its remainders, its role, its result and the invocations it
// causes, in the order the invocations start.
//
// Nothing is evaluated invocation by invocation. A result is the length of a longest
// common subsequence of the two remainders, read from the remainder LCS table; the calls
// an invocation makes are its scan replayed with those lengths; and the invocations below
// any set of pairs are counted exactly, in one column sweep of the texts for the whole
// set, and remembered. The first count sweeps the whole table once and keeps its state
// every so many columns; every count after it sweeps only from the nearest kept column
// on. A listing walks its lines first and counts them all at once; a listing that starts
// deep inside the tree counts the children of one invocation per level on the way down,
// a few columns each.

#include <cstdint>
#include <functional>
#include <gmpxx.h>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/base/pair_key.h"
#include "engine/length/sweep/sweep_checkpoints.h"
#include "engine/text_index/remainder_lcs_table.h"

namespace velmora {

class InvocationTree {
public:
    enum class Role { Top, Take, Skip };

    // An invocation on first[i..] and second[j..] (1-based; one past the end is empty).
    struct Call {
        Role role;
        std::int32_t i, j;
    };
    struct Line {
        mpz_class number;  // 1-based, in start order
        int depth;
        std::size_t root;  // which of the roots it descends from
        Call call;
        std::int16_t result;
        mpz_class calls;  // itself and every invocation it causes
    };

    // The exact count of one call on (i, j), from an engine that remembers the pairs of a
    // computation on the same texts.
    using CountSource = std::function<mpz_class(std::int32_t i, std::int32_t j)>;

    // The texts must outlive this object. Without a source, counts come from column sweeps.
    InvocationTree(std::u16string_view first, std::u16string_view second, ComputationControl* control = nullptr,
                   CountSource source = {});

    std::int16_t result(std::int32_t i, std::int32_t j);
    // The invocations one call on (i, j) makes, itself included.
    mpz_class calls(std::int32_t i, std::int32_t j);
    // The invocations an invocation on (i, j) makes directly, in order.
    std::vector<Call> children(std::int32_t i, std::int32_t j);

    // A pair of remainders as the forest below `roots` uses it: how many of its
    // invocations are on the pair, and what one invocation on it causes, itself included.
    struct PairUse {
        std::int32_t i, j;
        std::int16_t result;
        mpz_class invoked, each;
    };
    // Up to `count` of the calls an invocation on (i, j) makes, from the first-th (0-based).
    std::vector<Call> childrenFrom(std::int32_t i, std::int32_t j, std::size_t first, std::size_t count)
    {
        return childrenFrom(Call{Role::Top, i, j}, first, count);
    }

    // Every pair the forest reaches, the most invoked first (then by i and j). The invoked
    // counts add up to the forest's invocations.
    std::vector<PairUse> uses(const std::vector<Call>& roots);

    // Up to `limit` invocations of the forest below `roots`, from the from-th (1-based) on,
    // at most maxDepth deep (the roots are at depth 0); deeper subtrees are passed over
    // whole, and the numbers stay those of the whole forest.
    std::vector<Line> list(const std::vector<Call>& roots, const mpz_class& from, std::size_t limit,
                           int maxDepth = std::numeric_limits<int>::max());

private:
    struct Frame;
    // Counts, in one sweep, the pairs among `calls` not counted yet, and remembers them.
    void count(const std::vector<Call>& calls);
    // Counts each of `calls` in one sweep, remembering nothing.
    std::vector<mpz_class> countNow(const std::vector<Call>& calls);
    // Up to `count` of the calls the invocation `parent` makes, from the first-th (0-based).
    std::vector<Call> childrenFrom(const Call& parent, std::size_t first, std::size_t count);
    std::optional<Call> nextChild(Frame& frame, std::size_t window);

    std::u16string_view a_, b_;
    ComputationControl* control_;
    CountSource source_;
    RemainderLcsTable lengths_;
    std::unordered_map<PairKey, mpz_class> counts_;  // invocations of one call on the pair
    std::unique_ptr<SweepCheckpoints> kept_;         // made at the first count
};

}  // namespace velmora
