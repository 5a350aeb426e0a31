#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "cli/commands/commands.h"
#include "cli/json_writer.h"
#include "cli/output.h"
#include "cli/utf.h"
#include "engine/base/text_limits.h"
#include "engine/length/length_engine.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"

namespace velmora {
namespace {

struct LengthRange {
    std::size_t from, to, step;
};

LengthRange lengthRange(const std::string& argument)
{
    LengthRange range{};
    std::size_t* parts[] = {&range.from, &range.to, &range.step};
    const char* at = argument.data();
    const char* const end = argument.data() + argument.size();
    bool ok = true;
    for (std::size_t k = 0; k < 3 && ok; ++k) {
        const auto [next, error] = std::from_chars(at, end, *parts[k]);
        ok = error == std::errc() && next != at && (k == 2 ? next == end : next != end && *next == ':');
        at = next + (k == 2 ? 0 : 1);
    }
    if (!ok || range.step == 0 || range.from > range.to || range.to > static_cast<std::size_t>(kLongestText))
        throw UsageError("--lengths takes FROM:TO:STEP, with FROM <= TO <= 32766 and STEP >= 1");
    return range;
}

std::uint64_t seedOf(const std::string& argument)
{
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(argument.data(), argument.data() + argument.size(), seed);
    if (argument.empty() || error != std::errc() || end != argument.data() + argument.size())
        throw UsageError("--seed takes a whole number from 0 to 18446744073709551615, not " + argument);
    return seed;
}

// log2 of a positive count, from its leading bits.
double log2Of(const mpz_class& value)
{
    long exponent = 0;
    const double mantissa = mpz_get_d_2exp(&exponent, value.get_mpz_t());
    return static_cast<double>(exponent) + std::log2(mantissa);
}

mpz_class countOf(const std::u16string& a, const std::u16string& b, int compute)
{
    if (compute == 0) {
        CallCounter counter(0, CallCounter::kNoLimit);
        LengthOf(EngineKind::Fast, a, b, counter);
        return counter.exact();
    }
    ComparisonSession session;
    RecordingWindow window;
    window.type(a, b);
    session.start();
    AlignmentOptions options;
    options.callLimit = CallCounter::kNoLimit;
    return session.compute(compute == 2 ? Direction::Compute2 : Direction::Compute1, a, b, window, options).calls;
}

}  // namespace

std::u16string expandAlphabet(const std::string& argument)
{
    std::size_t fault = 0;
    const auto units = utf8ToUtf16(argument, &fault);
    if (!units) throw UsageError("--alphabet " + argument + " is not valid UTF-8");
    std::u16string alphabet;
    for (std::size_t k = 0; k < units->size(); ++k) {
        const char16_t c = (*units)[k];
        if (k + 2 < units->size() && (*units)[k + 1] == u'-' && (*units)[k + 2] != c) {
            if ((*units)[k + 2] < c)
                throw UsageError("--alphabet " + argument + ": a range runs from the lower character to the higher");
            for (char16_t x = c; x <= (*units)[k + 2]; ++x) alphabet += x;
            k += 2;
        } else {
            alphabet += c;
        }
    }
    std::u16string distinct;
    for (const char16_t c : alphabet)
        if (distinct.find(c) == std::u16string::npos) distinct += c;
    if (distinct.empty()) throw UsageError("--alphabet needs at least one character");
    return distinct;
}

std::vector<std::pair<std::u16string, std::u16string>>
randomPairs(std::mt19937_64& random, const std::u16string& alphabet, std::size_t length, std::size_t samples)
{
    // The raw 64-bit output, reduced by hand: std::mt19937_64 is the same everywhere, the
    // standard distributions are not.
    const auto text = [&] {
        std::u16string t(length, u' ');
        for (auto& c : t) c = alphabet[static_cast<std::size_t>(random() % alphabet.size())];
        return t;
    };
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (std::size_t s = 0; s < samples; ++s) {
        std::u16string a = text();
        pairs.emplace_back(std::move(a), text());
    }
    return pairs;
}

void growthCommand(const GrowthOptions& growth, std::ostream& out, std::ostream& err)
{
    const LengthRange range = lengthRange(growth.lengths);
    std::vector<std::u16string> alphabets;
    for (const std::string& argument : growth.alphabets) alphabets.push_back(expandAlphabet(argument));
    const std::uint64_t seed = seedOf(growth.seed);
    // The chart's file is opened before any work, so that a path that cannot be written
    // is refused at once rather than after the whole computation.
    std::ofstream chart;
    if (!growth.svg.empty()) {
        chart.open(growth.svg, std::ios::binary | std::ios::trunc);
        if (!chart) throw UsageError("--svg " + growth.svg + " cannot be written: " + std::strerror(errno));
    }
    const bool showProgress = ::isatty(STDERR_FILENO) == 1;
    const std::size_t steps = (range.to - range.from) / range.step + 1;

    std::mt19937_64 random(seed);
    std::vector<GrowthRow> rows;
    for (std::size_t a = 0; a < alphabets.size(); ++a) {
        for (std::size_t n = range.from, step = 0; n <= range.to; n += range.step, ++step) {
            if (showProgress)
                err << "\rgrowth: alphabet " << a + 1 << " of " << alphabets.size() << ", length " << n << " ("
                    << step + 1 << " of " << steps << ")   " << std::flush;
            const auto start = std::chrono::steady_clock::now();
            std::vector<mpz_class> counts;
            for (const auto& [first, second] : randomPairs(random, alphabets[a], n, growth.samples))
                counts.push_back(countOf(first, second, growth.compute));
            std::sort(counts.begin(), counts.end());
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            // The lower median, so that it is one of the counts, exact.
            GrowthRow row{alphabets[a], n, counts.front(), counts[(counts.size() - 1) / 2], counts.back(), 0, 0, 0};
            row.log2Min = log2Of(row.min);
            row.log2Median = log2Of(row.median);
            row.log2Max = log2Of(row.max);
            out << JsonObject()
                       .text("alphabet", row.alphabet)
                       .integer("n", static_cast<std::int64_t>(n))
                       .integer("samples", static_cast<std::int64_t>(growth.samples))
                       .bigInteger("min", row.min.get_str())
                       .bigInteger("median", row.median.get_str())
                       .bigInteger("max", row.max.get_str())
                       .number("log2_median", row.log2Median)
                       .number("seconds", seconds)
                       .str()
                << '\n'
                << std::flush;  // each point as soon as it is done: an interrupted run keeps them
            if (!out) return;   // the output is gone; the caller reports why
            rows.push_back(std::move(row));
        }
    }
    if (showProgress) err << "\r" << std::string(60, ' ') << "\r" << std::flush;
    if (growth.svg.empty()) return;
    chart << growthChartSvg(rows);
    chart.flush();
    if (!chart) throw std::runtime_error("cannot write the chart to " + growth.svg + ": " + std::strerror(errno));
}

}  // namespace velmora
