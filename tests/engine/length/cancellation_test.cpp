// A computation asked to stop from another thread stops soon, on every evaluation path,
// and reports its progress while it runs.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "common/row_name.h"
#include "engine/base/checked_arithmetic.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

struct SlowCase {
    const char* name;
    std::u16string upper, lower;
    EngineKind engine;
    std::uint64_t limit;
    bool fractionKnown;       // only the column sweep knows how far it is
    int cancelAfterMs = 300;  // then, for the sweep, as soon as it reports a fraction
    std::int32_t weighedRun = EngineTuning::kWeighedRun;
};

class Cancelling : public testing::TestWithParam<SlowCase> {};

TEST_P(Cancelling, StopsSoonAndReportsProgress)
{
    const SlowCase& c = GetParam();
    ComputationControl control;
    AlignmentOptions options;
    options.engine = c.engine;
    options.callLimit = c.limit;
    options.control = &control;
    options.tuning.weighedRun = c.weighedRun;
    options.tuning.weighedColumns = c.weighedRun;  // runs of columns too
    std::uint64_t callsAsked = 0;
    int fractionAsked = 0;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(c.cancelAfterMs));
        // Cancelled once it is under way, however slow the machine: once the sweep reports
        // a fraction, or the engine a count.
        const auto underWay = [&] {
            return c.fractionKnown ? control.fractionPerMillion() != ComputationControl::kFractionUnknown
                                   : control.calls() > 0;
        };
        for (int waited = 0; waited < 60000 && !underWay(); waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        callsAsked = control.calls();
        fractionAsked = control.fractionPerMillion();
        control.cancel();
    });
    ComparisonSession session;
    RecordingWindow window;
    session.start();
    EXPECT_THROW(session.compute(Direction::Compute1, c.upper, c.lower, window, options), CancelledError);
    canceller.join();
    // Soon, in the engine's own work rather than the machine's time: the count that
    // noticed the request is reported, and it is less than twice the count last reported
    // before the request (the request is read at every count); the sweep notices it
    // within a column or two of the fraction it had reported.
    EXPECT_EQ(control.fractionPerMillion() != ComputationControl::kFractionUnknown, c.fractionKnown);
    if (c.fractionKnown) {
        const int column = 1000000 / static_cast<int>(c.lower.size());
        EXPECT_LE(control.fractionPerMillion(), fractionAsked + 2 * column);
    } else {
        EXPECT_GT(callsAsked, 0u);
        EXPECT_LT(control.calls() - callsAsked, callsAsked) << "calls when asked " << callsAsked;
    }
    EXPECT_NE(session.state().ModeMark, u"");  // no result was published
}

std::u16string letters(unsigned seed, std::size_t length)
{
    std::mt19937 random(seed);
    return test::randomText(random, test::Alphabet::FourLetters, length);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Cancelling,
    // Three runs rotated, with every candidate weighed on its own: the fast engine runs
    // for minutes (weighed as a whole, milliseconds).
    testing::Values(SlowCase{"FastEngineCandidateByCandidate",
                             test::repeated(u"a", 10922) + test::repeated(u"b", 10922) + test::repeated(u"c", 10922),
                             test::repeated(u"c", 10922) + test::repeated(u"a", 10922) + test::repeated(u"b", 10922),
                             EngineKind::Fast, CallCounter::kWindowLimit, false, 300, INT32_MAX},
                    SlowCase{"LiteralEngine", letters(1, 60), letters(2, 60), EngineKind::Literal,
                             CallCounter::kNoLimit, false},
                    // The alignment runs first on the length table, then the sweep counts.
                    SlowCase{"ColumnSweepWithoutALimit", letters(3, 4000), letters(4, 4000), EngineKind::Fast,
                             CallCounter::kNoLimit, true, 100}),
    test::RowName());

}  // namespace
}  // namespace velmora
