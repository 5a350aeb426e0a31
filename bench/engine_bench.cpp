// Literal and fast engines side by side: the rows of the length and alignment tables,
// and the long texts that only the fast engine can finish.
//
//   build/bench/engine_bench --benchmark_filter=.   (see README for the figures)

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/base/checked_arithmetic.h"
#include "engine/length/length_engine.h"
#include "engine/length/literal/literal_length.h"
#include "engine/length/memo/memo_search.h"
#include "engine/length/race/racing_search.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/method/alignment.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"
#include "support/longest_common_subsequence.h"

namespace {

using namespace velmora;

struct Pair {
    const char* name;
    std::u16string first, second;
};

const Pair kLengthRows[] = {
    {"AB/BAB", u"AB", u"BAB"},
    {"ABCBDAB/BDCABA", u"ABCBDAB", u"BDCABA"},
    {"14 letters (409 calls)", u"BACACDADCDADAB", u"BABDCCCDACCADA"},
    {"20 letters (7278 calls)", u"BDABDCBADCBDBDDCDCCD", u"DBADBDCBADCCACACCCDC"},
    {"29 letters (532682 calls)", u"ACCGGTCGAGTGCGCGGAAGCCGGCCGAA", u"GTCGTTCGGAATGCCGTTGCTCTGTAAA"},
    {"30 letters (212060770 calls)", u"DBADDCDABBCACDCDACACACCCCBDDCD", u"BBDDBBACADACBCDDDBDCDDDBCCDCDA"},
};

template <class Engine>
void lengthRow(benchmark::State& state, const Pair& pair, Engine engine)
{
    std::uint64_t calls = 0;
    for (auto _ : state) {
        CallCounter counter;
        benchmark::DoNotOptimize(engine(pair.first, pair.second, counter));
        calls = counter.value();
    }
    state.counters["calls"] = static_cast<double>(calls);
}

void alignRow(benchmark::State& state, const std::u16string& upper, const std::u16string& lower, Direction direction,
              EngineKind engine)
{
    bool overflowed = false;
    for (auto _ : state) {
        ComparisonSession session;
        RecordingWindow window;
        window.type(upper, lower);
        session.start();
        AlignmentOptions options;
        options.engine = engine;
        try {
            session.compute(direction, upper, lower, window, options);
        } catch (const OverflowError&) {
            overflowed = true;
        }
    }
    state.counters["overflow"] = overflowed ? 1 : 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;  // of the whole run so far
}

std::u16string randomText(unsigned seed, std::size_t length, char16_t first, unsigned alphabet)
{
    std::mt19937 random(seed);
    std::u16string text(length, u' ');
    for (auto& c : text) c = static_cast<char16_t>(first + random() % alphabet);
    return text;
}

std::u16string withEdits(std::u16string text, unsigned seed, int edits)
{
    std::mt19937 random(seed);
    for (int i = 0; i < edits; ++i) {
        auto& c = text[random() % text.size()];
        c = static_cast<char16_t>(u'A' + (c - u'A' + 1 + random() % 3) % 4);
    }
    return text;
}

// Runs of the letters in turn: the first run `first` long, the others `rest` long, to 32,766.
std::u16string runsOf(std::u16string_view letters, std::size_t first, std::size_t rest = 0)
{
    std::u16string text;
    for (std::size_t r = 0; text.size() < 32766; ++r)
        text.append(r == 0 || rest == 0 ? first : rest, letters[r % letters.size()]);
    text.resize(32766);
    return text;
}

// unit repeated to 32,766 characters, rotated left by shift.
std::u16string periodic(std::u16string_view unit, std::size_t shift)
{
    std::u16string text;
    while (text.size() < 32766 + shift) text += unit;
    return text.substr(shift, 32766);
}

void registerAll()
{
    for (const Pair& row : kLengthRows) {
        auto* literal = benchmark::RegisterBenchmark((std::string("length/literal/") + row.name).c_str(),
                                                     [&row](benchmark::State& s) { lengthRow(s, row, CommonLength); });
        literal->Unit(benchmark::kMicrosecond);
        if (&row == &kLengthRows[std::size(kLengthRows) - 1]) literal->Iterations(1);
        // The default engine as the command line runs it (the literal one first while that is
        // cheaper), and the fast engines alone.
        benchmark::RegisterBenchmark((std::string("length/fast/") + row.name).c_str(), [&row](benchmark::State& s) {
            lengthRow(s, row, [](auto a, auto b, CallCounter& c) { return LengthOf(EngineKind::Fast, a, b, c); });
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("length/fast alone/") + row.name).c_str(), [&row](
                                                                                                 benchmark::State& s) {
            lengthRow(s, row, [](auto a, auto b, CallCounter& c) { return RacingSearch::lengthOf(a, b, c); });
        })->Unit(benchmark::kMicrosecond);
    }
    for (const EngineKind engine : {EngineKind::Literal, EngineKind::Fast}) {
        const std::string prefix = engine == EngineKind::Literal ? "align/literal/" : "align/fast/";
        for (const Direction d : {Direction::Compute1, Direction::Compute2}) {
            benchmark::RegisterBenchmark(
                (prefix + "ABCBDAB/BDCABA compute " + (d == Direction::Compute1 ? "1" : "2")).c_str(),
                [d, engine](benchmark::State& s) { alignRow(s, u"ABCBDAB", u"BDCABA", d, engine); })
                ->Unit(benchmark::kMicrosecond);
        }
    }
    static const auto dnaA = randomText(1, 32766, u'A', 4), dnaB = randomText(2, 32766, u'A', 4);
    static const auto cjkA = randomText(3, 32766, u'\u4e00', 3000), cjkB = randomText(4, 32766, u'\u4e00', 3000);
    static const auto edited = withEdits(dnaA, 5, 10);
    const auto big = [](const char* name, const std::u16string& a, const std::u16string& b,
                        Direction direction = Direction::Compute1) {
        benchmark::RegisterBenchmark(name, [&a, &b, direction](benchmark::State& s) {
            alignRow(s, a, b, direction, EngineKind::Fast);
        })->Unit(benchmark::kMillisecond);
    };
    big("align/fast/32766 random ACGT (overflow)", dnaA, dnaB);
    big("align/fast/32766 random CJK of 3000 (overflow)", cjkA, cjkB);
    big("align/fast/32766 identical", dnaA, dnaA);
    big("align/fast/32766 with 10 edits", dnaA, edited);
    // Structured pairs that once took seconds: whole runs of candidates and of skipped
    // characters, the continuation before the candidates, and agreements looked up.
    static const auto exchangedA = runsOf(u"ab", 8191, 32766 - 8191), exchangedB = runsOf(u"ba", 32766 - 8191, 8191);
    static const auto rotatedA = runsOf(u"abc", 10922), rotatedB = runsOf(u"cab", 10922);
    static const auto alternatingA = runsOf(u"abab", 8191), alternatingB = runsOf(u"baba", 8191);
    static const auto periodicA = periodic(u"abcabd", 0), periodicB = periodic(u"abcabd", 1);
    big("align/fast/32766 two runs exchanged at 8191, compute 2", exchangedA, exchangedB, Direction::Compute2);
    big("align/fast/32766 three runs rotated", rotatedA, rotatedB);
    big("align/fast/32766 four alternating runs against their shift (overflow)", alternatingA, alternatingB);
    big("align/fast/32766 (abcabd)* against its shift, compute 2 (overflow)", periodicA, periodicB,
        Direction::Compute2);

    // Without a limit: exact counts, beside a plain LCS programme on the same texts for
    // scale. Random texts have counts of thousands of bits; the structured pairs and the
    // edited copy have counts that fit in 64 bits.
    struct ExactPair {
        std::string name;
        std::u16string a, b;
    };
    const auto blocks = [](std::u16string_view letters, std::size_t length) {
        std::u16string text;
        for (const char16_t c : letters) text.append(length, c);
        return text;
    };
    std::vector<ExactPair> exactPairs;
    for (const std::size_t length : {1000, 3000, 5000, 12000})
        exactPairs.push_back({"random ACGT " + std::to_string(length), randomText(11, length, u'A', 4),
                              randomText(12, length, u'A', 4)});
    for (const std::size_t length : {3000, 12000}) {
        exactPairs.push_back({"random a-z " + std::to_string(length), randomText(13, length, u'a', 26),
                              randomText(14, length, u'a', 26)});
        exactPairs.push_back({std::to_string(length) + " ACGT and a copy with 10 edits",
                              randomText(11, length, u'A', 4), withEdits(randomText(11, length, u'A', 4), 5, 10)});
    }
    std::u16string editedAtTheEnd = randomText(11, 3000, u'A', 4);
    editedAtTheEnd[2980] = u'X';
    editedAtTheEnd[2990] = u'Y';
    exactPairs.push_back(
        {"3000 ACGT and a copy with 2 edits near its end", randomText(11, 3000, u'A', 4), editedAtTheEnd});
    exactPairs.push_back({"three runs rotated 6000", blocks(u"abc", 2000), blocks(u"cab", 2000)});
    exactPairs.push_back({"two runs exchanged 6000", blocks(u"ab", 3000), blocks(u"ba", 3000)});
    for (const ExactPair& pair : exactPairs) {
        const auto texts = std::make_shared<ExactPair>(pair);
        benchmark::RegisterBenchmark(("exact/no limit/" + pair.name).c_str(),
                                     [texts](benchmark::State& s) {
                                         std::size_t bits = 0;
                                         for (auto _ : s) {
                                             CallCounter counter(0, CallCounter::kNoLimit);
                                             benchmark::DoNotOptimize(
                                                 LengthOf(EngineKind::Fast, texts->a, texts->b, counter));
                                             bits = mpz_sizeinbase(counter.exact().get_mpz_t(), 2);
                                         }
                                         s.counters["count_bits"] = static_cast<double>(bits);
                                         rusage usage{};
                                         getrusage(RUSAGE_SELF, &usage);
                                         s.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
                                     })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        benchmark::RegisterBenchmark(("exact/plain LCS programme/" + pair.name).c_str(), [texts](benchmark::State& s) {
            for (auto _ : s) benchmark::DoNotOptimize(longestCommonSubsequence(texts->a, texts->b));
        })->Unit(benchmark::kMillisecond);
        if (pair.a.size() > 5000) continue;  // there the whole count above is the sweep's
        benchmark::RegisterBenchmark(
            ("exact/sweep alone/" + pair.name).c_str(),
            [texts](benchmark::State& s) {
                for (auto _ : s) benchmark::DoNotOptimize(ColumnSweep(texts->a, texts->b).countCalls({{1, 1}}));
            })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
