// A computation asked to stop from another thread stops soon, on every evaluation path,
// and reports its progress while it runs.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/row_name.h"
#include "engine/base/checked_arithmetic.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"
#include "test_texts.h"

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
    std::chrono::steady_clock::time_point asked;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(c.cancelAfterMs));
        // The sweep is cancelled once it is under way, however slow the machine.
        for (int waited = 0;
             c.fractionKnown && waited < 60000 && control.fractionPerMillion() == ComputationControl::kFractionUnknown;
             waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        asked = std::chrono::steady_clock::now();
        control.cancel();
    });
    ComparisonSession session;
    RecordingWindow window;
    session.start();
    EXPECT_THROW(session.compute(Direction::Compute1, c.upper, c.lower, window, options), CancelledError);
    const auto latency = std::chrono::steady_clock::now() - asked;
    canceller.join();
    // Generous for a loaded machine: the check itself is far more frequent.
    EXPECT_LT(latency, std::chrono::milliseconds(250));
    EXPECT_EQ(control.fractionPerMillion() != ComputationControl::kFractionUnknown, c.fractionKnown);
    if (!c.fractionKnown) {
        EXPECT_GT(control.calls(), 0u);
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
