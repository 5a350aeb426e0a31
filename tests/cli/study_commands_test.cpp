// trace and growth: the invocation tree against the listings of the method's examples,
// its counts against each other and against paging, and the growth data against the
// length command.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <regex>
#include <sstream>

#include "cli/cli.h"
#include "cli/commands/commands.h"
#include "cli/utf.h"
#include "cli_lines.h"
#include "common/row_name.h"

#ifdef VELMORA_HAVE_QT_XML
#include <QXmlStreamReader>
#endif

namespace {

using namespace velmora;
using velmora::test::PrintTo;  // rows print as their names

struct ListedCall {
    int depth;
    std::string i, j, role, result;
};

struct ListingCase {
    const char* name;
    std::string first, second;
    std::vector<ListedCall> calls;
};

class TraceListing : public testing::TestWithParam<ListingCase> {};

TEST_P(TraceListing, ReproducesTheNestedListing)
{
    const ListingCase& c = GetParam();
    const auto lines = linesOf({"trace", c.first, c.second});
    ASSERT_EQ(lines.size(), c.calls.size() + 1);
    for (std::size_t n = 0; n < c.calls.size(); ++n) {
        const ListedCall& call = c.calls[n];
        EXPECT_EQ(field(lines[n], "call"), std::to_string(n + 1));
        EXPECT_EQ(field(lines[n], "depth"), std::to_string(call.depth)) << n;
        EXPECT_EQ(field(lines[n], "i"), call.i) << n;
        EXPECT_EQ(field(lines[n], "j"), call.j) << n;
        EXPECT_EQ(field(lines[n], "role"), call.role) << n;
        EXPECT_EQ(field(lines[n], "result"), call.result) << n;
    }
    EXPECT_EQ(field(lines.back(), "calls"), std::to_string(c.calls.size()));
    EXPECT_EQ(field(lines.back(), "truncated"), "false");
}

INSTANTIATE_TEST_SUITE_P(Cli, TraceListing,
                         testing::Values(
                             // A = AB, B = BAB: the look-ahead rejects the nearest candidate.
                             ListingCase{
                                 "WorkedExample",
                                 "AB",
                                 "BAB",
                                 {{0, "1", "1", "top", "2"}, {1, "2", "1", "take", "1"}, {1, "1", "2", "skip", "2"}}},
                             // BZ against BZXY twice, with XYBZ/XY and YBZ/Y: neither skipped character beats it.
                             ListingCase{"CandidateTakenAfterTwoSkips",
                                         "XYBZ",
                                         "BZXY",
                                         {{0, "1", "1", "top", "2"},
                                          {1, "3", "1", "take", "2"},
                                          {1, "1", "3", "skip", "2"},
                                          {1, "3", "1", "take", "2"},
                                          {1, "2", "4", "skip", "1"}}},
                             // Both candidates for B are rejected, then B is passed over.
                             ListingCase{"BothCandidatesRejected",
                                         "ABB",
                                         "BABB",
                                         {{0, "1", "1", "top", "3"},
                                          {1, "2", "1", "take", "2"},
                                          {1, "1", "2", "skip", "3"},
                                          {1, "3", "1", "take", "1"},
                                          {1, "1", "2", "skip", "3"}}}),
                         velmora::test::RowName());

std::string randomText(std::mt19937& random, std::size_t length)
{
    std::string text;
    for (std::size_t k = 0; k < length; ++k) text += static_cast<char>('A' + random() % 3);
    return text;
}

// Every invocation causes itself and what its children cause; a page from anywhere is the
// same as that stretch of one long listing; and the counts are those of length.
TEST(Trace, CountsAddUpAndPagesAgreeWithTheWholeListing)
{
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        const std::string first = randomText(random, 1 + random() % 8), second = randomText(random, 1 + random() % 8);
        const bool compute = round % 2 == 1;
        std::vector<std::string> args = {"trace", "--limit", "100000"};
        if (compute) args.insert(args.end(), {"--compute", "1"});
        args.insert(args.end(), {first, second});
        auto lines = linesOf(args);
        const std::string summary = lines.back();
        lines.pop_back();
        ASSERT_EQ(std::to_string(lines.size()), field(summary, "calls")) << first << " " << second;

        std::vector<int> depths;
        std::vector<mpz_class> calls;
        for (const std::string& line : lines) {
            depths.push_back(std::stoi(field(line, "depth")));
            calls.emplace_back(field(line, "calls"));
        }
        mpz_class total = 0;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            if (depths[n] == 0) total += calls[n];
            mpz_class children = 0;
            for (std::size_t m = n + 1; m < lines.size() && depths[m] > depths[n]; ++m)
                if (depths[m] == depths[n] + 1) children += calls[m];
            ASSERT_EQ(calls[n], children + 1) << first << " " << second << " line " << n;
        }
        ASSERT_EQ(total, mpz_class(field(summary, "calls")));
        if (lines.empty()) continue;  // an alignment that made no call

