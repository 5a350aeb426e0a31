// trace --format text and dot, --max-depth, and pairs: the nested listing of the method's
// examples, a depth that keeps exactly the shallower lines of the whole tree, a Graphviz
// graph that accounts for every invocation and that dot draws, and pairs whose
// invocations add up to the count.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gmpxx.h>
#include <map>
#include <random>
#include <regex>

#include "cli_lines.h"

namespace velmora {
namespace {

struct TextCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> lines;
};

TEST(TraceText, PrintsTheNestedListing)
{
    const TextCase cases[] = {
        {"XYBZ against BZXY: the candidate taken after both skips",
         {"XYBZ", "BZXY"},
         {"CommonLength(XYBZ, BZXY) = 2   top, 5 calls", "  CommonLength(BZ, BZXY) = 2   take, 1 call",
          "  CommonLength(XYBZ, XY) = 2   skip, 1 call", "  CommonLength(BZ, BZXY) = 2   take, 1 call",
          "  CommonLength(YBZ, Y) = 1   skip, 1 call", "length 2, 5 invocations, 5 shown"}},
        {"ABB against BABB: both candidates rejected",
         {"ABB", "BABB"},
         {"CommonLength(ABB, BABB) = 3   top, 5 calls", "  CommonLength(BB, BABB) = 2   take, 1 call",
          "  CommonLength(ABB, ABB) = 3   skip, 1 call", "  CommonLength(B, BABB) = 1   take, 1 call",
          "  CommonLength(ABB, ABB) = 3   skip, 1 call", "length 3, 5 invocations, 5 shown"}},
        {"the alignment's own decisions only",
         {"--compute", "1", "--max-depth", "0", "abc", "ca"},
         {"CommonLength(c, ca) = 1   take, 1 call, offset 2, standing",
          "CommonLength(abc, a) = 1   skip, 1 call, offset 2, k 1, standing",
          "CommonLength(bc, a) = 0   skip, 1 call, offset 2, k 2, accepted", "length 1, 3 invocations, 3 shown"}},
        {"long remainders shortened, the listing cut short",
         {"--limit", "1", "abcdefghijklmnopqrstuvwxyz", "zyxwvutsrqponmlkjihgfedcba"},
         {"CommonLength(abcdefghijklmnopqrs…, zyxwvutsrqponmlkjih…) = 1   top, 51 calls",
          "length 1, 51 invocations, 1 shown, more follow"}},
    };
    for (const TextCase& c : cases) {
        std::vector<std::string> args = {"trace", "--format", "text"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(linesOf(args), c.lines) << c.name;
    }
}

// --max-depth D lists exactly the lines of the whole listing that are at most D deep,
// with the same numbers, for the outer invocation and for the alignment's calls.
TEST(TraceDepth, KeepsTheShallowerLinesOfTheWholeTree)
{
    std::mt19937 random(5);
    const auto text = [&](std::size_t n) {
        std::string t;
        for (std::size_t k = 0; k < n; ++k) t += static_cast<char>('a' + random() % 3);
        return t;
    };
    for (int round = 0; round < 12; ++round) {
        const std::string first = text(3 + random() % 6), second = text(3 + random() % 6);
        for (const char* compute : {"", "1", "2"}) {
            std::vector<std::string> args = {"trace", "--limit", "100000"};
            if (*compute) args.insert(args.end(), {"--compute", compute});
            args.insert(args.end(), {first, second});
            auto whole = linesOf(args);
            whole.pop_back();  // the summary
            for (const int depth : {0, 1, 2}) {
                std::vector<std::string> expected;
                for (const std::string& line : whole)
                    if (std::stoi(field(line, "depth")) <= depth) expected.push_back(line);
                auto deep = args;
                deep.insert(deep.begin() + 1, {"--max-depth", std::to_string(depth)});
                auto shown = linesOf(deep);
                shown.pop_back();
                ASSERT_EQ(shown, expected) << first << " " << second << " compute '" << compute << "' depth " << depth;
            }
        }
    }
}

// The invocations reach the output, flushed, before the summary, which the literal
// engine may take long to count.
TEST(TraceStreaming, ListsTheInvocationsBeforeTheSummary)
{
    for (const char* format : {"json", "text"}) {
        LinesAtFlush buffer;
        std::ostream out(&buffer);
        std::ostringstream err;
        ASSERT_EQ(runCli({"trace", "--engine", "literal", "--format", format, "--limit", "2", "ABB", "BABB"}, out, err),
                  0);
        EXPECT_EQ(buffer.lines, (std::vector<std::size_t>{2, 3})) << format;
    }
}

struct DotCase {
    const char* name;
    std::vector<std::string> args;
};

// Every invocation is a node or inside a dashed node's count; the edges form a tree over
// the listed nodes; and Graphviz draws the graph.
TEST(TraceDot, AccountsForEveryInvocationAndDraws)
{
    const DotCase cases[] = {
        {"the whole tree", {"ABB", "BABB"}},
        {"cut after three invocations", {"--limit", "3", "ABB", "BABB"}},
        {"a tree of 2^10 cut after one", {"--limit", "1", "xaxaxaxaxaxaxaxaxaxa", "aaaaaaaaaa"}},
        {"the alignment, cut deep inside", {"--compute", "1", "--limit", "7", "ABCBDAB", "BDCABA"}},
        {"the alignment's decisions only", {"--compute", "2", "--max-depth", "0", "ABCBDAB", "BDCABA"}},
        {"from deep inside, one level shown", {"--from", "9", "--max-depth", "1", "ABCBDAB", "BDCABA"}},
    };
    const bool graphviz = std::filesystem::exists("/usr/bin/dot");
    for (const DotCase& c : cases) {
        std::vector<std::string> args = {"trace", "--format", "dot"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto lines = linesOf(args);
        auto json = args;
        json[2] = "json";
        const std::string total = field(linesOf(json).back(), "calls");
        mpz_class counted = 0;
        std::map<std::string, int> incoming;  // per declared node
        const std::regex node(R"(^  (\w+) \[label=)"), rest(R"(^  rest\d+ \[label="(\d+) calls? not listed")"),
            listed(R"(^  n\d+ \[)"), edge(R"(^  \w+ -> (\w+))");
        std::smatch match;
        for (const std::string& line : lines) {
            if (std::regex_search(line, match, node)) incoming.emplace(match[1].str(), 0);
            if (std::regex_search(line, listed)) ++counted;
            if (std::regex_search(line, match, rest)) counted += mpz_class(match[1].str());
            if (std::regex_search(line, match, edge)) {
                ASSERT_TRUE(incoming.count(match[1].str())) << c.name << ": an edge to an undeclared " << match[1];
                ++incoming[match[1].str()];
            }
        }
        EXPECT_EQ(counted.get_str(), total) << c.name;
        int roots = 0;
        for (const auto& [name, edges] : incoming) {
            EXPECT_LE(edges, 1) << c.name << ": " << name;
            roots += edges == 0;
        }
        EXPECT_EQ(roots, 1) << c.name;
        if (!graphviz) continue;
        const std::string path = testing::TempDir() + "/trace.dot";
        std::ofstream(path) << [&] {
            std::string text;
            for (const std::string& line : lines) text += line + '\n';
            return text;
        }();
        EXPECT_EQ(std::system(("/usr/bin/dot -Tsvg -o /dev/null " + path).c_str()), 0) << c.name;
    }
}

// The pairs of remainders: the invocations on them add up to the whole count, and what one
// invocation on a pair causes is the count of the length function on its two remainders.
TEST(Pairs, AccountForEveryInvocation)
{
    struct PairsCase {
        const char* name;
        std::string first, second;
        const char* compute;
        std::size_t pairs;  // 0: not checked
    };
    std::vector<PairsCase> cases = {
        {"x a repeated against a: 11 pairs, 1,024 invocations", "xaxaxaxaxaxaxaxaxaxa", "aaaaaaaaaa", "", 11},
        {"the worked alignment", "ABCBDAB", "BDCABA", "1", 7},
    };
    std::mt19937 random(9);
    for (int round = 0; round < 8; ++round) {
        std::string first, second;
        for (auto length = 3 + random() % 8; length > 0; --length) first += static_cast<char>('a' + random() % 3);
        for (auto length = 3 + random() % 8; length > 0; --length) second += static_cast<char>('a' + random() % 3);
        cases.push_back({"random", first, second, round % 2 ? "2" : "", 0});
    }
    for (const PairsCase& c : cases) {
        std::vector<std::string> args = {"pairs", "--top", "1000000"};
        if (*c.compute) args.insert(args.end(), {"--compute", c.compute});
        args.insert(args.end(), {c.first, c.second});
        const auto lines = linesOf(args);
        const std::string summary = lines.back();
        if (c.pairs) {
            EXPECT_EQ(field(summary, "pairs"), std::to_string(c.pairs)) << c.name;
        }
        mpz_class invoked = 0, previous = -1;
        for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
            const mpz_class times(field(lines[k], "invoked"));
            if (previous >= 0) {
                EXPECT_LE(times, previous) << c.name << ": the most invoked first";
            }
            previous = times;
            invoked += times;
            // Remainders as the computation sees them: with --compute 2 the lower text leads.
            const std::string& a = std::string(c.compute) == "2" ? c.second : c.first;
            const std::string& b = std::string(c.compute) == "2" ? c.first : c.second;
            const auto i = std::stoul(field(lines[k], "i")), j = std::stoul(field(lines[k], "j"));
            const auto length = linesOf({"length", "--no-count-limit", "--", a.substr(std::min(a.size(), i - 1)),
                                         b.substr(std::min(b.size(), j - 1))});
            EXPECT_EQ(field(lines[k], "each"), field(length[0], "calls")) << c.name << " " << i << "," << j;
        }
        EXPECT_EQ(invoked.get_str(), field(summary, "calls")) << c.name << " " << c.first << " " << c.second;
    }
}

}  // namespace
}  // namespace velmora
