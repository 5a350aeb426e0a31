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

Alphabet expandAlphabet(const std::string& argument)
{
    std::size_t fault = 0;
    const auto units = utf8ToUtf16(argument, &fault);
    if (!units) throw UsageError("--alphabet " + argument + " is not valid UTF-8");
    // Whole characters first: a surrogate pair is one character.
    std::vector<char32_t> characters;
    for (std::size_t k = 0; k < units->size(); ++k) {
        const char16_t c = (*units)[k];
        if (c >= 0xD800 && c < 0xDC00 && k + 1 < units->size()) {
            characters.push_back(0x10000 + ((char32_t{c} - 0xD800) << 10) + ((*units)[k + 1] - 0xDC00));
            ++k;
        } else {
            characters.push_back(c);
        }
    }
    std::vector<char32_t> expanded;
    for (std::size_t k = 0; k < characters.size(); ++k) {
        const char32_t c = characters[k];
        if (k + 2 < characters.size() && characters[k + 1] == U'-' && characters[k + 2] != c) {
            if (characters[k + 2] < c)
                throw UsageError("--alphabet " + argument + ": a range runs from the lower character to the higher");
            for (char32_t x = c; x <= characters[k + 2]; ++x) expanded.push_back(x);
            k += 2;
        } else {
            expanded.push_back(c);
        }
    }
    Alphabet alphabet;
    for (const char32_t c : expanded) {
        std::u16string character;
        if (c >= 0x10000) {
            character += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            character += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            character += static_cast<char16_t>(c);
        }
        if (std::find(alphabet.begin(), alphabet.end(), character) == alphabet.end()) alphabet.push_back(character);
    }
    if (alphabet.empty()) throw UsageError("--alphabet needs at least one character");
    return alphabet;
}

std::pair<std::u16string, std::u16string> randomPair(std::uint64_t seed, const Alphabet& alphabet, std::size_t n,
                                                     std::size_t sample)
{
    // The generator of one sample starts from the seed, the alphabet, n and the sample's
    // index, mixed by std::seed_seq (its algorithm is fixed by the standard), so that no
    // other point or option changes its texts. The raw 64-bit output is reduced by hand:
    // std::mt19937_64 is the same everywhere, the standard distributions are not.
    std::uint64_t alphabetHash = 14695981039346656037ULL;  // FNV-1a over the code units
    for (const std::u16string& character : alphabet)
        for (const char16_t unit : character) alphabetHash = (alphabetHash ^ unit) * 1099511628211ULL;
    const auto low = [](std::uint64_t v) { return static_cast<std::uint32_t>(v); };
    const auto high = [](std::uint64_t v) { return static_cast<std::uint32_t>(v >> 32); };
    std::seed_seq mixed{low(seed),          high(seed), low(alphabetHash),
                        high(alphabetHash), low(n),     low(std::uint64_t{sample})};
    std::mt19937_64 random(mixed);
    const auto text = [&] {
        std::u16string t;
        for (std::size_t k = 0; k < n; ++k) t += alphabet[static_cast<std::size_t>(random() % alphabet.size())];
        return t;
    };
    std::u16string first = text();
    return {std::move(first), text()};
}

void growthCommand(const GrowthOptions& growth, std::ostream& out, std::ostream& err)
{
    const LengthRange range = lengthRange(growth.lengths);
    std::vector<Alphabet> alphabets;
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

    std::vector<GrowthRow> rows;
    for (std::size_t a = 0; a < alphabets.size(); ++a) {
        for (std::size_t n = range.from, step = 0; n <= range.to; n += range.step, ++step) {
            if (showProgress)
                err << "\rgrowth: alphabet " << a + 1 << " of " << alphabets.size() << ", length " << n << " ("
                    << step + 1 << " of " << steps << ")   " << std::flush;
            const auto start = std::chrono::steady_clock::now();
            std::vector<mpz_class> counts;
            JsonArray texts;
            for (std::size_t sample = 0; sample < growth.samples; ++sample) {
                const auto [first, second] = randomPair(seed, alphabets[a], n, sample);
                counts.push_back(countOf(first, second, growth.compute));
                if (growth.texts) texts.array(JsonArray().text(first).text(second));
            }
            std::sort(counts.begin(), counts.end());
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            // The lower median, so that it is one of the counts, exact.
            std::u16string letters;
            for (const std::u16string& character : alphabets[a]) letters += character;
            GrowthRow row{letters, n, counts.front(),     counts[(counts.size() - 1) / 2], counts.back(), 0,
                          0,       0, alphabets[a].size()};
            row.log2Min = log2Of(row.min);
            row.log2Median = log2Of(row.median);
            row.log2Max = log2Of(row.max);
            JsonObject line;
            line.text("alphabet", row.alphabet)
                .integer("n", static_cast<std::int64_t>(n))
                .integer("samples", static_cast<std::int64_t>(growth.samples))
                .bigInteger("min", row.min.get_str())
                .bigInteger("median", row.median.get_str())
                .bigInteger("max", row.max.get_str())
                .number("log2_median", row.log2Median)
                .number("seconds", seconds);
            if (growth.texts) line.array("texts", texts);
            out << line.str() << '\n' << std::flush;  // each point as soon as it is done: an interrupted run keeps them
            if (!out) return;                         // the output is gone; the caller reports why
            rows.push_back(std::move(row));
        }
    }
    if (showProgress) err << "\r" << std::string(60, ' ') << "\r" << std::flush;
    // After the points, per alphabet: the fitted line and the slopes between neighbours.
    for (const GrowthFit& fit : fitGrowth(rows)) {
        JsonArray local;
        for (const double slope : fit.localSlopes) local.number(slope);
        out << JsonObject()
                   .text("alphabet", fit.alphabet)
                   .text("fit", u"least squares")
                   .integer("from", static_cast<std::int64_t>(fit.from))
                   .integer("to", static_cast<std::int64_t>(fit.to))
                   .number("slope", fit.linear.slope)
                   .number("intercept", fit.linear.intercept)
                   .number("residual_sum_of_squares", fit.linear.residuals)
                   .number("n_log2_n_slope", fit.nLogN.slope)
                   .number("n_log2_n_intercept", fit.nLogN.intercept)
                   .number("n_log2_n_residual_sum_of_squares", fit.nLogN.residuals)
                   .array("local_slopes", local)
                   .str()
            << '\n'
            << std::flush;
    }
    if (growth.svg.empty()) return;
    chart << growthChartSvg(rows);
    chart.flush();
    if (!chart) throw std::runtime_error("cannot write the chart to " + growth.svg + ": " + std::strerror(errno));
}

}  // namespace velmora