        const std::size_t from = 1 + random() % lines.size(), limit = 1 + random() % 5;
        std::vector<std::string> page = {"trace", "--from", std::to_string(from), "--limit", std::to_string(limit)};
        if (compute) page.insert(page.end(), {"--compute", "1"});
        page.insert(page.end(), {first, second});
        auto paged = linesOf(page);
        const std::string pagedSummary = paged.back();
        paged.pop_back();
        const std::vector<std::string> expected(
            lines.begin() + static_cast<std::ptrdiff_t>(from - 1),
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), from - 1 + limit)));
        ASSERT_EQ(paged, expected) << first << " " << second << " from " << from;
        ASSERT_EQ(field(pagedSummary, "truncated"), from - 1 + limit < lines.size() ? "true" : "false");
        if (!compute) {
            const auto length = linesOf({"length", "--no-count-limit", first, second});
            ASSERT_EQ(field(length[0], "calls"), field(summary, "calls"));
        }
    }
}

// x a x a ... against a a ...: 2^133 invocations, and a page deep inside answers at once.
TEST(Trace, JumpsDeepIntoAHugeTree)
{
    std::string first, second(133, 'a');
    for (int k = 0; k < 133; ++k) first += "xa";
    const mpz_class deep = (mpz_class(1) << 132) + 12345;
    const auto lines = linesOf({"trace", "--from", deep.get_str(), "--limit", "3", first, second});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(field(lines[0], "call"), deep.get_str());
    EXPECT_EQ(field(lines[1], "call"), mpz_class(deep + 1).get_str());
    EXPECT_EQ(field(lines[3], "calls"), mpz_class(mpz_class(1) << 133).get_str());
    EXPECT_EQ(field(lines[3], "truncated"), "true");
}

TEST(Growth, IsReproducibleAndCountsAsLengthDoes)
{
    const std::vector<std::string> args = {"growth",  "--alphabet", "AB", "--alphabet", "x-z", "--lengths",
                                           "5:25:10", "--samples",  "3",  "--seed",     "42"};
    auto once = linesOf(args), again = linesOf(args);
    ASSERT_EQ(once.size(), 8u);  // six points, then a fitted line per alphabet
    for (auto* lines : {&once, &again})
        for (auto& line : *lines) line = std::regex_replace(line, std::regex("\"seconds\":[-0-9.e]+"), "");
    EXPECT_EQ(once, again);
    EXPECT_EQ(field(once[3], "alphabet"), "xyz");

    std::size_t row = 0;
    for (const char* alphabet : {"AB", "x-z"}) {
        for (const std::size_t n : {5, 15, 25}) {
            std::vector<mpz_class> counts;
            for (std::size_t sample = 0; sample < 3; ++sample) {
                const auto [a, b] = randomPair(42, expandAlphabet(alphabet), n, sample);
                counts.emplace_back(field(
                    linesOf({"length", "--no-count-limit", utf16ToUtf8Lossy(a), utf16ToUtf8Lossy(b)})[0], "calls"));
            }
            std::sort(counts.begin(), counts.end());
            EXPECT_EQ(field(once[row], "min"), counts[0].get_str());
            EXPECT_EQ(field(once[row], "median"), counts[1].get_str());
            EXPECT_EQ(field(once[row], "max"), counts[2].get_str());
            ++row;
        }
    }
    EXPECT_EQ(field(once[6], "fit"), "least squares");
    EXPECT_EQ(field(once[7], "alphabet"), "xyz");
}

