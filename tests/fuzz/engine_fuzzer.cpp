// Feeds arbitrary bytes, read as two short texts and a direction, to both engines and
// stops on any difference in result, call count, gap table or window operations.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/race/racing_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/method/alignment.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"

namespace {

using namespace velmora;

constexpr std::size_t kLongestFuzzText = 12;  // the literal engine is exponential

char16_t characterOf(std::uint8_t byte, std::uint8_t alphabet)
{
    static const char16_t wide[] = {u'程', u'序', u'设', u'计', 0xD83D, 0xDE00, 0xDE01, u'\u00a0'};
    switch (alphabet) {
    case 0: return static_cast<char16_t>(u'A' + byte % 2);
    case 1: return static_cast<char16_t>(u'A' + byte % 3);
    case 2: return static_cast<char16_t>(u'A' + byte % 4);
    default: return wide[byte % 8];
    }
}

struct Outcome {
    ComparisonState state;
    RecordingWindow window;
    bool overflowed = false;
};

Outcome align(const std::u16string& text1, const std::u16string& text2, Direction direction, EngineKind engine,
              std::int32_t weighedRun = EngineTuning::kWeighedRun, std::uint64_t literalFirstWork = 0,
              std::uint64_t framesBeforeSweep = EngineTuning::kFramesBeforeSweep,
              std::uint64_t cornerPairsPerPair = EngineTuning::kCornerPairsPerPair)
{
    Outcome o;
    ComparisonSession session;
    session.start();
    AlignmentOptions options;
    options.engine = engine;
    options.tuning.weighedRun = weighedRun;
    options.tuning.literalFirstWork = literalFirstWork;
    options.tuning.framesBeforeSweep = framesBeforeSweep;
    options.tuning.cornerPairsPerPair = cornerPairsPerPair;
    // Text1 leads: as the upper text for compute 1, as the lower one for compute 2.
    const bool upperLeads = ComparisonSession::upperLeads(direction);
    try {
        session.compute(direction, upperLeads ? text1 : text2, upperLeads ? text2 : text1, o.window, options);
    } catch (const OverflowError&) {
        o.overflowed = true;
    }
    o.state = session.state();
    return o;
}

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "engines differ: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const auto direction = data[0] & 1 ? Direction::Compute2 : Direction::Compute1;
    const auto alphabet = static_cast<std::uint8_t>(data[0] >> 1 & 3);
    const std::size_t characters = size - 2;
    const std::size_t split = characters == 0 ? 0 : data[1] % (characters + 1);
    std::u16string first, second;
    for (std::size_t i = 0; i < characters; ++i) {
        std::u16string& text = i < split ? first : second;
        if (text.size() < kLongestFuzzText) text += characterOf(data[2 + i], alphabet);
    }

    CallCounter literalCount, fastCount;
    require(CommonLength(first, second, literalCount) == MemoSearch::lengthOf(first, second, fastCount), "length");
    require(literalCount.value() == fastCount.value(), "call count");
    // Runs, periods and runs of columns weighed as a whole from two on, runs of columns
    // given the outcome of a column near their end from two on, in both orders and raced.
    for (const auto order : {MemoSearch::Order::CandidatesFirst, MemoSearch::Order::ContinuationFirst}) {
        CallCounter weighedCount;
        require(MemoSearch::lengthOf(first, second, weighedCount, EngineTuning{.weighedRun = 2, .shiftedColumns = 1},
                                     order) == CommonLength(first, second, literalCount),
                "length, weighed from two");
        require(weighedCount.value() == fastCount.value(), "call count, weighed from two");
    }
    // Raced in turns of one frame, the overflow proof joining at once: each engine goes on
    // from pairs the other evaluated, and whichever of the three stops a race with a limit
    // one below the count, it stops there. The proof takes turns with the orders, then runs
    // on a thread of its own.
    for (const RacePace& eager :
         {RacePace{1, std::chrono::microseconds{0}, 16, false}, RacePace{1, std::chrono::microseconds{0}, 0, true}}) {
        CallCounter racedCount;
        RacingSearch::lengthOf(first, second, racedCount,
                               EngineTuning{.weighedRun = 2, .shiftedColumns = 1, .pace = eager});
        require(racedCount.value() == fastCount.value(), "call count, raced");
        if (fastCount.value() <= 1) continue;
        CallCounter belowCount(0, fastCount.value() - 1);
        bool overflowed = false;
        try {
            RacingSearch::lengthOf(first, second, belowCount,
                                   EngineTuning{.weighedRun = 2, .shiftedColumns = 1, .pace = eager});
        } catch (const OverflowError&) {
            overflowed = true;
        }
        require(overflowed && belowCount.value() == belowCount.limit(), "overflow one below the count, raced");
    }
    CallCounter sweptCount(0, CallCounter::kNoLimit);
    require(ColumnSweep::lengthOf(first, second, sweptCount) == CommonLength(first, second, literalCount),
            "swept length");
    require(sweptCount.exact() == toMpz(fastCount.value()), "swept call count");
    // In limbs, in bands of three whose columns keep two prefix sums of take calls a block:
    // where a row needs an older one, the sweep starts again keeping them all.
    ColumnSweep banded(first, second, ColumnSweep::Arithmetic::LimbArrays);
    banded.setBand(3, 1 + (data[0] >> 3 & 1));
    require(banded.countCalls({{1, 1}}) == sweptCount.exact(), "call count in bands, few prefix sums kept");

    const Outcome literal = align(first, second, direction, EngineKind::Literal);
    const Outcome fast = align(first, second, direction, EngineKind::Fast);
    require(literal.overflowed == fast.overflowed, "overflow");
    require(literal.window.log() == fast.window.log(), "window operations");
    require(literal.state.MatchTable == fast.state.MatchTable, "gap table");
    require(literal.state.MatchAux == fast.state.MatchAux, "gap lengths");
    require(literal.state.CallCount == fast.state.CallCount, "CallCount");
    require(literal.state.RowCount == fast.state.RowCount, "RowCount");
    // Weighed from two, after the literal engine has answered the first calls: the hand-over
    // falls anywhere in the computation.
    const Outcome weighed = align(first, second, direction, EngineKind::Fast, 2, std::uint64_t{data[1]} * 8);
    require(literal.overflowed == weighed.overflowed, "overflow, weighed from two");
    require(literal.window.log() == weighed.window.log(), "window operations, weighed from two");
    require(literal.state.CallCount == weighed.state.CallCount, "CallCount, weighed from two");
    // Every call and weighing that takes more than a few frames answered from a sweep of
    // the corner of pairs it reaches; and short calls too, once the orders have evaluated
    // a few pairs or one since the last sweep.
    const std::uint64_t cornerPairsPerPair[] = {0, 4, UINT64_MAX};
    const Outcome swept = align(first, second, direction, EngineKind::Fast, EngineTuning::kWeighedRun, 0,
                                std::uint64_t{data[1]} % 4, cornerPairsPerPair[data[1] / 4 % 3]);
    require(literal.overflowed == swept.overflowed, "overflow, swept corners");
    require(literal.window.log() == swept.window.log(), "window operations, swept corners");
    require(literal.state.CallCount == swept.state.CallCount, "CallCount, swept corners");
    return 0;
}
