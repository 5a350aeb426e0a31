// Literal and fast engines side by side: the rows of the length and alignment tables,
// and the long texts that only the fast engine can finish.
//
//   build/bench/engine_bench --benchmark_filter=.   (see README for the figures)

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>
#include <string>

#include "engine/alignment.h"
#include "engine/checked_arithmetic.h"
#include "engine/comparison_session.h"
#include "engine/common_length.h"
#include "engine/fast_common_length.h"
#include "engine/headless_window.h"
#include "engine/remainder_lengths.h"
#include "engine/longest_common_subsequence.h"

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
        HeadlessWindow window;
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

void registerAll()
{
    for (const Pair& row : kLengthRows) {
        auto* literal = benchmark::RegisterBenchmark((std::string("length/literal/") + row.name).c_str(),
                                                     [&row](benchmark::State& s) { lengthRow(s, row, CommonLength); });
        literal->Unit(benchmark::kMicrosecond);
        if (&row == &kLengthRows[std::size(kLengthRows) - 1]) literal->Iterations(1);
        benchmark::RegisterBenchmark((std::string("length/fast/") + row.name).c_str(),
                                     [&row](benchmark::State& s) { lengthRow(s, row, [](auto a, auto b, CallCounter& c) { return FastCommonLengthOf(a, b, c); }); })
            ->Unit(benchmark::kMicrosecond);
    }
    for (const EngineKind engine : {EngineKind::Literal, EngineKind::Fast}) {
        const std::string prefix = engine == EngineKind::Literal ? "align/literal/" : "align/fast/";
        for (const Direction d : {Direction::Compute1, Direction::Compute2}) {
            benchmark::RegisterBenchmark((prefix + "ABCBDAB/BDCABA compute " + (d == Direction::Compute1 ? "1" : "2")).c_str(),
                                         [d, engine](benchmark::State& s) {
                                             alignRow(s, u"ABCBDAB", u"BDCABA", d, engine);
                                         })
                ->Unit(benchmark::kMicrosecond);
        }
    }
    static const auto dnaA = randomText(1, 32766, u'A', 4), dnaB = randomText(2, 32766, u'A', 4);
    static const auto cjkA = randomText(3, 32766, u'\u4e00', 3000), cjkB = randomText(4, 32766, u'\u4e00', 3000);
    static const auto edited = withEdits(dnaA, 5, 10);
    const auto big = [](const char* name, const std::u16string& a, const std::u16string& b) {
        benchmark::RegisterBenchmark(name, [&a, &b](benchmark::State& s) {
            alignRow(s, a, b, Direction::Compute1, EngineKind::Fast);
        })->Unit(benchmark::kMillisecond);
    };
    big("align/fast/32766 random ACGT (overflow)", dnaA, dnaB);
    big("align/fast/32766 random CJK of 3000 (overflow)", cjkA, cjkB);
    big("align/fast/32766 identical", dnaA, dnaA);
    big("align/fast/32766 with 10 edits", dnaA, edited);

    // Without a limit: the exact count of random ACGT texts, beside a plain LCS programme
    // on the same texts for scale.
    for (const std::size_t length : {1000, 3000, 5000}) {
        const auto a = std::make_shared<std::u16string>(randomText(11, length, u'A', 4));
        const auto b = std::make_shared<std::u16string>(randomText(12, length, u'A', 4));
        const std::string n = std::to_string(length);
        benchmark::RegisterBenchmark(("exact/fast then sweep/random ACGT " + n).c_str(),
                                     [a, b](benchmark::State& s) {
                                         std::size_t bits = 0;
                                         for (auto _ : s) {
                                             CallCounter counter(0, CallCounter::kNoLimit);
                                             benchmark::DoNotOptimize(CommonLengthOf(EngineKind::Fast, *a, *b, counter));
                                             bits = mpz_sizeinbase(counter.exact().get_mpz_t(), 2);
                                         }
                                         s.counters["count_bits"] = static_cast<double>(bits);
                                         rusage usage{};
                                         getrusage(RUSAGE_SELF, &usage);
                                         s.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
                                     })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        benchmark::RegisterBenchmark(("exact/plain LCS programme/random ACGT " + n).c_str(),
                                     [a, b](benchmark::State& s) {
                                         for (auto _ : s) benchmark::DoNotOptimize(longestCommonSubsequence(*a, *b));
                                     })
            ->Unit(benchmark::kMillisecond);
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