// A point's texts depend on the seed, its alphabet, its n and the sample alone: not on
// the other alphabets listed, their order, or the range of lengths.
TEST(Growth, EachPointIsReproducibleAlone)
{
    const auto pointOf = [](const std::vector<std::string>& args, const std::string& alphabet, const std::string& n) {
        for (const std::string& line : linesOf(args))
            if (field(line, "alphabet") == alphabet && field(line, "n") == n && field(line, "fit").empty())
                return std::regex_replace(line, std::regex("\"seconds\":[-0-9.e]+"), "");
        return std::string("missing");
    };
    const std::string alone =
        pointOf({"growth", "--alphabet", "ACGT", "--lengths", "20:20:1", "--samples", "3", "--texts"}, "ACGT", "20");
    EXPECT_NE(alone, "missing");
    EXPECT_NE(alone.find("\"texts\":[["), std::string::npos);
    EXPECT_EQ(pointOf({"growth", "--alphabet", "AB", "--alphabet", "ACGT", "--lengths", "10:30:10", "--samples", "3",
                       "--texts"},
                      "ACGT", "20"),
              alone);
}

// A character outside the Basic Multilingual Plane is one character of an alphabet: the
// texts hold it whole, as a surrogate pair, never half of one.
TEST(Growth, AlphabetsHoldWholeCharacters)
{
    const Alphabet astral = expandAlphabet("\xF0\x9D\x92\x9C-\xF0\x9D\x92\x9E");  // three mathematical capitals
    ASSERT_EQ(astral.size(), 3u);
    for (const std::u16string& character : astral) EXPECT_EQ(character.size(), 2u);
    const auto [first, second] = randomPair(7, astral, 6, 0);
    EXPECT_EQ(first.size(), 12u);
    for (std::size_t k = 0; k < first.size(); k += 2) {
        EXPECT_TRUE(first[k] >= 0xD800 && first[k] < 0xDC00);
        EXPECT_TRUE(first[k + 1] >= 0xDC00 && first[k + 1] < 0xE000);
    }
    EXPECT_EQ(expandAlphabet("aa-c").size(), 3u);  // a repeated character counts once
}

// Each point reaches the output, flushed, as soon as it is done: an interrupted run keeps
// the points before it.
TEST(Growth, StreamsAPointAtATime)
{
    LinesAtFlush buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    ASSERT_EQ(runCli({"growth", "--alphabet", "AB", "--lengths", "4:8:2", "--samples", "2"}, out, err), 0);
    EXPECT_EQ(buffer.lines, (std::vector<std::size_t>{1, 2, 3, 4}));  // three points, then the fit
}

