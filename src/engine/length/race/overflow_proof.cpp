#include "engine/length/race/overflow_proof.h"

#include <algorithm>
#include <utility>

#include "engine/base/pair_key.h"
#include "engine/base/saturating.h"
#include "engine/text_index/remainder_lcs_table.h"

namespace velmora {
namespace {

// Weights and counts stick here: a proof needs at most 2^32, and products of two stuck
// values still fit in 128 bits.
constexpr std::uint64_t kStuck = std::uint64_t{1} << 62;

// Where a pair's search in the id table begins: the key's bits mixed, so that the pairs of
// one row or column spread over the table.
std::size_t homeSlot(PairKey pair, std::size_t mask)
{
    return static_cast<std::size_t>((std::uint64_t{pair} * 0x9e3779b97f4a7c15ull) >> 32) & mask;
}
}  // namespace

OverflowProof::OverflowProof(const TextPairIndex& texts, const ComputationControl* control,
                             std::uint64_t laterCandidatesWork, std::uint64_t mostSteps)
    : first_(texts.first()),
      second_(texts.second()),
      firstLength_(texts.firstLength()),
      secondLength_(texts.secondLength()),
      lengths_(texts.lcsTable(control)),
      laterCandidatesWork_(laterCandidatesWork),
      mostSteps_(mostSteps),
      firstIndex_(texts.firstOccurrences()),
      secondIndex_(texts.secondOccurrences())
{
}

void OverflowProof::start(std::int32_t i, std::int32_t j)
{
    // What pairs reach serves every call, but not without bound.
    if (remembered_ > mostSteps_) {
        std::fill(idSlots_.begin(), idSlots_.end(), std::pair<Key, Id>{0, 0});
        pairs_.clear();
        reached_.clear();
        remembered_ = 0;
    }
    spent_ = 0;
    ++call_;  // every weight set before is void
    heap_ = {};
    proved_ = 0;
    const Id root = idOf(pairKey(i, j));
    weightOf(root) = 1;
    heap_.emplace(1, root);
}

OverflowProof::Id OverflowProof::idOf(Key pair)
{
    if ((pairs_.size() + 1) * 2 > idSlots_.size()) growIds();
    const std::size_t mask = idSlots_.size() - 1;
    std::size_t slot = homeSlot(pair, mask);
    while (idSlots_[slot].first != 0 && idSlots_[slot].first != pair) slot = (slot + 1) & mask;
    if (idSlots_[slot].first == 0) {
        idSlots_[slot] = {pair, static_cast<Id>(pairs_.size())};
        PairState state;
        state.key = pair;
        pairs_.push_back(state);
    }
    return idSlots_[slot].second;
}

void OverflowProof::growIds()
{
    idSlots_.assign(std::max<std::size_t>(1024, idSlots_.size() * 2), {0, 0});
    const std::size_t mask = idSlots_.size() - 1;
    for (Id id = 0; id < pairs_.size(); ++id) {
        const Key pair = pairs_[id].key;
        std::size_t slot = homeSlot(pair, mask);
        while (idSlots_[slot].first != 0) slot = (slot + 1) & mask;
        idSlots_[slot] = {pair, id};
    }
}

std::uint64_t& OverflowProof::weightOf(Id pair)
{
    PairState& state = pairs_[pair];
    if (state.weighedIn != call_) {
        state.weighedIn = call_;
        state.weight = 0;
    }
    return state.weight;
}

bool OverflowProof::advance(std::uint64_t steps, std::uint64_t needed)
{
    std::uint64_t spent = 0;
    while (proved_ < needed && !heap_.empty() && spent_ + spent < mostSteps_) {
        const auto [weight, pair] = heap_.top();
        heap_.pop();
        if (weightOf(pair) != weight) continue;  // pushed since, or weighed more
        push(pair, spent);
        if (spent >= steps) break;
    }
    spent_ += spent;
    return proved_ >= needed;
}

// Every invocation the pair's own calls make is counted `weight` times, and the pairs
// they reach take on that weight times how often they are reached.
void OverflowProof::push(Id pair, std::uint64_t& steps)
{
    const std::uint64_t weight = std::exchange(weightOf(pair), 0);
    const Expansion& expansion = expand(pair, steps);  // may add pairs: no reference into pairs_ before this
    proved_ = saturatingAdd(proved_, saturatingProduct(weight, expansion.calls, kStuck), kStuck);
    for (std::uint32_t k = expansion.firstReached; k < expansion.firstReached + expansion.reachedCount; ++k) {
        const auto [next, times] = reached_[k];
        std::uint64_t& nextWeight = weightOf(next);
        nextWeight = saturatingAdd(nextWeight, saturatingProduct(weight, times, kStuck), kStuck);
        heap_.emplace(nextWeight, next);
        ++steps;
    }
}

const OverflowProof::Expansion& OverflowProof::expand(Id pair, std::uint64_t& steps)
{
    if (pairs_[pair].expanded) return pairs_[pair].expansion;
    auto [i, j] = pairOf(pairs_[pair].key);
    Expansion out;
    // Matching characters are taken without a call.
    while (i <= firstLength_ && j <= secondLength_ &&
           first_[static_cast<std::size_t>(i - 1)] == second_[static_cast<std::size_t>(j - 1)]) {
        ++i;
        ++j;
        ++steps;
    }
    reachedKeys_.clear();
    if (i <= firstLength_ && j <= secondLength_) weighCandidates(i, j, out.calls, reachedKeys_, steps);
    out.firstReached = static_cast<std::uint32_t>(reached_.size());
    out.reachedCount = static_cast<std::uint32_t>(reachedKeys_.size());
    for (const auto& [key, times] : reachedKeys_) reached_.emplace_back(idOf(key), times);
    remembered_ += reachedKeys_.size() + 1;
    PairState& state = pairs_[pair];
    state.expansion = std::move(out);
    state.expanded = true;
    return state.expansion;
}

// The calls at a mismatch (i, j), as the search makes them: each candidate for second[j]
// takes its call once per skipped character tried, and each skipped character with a
// partner makes one call, until one of those beats the take value. Unbeaten, the first
// candidate is accepted; otherwise all are rejected and the scan goes on at (i, j + 1).
void OverflowProof::weighCandidates(std::int32_t i, std::int32_t j, std::uint64_t& calls,
                                    std::vector<std::pair<Key, std::uint64_t>>& reached, std::uint64_t& steps)
{
    // Per skipped character m (first[i + m - 1]): its partner in second[j..] and the
    // skip value there, the same for every candidate.
    std::vector<std::int32_t> partner(1, 0), skipValue(1, 0);
    skipTimes_.assign(1, 0);
    const char16_t wanted = second_[static_cast<std::size_t>(j - 1)];
    bool first = true, accepted = false;
    std::uint64_t laterWork = 0;
    for (auto candidate = firstIndex_.occurrencesFrom(wanted, i + 1); firstIndex_.isOccurrence(candidate, wanted);
         ++candidate) {
        if (!first && laterWork >= laterCandidatesWork_) break;
        const std::int32_t q = candidate->second, skipped = q - i;
        const std::int32_t takeValue = lengths_.at(q, j);
        std::int32_t tried = 0;
        bool rejected = false;
        while (tried < skipped && !rejected) {
            const std::int32_t m = ++tried;
            if (static_cast<std::int32_t>(partner.size()) <= m) {
                const std::int32_t p = secondIndex_.next(first_[static_cast<std::size_t>(i + m - 2)], j);
                partner.push_back(p);
                skipValue.push_back(p ? lengths_.at(i + m - 1, p) : 0);
                skipTimes_.push_back(0);
            }
            if (partner[static_cast<std::size_t>(m)]) {
                ++skipTimes_[static_cast<std::size_t>(m)];
                ++calls;
                rejected = skipValue[static_cast<std::size_t>(m)] > takeValue;
            }
        }
        calls += static_cast<std::uint64_t>(tried);
        reached.emplace_back(pairKey(q, j), tried);
        steps += static_cast<std::uint64_t>(tried) + 1;
        if (!first) laterWork += static_cast<std::uint64_t>(tried) + 1;
        if (first && !rejected) {
            accepted = true;
            reached.emplace_back(pairKey(q + 1, j + 1), 1);
            break;
        }
        first = false;
    }
    for (std::size_t m = 1; m < skipTimes_.size(); ++m)
        if (skipTimes_[m])
            reached.emplace_back(pairKey(i + static_cast<std::int32_t>(m) - 1, partner[m]), skipTimes_[m]);
    if (!accepted) reached.emplace_back(pairKey(i, j + 1), 1);
}

}  // namespace velmora
