#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/length_engine.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/sweep/column_sweep.h"

namespace velmora {
namespace {

using LengthFunction = std::function<std::int16_t(std::u16string_view, std::u16string_view, CallCounter&)>;

struct Engine {
    const char* name;
    LengthFunction run;
};

std::int16_t fast(std::u16string_view a, std::u16string_view b, CallCounter& counter)
{
    return MemoSearch::lengthOf(a, b, counter);
}
const Engine kEngines[] = {{"literal", CommonLength}, {"fast", fast}};

// The exact paths: the sweep alone, and the fast engine that hands over to it past 64 bits.
std::int16_t exactFast(std::u16string_view a, std::u16string_view b, CallCounter& counter)
{
    return LengthOf(EngineKind::Fast, a, b, counter);
}
const Engine kExactEngines[] = {{"sweep", ColumnSweep::lengthOf}, {"fast then sweep", exactFast}};

struct LengthCase {
    const char* name;
    std::u16string first, second;
    std::int16_t length;
    std::uint64_t calls;
};

const LengthCase kLengthCases[] = {
    {"empty against empty", u"", u"", 0, 1},
    {"ABC against empty", u"ABC", u"", 0, 1},
    {"empty against ABC", u"", u"ABC", 0, 1},
    {"ABC against ABC", u"ABC", u"ABC", 3, 1},
    {"ABC against XYZ", u"ABC", u"XYZ", 0, 1},
    {"AAAA against BAAAA", u"AAAA", u"BAAAA", 4, 1},
    {"AB against B", u"AB", u"B", 1, 2},
    {"BAAAA against AAAA", u"BAAAA", u"AAAA", 4, 2},
    {"AB against BAB", u"AB", u"BAB", 2, 3},
    {"ABB against BABB", u"ABB", u"BABB", 3, 5},
    {"XYBZ against BZXY", u"XYBZ", u"BZXY", 2, 5},
    {"程序设计 against 设计程序", u"程序设计", u"设计程序", 2, 5},
    {"ABCDEFG against GFEDCBA", u"ABCDEFG", u"GFEDCBA", 1, 13},
    {"ABCBDAB against BDCABA", u"ABCBDAB", u"BDCABA", 4, 24},
    {"BDCABA against ABCBDAB", u"BDCABA", u"ABCBDAB", 4, 26},
    {"BACACDADCDADAB against BABDCCCDACCADA", u"BACACDADCDADAB", u"BABDCCCDACCADA", 10, 409},
    {"BDABDCBADCBDBDDCDCCD against DBADBDCBADCCACACCCDC", u"BDABDCBADCBDBDDCDCCD", u"DBADBDCBADCCACACCCDC", 13, 7278},
    {"ACCGGTCGAGTGCGCGGAAGCCGGCCGAA against GTCGTTCGGAATGCCGTTGCTCTGTAAA", u"ACCGGTCGAGTGCGCGGAAGCCGGCCGAA",
     u"GTCGTTCGGAATGCCGTTGCTCTGTAAA", 20, 532682},
    {"DBADDCDABBCACDCDACACACCCCBDDCD against BBDDBBACADACBCDDDBDCDDDBCCDCDA", u"DBADDCDABBCACDCDACACACCCCBDDCD",
     u"BBDDBBACADACBCDDDBDCDDDBCCDCDA", 17, 212060770},
    {"case counts", u"abc", u"ABC", 0, 1},  // case counts
    {"outside the BMP: two units, the high ones match", u"😀", u"😁", 1,
     1},  // outside the BMP: two units, the high ones match
    {"a non-breaking space is not a space", u"\u00a0x", u" x", 1, 2},  // a non-breaking space is not a space
};

TEST(CommonLength, ResultsAndInvocationCountsOfBothEngines)
{
    for (const Engine& engine : kEngines) {
        for (const LengthCase& c : kLengthCases) {
            CallCounter counter;
            EXPECT_EQ(engine.run(c.first, c.second, counter), c.length) << engine.name << ": " << c.name;
            EXPECT_EQ(counter.value(), c.calls) << engine.name << ": " << c.name;
        }
    }
    for (const Engine& engine : kExactEngines) {
        for (const LengthCase& c : kLengthCases) {
            CallCounter counter(0, CallCounter::kNoLimit);
            EXPECT_EQ(engine.run(c.first, c.second, counter), c.length) << engine.name << ": " << c.name;
            EXPECT_EQ(counter.value64(), c.calls) << engine.name << ": " << c.name;
        }
    }
}

TEST(CommonLength, LengthLimitOfSixteenBits)
{
    const std::u16string longest(32766, u'a'), tooLong(32767, u'a'), farTooLong(32768, u'a');
    struct LimitCase {
        const std::u16string* first;
        std::u16string second;
        bool overflows;
        std::int16_t length;
    };
    const LimitCase cases[] = {
        {&longest, u"a", false, 1}, {&longest, u"b", false, 0},   {&tooLong, u"a", true, 0},
        {&tooLong, u"", false, 0},  {&farTooLong, u"", false, 0}, {&farTooLong, u"b", true, 0},
    };
    for (const Engine& engine : kEngines) {
        for (const LimitCase& c : cases) {
            for (const bool swapped : {false, true}) {
                CallCounter counter;
                const std::u16string_view a = swapped ? std::u16string_view(c.second) : *c.first;
                const std::u16string_view b = swapped ? std::u16string_view(*c.first) : c.second;
                const auto call = [&] { return engine.run(a, b, counter); };
                if (c.overflows) {
                    try {
                        call();
                        ADD_FAILURE() << engine.name << " accepted " << a.size() << " against " << b.size();
                    } catch (const OverflowError& e) {
                        EXPECT_EQ(e.limit(), OverflowLimit::TextLength);
                    }
                } else {
                    EXPECT_EQ(call(), c.length) << engine.name << " " << a.size() << " against " << b.size();
                }
            }
        }
    }
}

// The count overflows exactly when the invocation-by-invocation count passes 2^31 - 1.
TEST(CommonLength, CallCountOverflowsExactlyPastTheLimit)
{
    const LengthCase& deep = kLengthCases[16];  // 7,278 invocations
    for (const Engine& engine : kEngines) {
        for (const std::uint64_t headroom : {deep.calls + 1, deep.calls, deep.calls - 1, std::uint64_t{1}}) {
            CallCounter counter(CallCounter::kWindowLimit - headroom);
            const bool fits = headroom >= deep.calls;
            if (fits) {
                EXPECT_EQ(engine.run(deep.first, deep.second, counter), deep.length) << engine.name;
                EXPECT_EQ(counter.value(), CallCounter::kWindowLimit - headroom + deep.calls);
                continue;
            }
            EXPECT_THROW(engine.run(deep.first, deep.second, counter), OverflowError) << engine.name << headroom;
            EXPECT_EQ(counter.value(), CallCounter::kWindowLimit);
        }
    }
}

// Without a limit the count is exact past 64 bits: on x^n a^n... against a^n every
// skipped character doubles the work, and the sweep must agree with the literal search
// wherever that can still be run.
TEST(CommonLength, ExactCountsPastSixtyFourBits)
{
    const auto alternating = [](int n) {
        std::u16string text;
        for (int i = 0; i < n; ++i) text += u"xa";
        return text;
    };
    for (const int n : {1, 2, 3, 5, 8, 12}) {
        CallCounter literal(0, CallCounter::kNoLimit), swept(0, CallCounter::kNoLimit);
        const std::u16string first = alternating(n), second(static_cast<std::size_t>(n), u'a');
        EXPECT_EQ(CommonLength(first, second, literal), ColumnSweep::lengthOf(first, second, swept));
        EXPECT_EQ(literal.exact(), swept.exact()) << n;
    }
    for (const Engine& engine : kExactEngines) {
        CallCounter counter(0, CallCounter::kNoLimit);
        EXPECT_EQ(engine.run(alternating(200), std::u16string(200, u'a'), counter), 200);
        EXPECT_GT(counter.exact(), mpz_class(1) << 128) << engine.name;
        EXPECT_FALSE(counter.value64()) << engine.name;
        CallCounter swept(0, CallCounter::kNoLimit);
        ColumnSweep::lengthOf(alternating(200), std::u16string(200, u'a'), swept);
        EXPECT_EQ(counter.exact(), swept.exact()) << engine.name;
    }
    // A 64-bit count that the fast engine keeps: exactly where it wraps.
    const LengthCase& largest = kLengthCases[18];
    CallCounter counter(CallCounter::kNoLimit - largest.calls + 1, CallCounter::kNoLimit);
    EXPECT_EQ(MemoSearch::lengthOf(largest.first, largest.second, counter), largest.length);
    EXPECT_EQ(counter.exact(), (mpz_class(1) << 64));
}

// Long texts, and nesting tens of thousands of invocations deep, must not exhaust any
// stack.
TEST(CommonLength, LongAndDeepCasesFinish)
{
    std::u16string ab, xa;
    for (int i = 0; i < 16383; ++i) ab += u"ab", xa += u"xa";
    const std::u16string as(16383, u'a'), skipAll = std::u16string(32765, u'a') + u"b";
    struct DeepCase {
        std::u16string first, second;
        std::uint64_t limit;
        std::int16_t length;
        std::uint64_t calls;  // 0: the count overflows the limit
    };
    const DeepCase cases[] = {
        {ab, u"b", CallCounter::kWindowLimit, 1, 2},
        {skipAll, u"b", CallCounter::kWindowLimit, 1, 32766},
        {u"b", skipAll, CallCounter::kWindowLimit, 1, 1},
        {xa, as, CallCounter::kWindowLimit, 0, 0},
    };
    for (const DeepCase& c : cases) {
        CallCounter counter(0, c.limit);
        if (c.calls == 0) {
            EXPECT_THROW(MemoSearch::lengthOf(c.first, c.second, counter), OverflowError);
            continue;
        }
        EXPECT_EQ(MemoSearch::lengthOf(c.first, c.second, counter), c.length) << c.first.size();
        EXPECT_EQ(counter.value(), c.calls) << c.first.size();
    }
    CallCounter literalCount;
    EXPECT_EQ(CommonLength(skipAll, u"b", literalCount), 1);
    EXPECT_EQ(literalCount.value(), 32766u);
    // The literal search descends 16,383 invocations deep before the count, started near
    // the limit, overflows on the way back.
    CallCounter nearLimit(CallCounter::kWindowLimit - 40000);
    EXPECT_THROW(CommonLength(xa, as, nearLimit), OverflowError);
}

// The bounded literal search that answers first: it finishes with the literal result
// and count, or gives up once its allowance or a thread's stack would not suffice, and
// says how much allowance is left.
TEST(CommonLength, BoundedSearchGivesUpWithinItsAllowance)
{
    std::u16string xa, random1, random2;
    for (int i = 0; i < 16383; ++i) xa += u"xa";
    std::mt19937 generator(3);
    for (int i = 0; i < 1000; ++i) random1 += static_cast<char16_t>(u'a' + generator() % 4);
    for (int i = 0; i < 1000; ++i) random2 += static_cast<char16_t>(u'a' + generator() % 4);
    struct BoundedCase {
        const char* name;
        std::u16string first, second;
        std::uint64_t work;
        bool finishes;
        std::uint64_t leftAtLeast, leftAtMost;
    };
    const std::uint64_t plenty = 100'000'000;
    const BoundedCase cases[] = {
        {"finishes within its allowance", u"ABCBDAB", u"BDCABA", 100'000, true, 1, 100'000 - 24},
        {"gives up when the work runs out", random1, random2, 10'000, false, 0, 15},
        {"gives up before nesting deeper than a stack holds", xa, std::u16string(16383, u'a'), plenty, false,
         plenty / 2, plenty},
    };
    for (const BoundedCase& c : cases) {
        CallCounter bounded(0, CallCounter::kNoLimit);
        std::uint64_t work = c.work;
        if (c.finishes) {
            CallCounter literal(0, CallCounter::kNoLimit);
            EXPECT_EQ(CommonLengthWithin(c.first, c.second, bounded, work), CommonLength(c.first, c.second, literal))
                << c.name;
            EXPECT_EQ(bounded.value(), literal.value()) << c.name;
        } else {
            EXPECT_THROW(CommonLengthWithin(c.first, c.second, bounded, work), LiteralWorkExceeded) << c.name;
        }
        EXPECT_GE(work, c.leftAtLeast) << c.name;
        EXPECT_LE(work, c.leftAtMost) << c.name;
    }
}

}  // namespace
}  // namespace velmora