// Each refused with exit status 2 before any work: nothing on stdout, the reason on stderr.
TEST(Growth, RefusesBadArgumentsBeforeAnyWork)
{
    struct Refusal {
        const char* name;
        std::vector<std::string> args;
        const char* reason;
    };
    const Refusal refusals[] = {
        {"a negative seed", {"--seed", "-1"}, "--seed takes a whole number"},
        {"a seed past 2^64 - 1", {"--seed", "18446744073709551616"}, "--seed takes a whole number"},
        {"a seed with trailing text", {"--seed", "12x"}, "--seed takes a whole number"},
        {"a falling range", {"--alphabet", "z-a"}, "a range runs from the lower character"},
        {"a chart in a folder that does not exist", {"--svg", "/nonexistent/x.svg"}, "cannot be written"},
        {"an empty chart path", {"--svg", ""}, "--svg needs a file name"},
    };
    for (const Refusal& refusal : refusals) {
        std::vector<std::string> args = {"growth", "--alphabet", "AB", "--lengths", "2000:2000:1", "--samples", "1"};
        args.insert(args.end(), refusal.args.begin(), refusal.args.end());
        std::ostringstream out, err;
        EXPECT_EQ(runCli(args, out, err), 2) << refusal.name;
        EXPECT_EQ(out.str(), "") << refusal.name;
        EXPECT_NE(err.str().find(refusal.reason), std::string::npos) << refusal.name << ": " << err.str();
    }
    EXPECT_EQ(
        field(linesOf({"growth", "--alphabet", "AB", "--lengths", "3:3:1", "--seed", "18446744073709551615"})[0], "n"),
        "3");
}

TEST(Growth, ChartHoldsOneLineAndOneBandPerAlphabet)
{
    std::vector<GrowthRow> rows;
    for (const std::u16string alphabet : {u"AB", u"ACGT", u"abcdefghijklmnopqrstuvwxyz"})
        for (const std::size_t n : {10, 100, 1000})
            rows.push_back({alphabet, n, 1, 2, 3, 0.5 * double(n), 1.0 * double(n), 1.5 * double(n)});
    const std::string svg = growthChartSvg(rows);
    EXPECT_NE(svg.find("文本长度 n"), std::string::npos);
    EXPECT_NE(svg.find("ACGT（4 个字符 · letters）"), std::string::npos);
    EXPECT_NE(svg.find("text length n"), std::string::npos);  // English beside the Chinese
    EXPECT_NE(svg.find("斜率 slope 1.00 bits/n"), std::string::npos);
#ifdef VELMORA_HAVE_QT_XML
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    std::map<QString, int> elements;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) ++elements[xml.name().toString()];
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(elements[QStringLiteral("polyline")], 3);
    EXPECT_EQ(elements[QStringLiteral("polygon")], 3);
    EXPECT_EQ(elements[QStringLiteral("circle")], 9);  // a marker on every point
#endif
}

}  // namespace

namespace {

// Medians that follow one shape exactly: its fit leaves no residual, the other's does.
struct GrowthShape {
    const char* name;
    double (*log2Median)(double n);
    bool nLogN;
};

class GrowthFitShape : public testing::TestWithParam<GrowthShape> {};

TEST_P(GrowthFitShape, TellsALineFromNLogN)
{
    std::vector<GrowthRow> rows;
    for (std::size_t n = 1000; n <= 5000; n += 500) {
        GrowthRow row{};
        row.alphabet = u"AB";
        row.length = n;
        row.log2Median = GetParam().log2Median(static_cast<double>(n));
        rows.push_back(row);
    }
    const std::vector<GrowthFit> fits = fitGrowth(rows);
    ASSERT_EQ(fits.size(), 1u);
    const LineFit& exact = GetParam().nLogN ? fits[0].nLogN : fits[0].linear;
    const LineFit& other = GetParam().nLogN ? fits[0].linear : fits[0].nLogN;
    EXPECT_LT(exact.residuals, 1e-6);
    EXPECT_GT(other.residuals, 1.0);
    EXPECT_NEAR(exact.slope, 0.25, 1e-9);
    EXPECT_NEAR(exact.intercept, -7.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Growth, GrowthFitShape,
                         testing::Values(GrowthShape{"AFixedNumberOfBitsPerCharacter",
                                                     [](double n) { return 0.25 * n - 7; }, false},
                                         GrowthShape{"BitsPerCharacterRisingAsLogN",
                                                     [](double n) { return 0.25 * n * std::log2(n) - 7; }, true}),
                         test::RowName());

}  // namespace
