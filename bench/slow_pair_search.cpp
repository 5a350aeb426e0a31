// Searches structured families of 32,766-character pairs for the slowest alignment under
// the window's count limit, as a whole computation (result or overflow). Each pair gets
// at most --cap seconds (default 2); a pair still running then is cancelled and reported
// as slower than the cap.
//
//   slow_pair_search [--cap SECONDS] [--length N] [--literal] [--only TEXT] [--write DIR]
//   slow_pair_search --search SECONDS [--first-seed S] [--cap SECONDS] [--length N]
//
// --only keeps the families whose name contains TEXT; --write DIR writes the first of
// them as DIR/upper.txt and DIR/lower.txt (UTF-8), for velmora-cli align --files.
// --search tries random pairs of long runs with short tails for that long instead, from
// seed S on (1 if not given), so that a later search can go on where one ended; --only
// "random tailed runs, seed S" --write DIR writes one of them.
// With --literal each pair is also aligned by the literal engine (same cap), and the pairs
// on which the fast engine was the slower are listed (the best of five runs each, for
// alignments under 50 ms).

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"

namespace {

using namespace velmora;

struct Pair {
    std::string family;
    std::u16string upper, lower;
};

std::u16string runs(const std::vector<std::pair<char16_t, std::size_t>>& blocks)
{
    std::u16string text;
    for (const auto& [c, n] : blocks) text.append(n, c);
    return text;
}

std::u16string periodic(std::u16string_view unit, std::size_t length)
{
    std::u16string text;
    while (text.size() < length) text += unit;
    text.resize(length);
    return text;
}

std::u16string staircase(std::u16string_view letters, std::size_t length, bool rising)
{
    std::u16string text;
    for (std::size_t step = 1; text.size() < length; ++step)
        text.append(rising ? step : std::max<std::size_t>(1, 200 - step % 200), letters[step % letters.size()]);
    text.resize(length);
    return text;
}

std::u16string randomRuns(unsigned seed, std::size_t length, unsigned letters, std::size_t longest)
{
    std::mt19937 random(seed);
    std::u16string text;
    while (text.size() < length) text.append(1 + random() % longest, static_cast<char16_t>(u'a' + random() % letters));
    text.resize(length);
    return text;
}

// Random units over the first `letters` letters, each repeated to up to longestStretch
// characters; by default units of two to four of a-d, stretches up to 3,000.
struct StretchShape {
    unsigned letters = 4;
    unsigned shortestUnit = 2, longestUnit = 4;
    unsigned longestStretch = 3000;
};

std::u16string randomStretches(unsigned seed, std::size_t length, const StretchShape& shape = {})
{
    std::mt19937 random(seed);
    std::u16string text;
    while (text.size() < length) {
        std::u16string unit;
        for (auto k = shape.shortestUnit + random() % (shape.longestUnit - shape.shortestUnit + 1); k > 0; --k)
            unit += static_cast<char16_t>(u'a' + random() % shape.letters);
        for (auto count = 1 + random() % shape.longestStretch / unit.size(); count > 0; --count) text += unit;
    }
    text.resize(length);
    return text;
}

enum class TailAt { End, Middle, BothEnds };

// A long run of one character with a short tail of others: at the end, in the middle of
// the run, or split over both ends.
std::u16string runWithTail(char16_t run, std::size_t n, const std::u16string& tail, TailAt at)
{
    const std::size_t body = n - std::min(n, tail.size());
    switch (at) {
    case TailAt::End: return std::u16string(body, run) + tail;
    case TailAt::Middle: return std::u16string(body / 2, run) + tail + std::u16string(body - body / 2, run);
    case TailAt::BothEnds:
        return tail.substr(0, tail.size() / 2) + std::u16string(body, run) + tail.substr(tail.size() / 2);
    }
    return {};
}

// Long stretches that are skipped or passed over whole, with short tails that match: the
// run of each text absent from the other or present in its tail, tails of 1 to 100
// characters over one to three letters (a, b, c), at the end, in the middle, at both ends.
void addTailedRuns(std::vector<Pair>& pairs, std::size_t n)
{
    pairs.push_back({"tailed runs, x*a^21b^16 against b*a^21", runs({{u'x', n - 37}, {u'a', 21}, {u'b', 16}}),
                     runs({{u'b', n - 21}, {u'a', 21}})});
    const char* placeNames[] = {"at the end", "in the middle", "at both ends"};
    unsigned seed = 900;
    for (const auto& [upperRun, lowerRun, presence] :
         {std::tuple{u'x', u'y', "both absent"}, std::tuple{u'x', u'b', "lower present"},
          std::tuple{u'a', u'y', "upper present"}, std::tuple{u'a', u'b', "both present"}})
        for (const std::size_t tail : {std::size_t{1}, std::size_t{8}, std::size_t{37}, std::size_t{100}})
            for (const TailAt at : {TailAt::End, TailAt::Middle, TailAt::BothEnds})
                for (const unsigned letters : {1U, 2U, 3U}) {
                    ++seed;
                    const std::u16string upperTail = randomRuns(seed, tail, letters, tail / 2 + 1);
                    const std::u16string lowerTail = randomRuns(seed + 5000, tail, letters, tail / 2 + 1);
                    pairs.push_back({"tailed runs, " + std::string(presence) + ", tails of " + std::to_string(tail) +
                                         " over " + std::to_string(letters) + " letters " +
                                         placeNames[static_cast<int>(at)],
                                     runWithTail(upperRun, n, upperTail, at), runWithTail(lowerRun, n, lowerTail, at)});
                }
}

// One random pair of the tailed class, for a search that runs as long as it is given: run
// characters present in the other text or not, tails of 1 to 100 characters over one to
// three letters at a random place, and texts of random lengths up to n.
Pair randomTailedRuns(unsigned seed, std::size_t n)
{
    std::mt19937 random(seed);
    const auto tail = [&] {
        const std::size_t length = 1 + random() % 100;
        return randomRuns(static_cast<unsigned>(random()), length, static_cast<unsigned>(1 + random() % 3),
                          1 + random() % length);
    };
    const auto text = [&](char16_t absentRun) {
        const char16_t run = random() % 2 ? absentRun : static_cast<char16_t>(u'a' + random() % 3);
        const std::size_t length = n / 2 + random() % (n - n / 2 + 1);
        return runWithTail(run, length, tail(), static_cast<TailAt>(random() % 3));
    };
    std::u16string upper = text(u'x');
    std::u16string lower = text(u'y');
    return {"random tailed runs, seed " + std::to_string(seed), std::move(upper), std::move(lower)};
}

std::vector<Pair> families(std::size_t n)
{
    std::vector<Pair> pairs;
    const std::size_t h = n / 2, t = n / 3;
    // A few long runs in every arrangement.
    const char16_t abc[] = {u'a', u'b', u'c'};
    for (const std::size_t split : {n / 2, n / 4, n / 8, n - 100, std::size_t{100}}) {
        pairs.push_back({"two runs exchanged, split " + std::to_string(split), runs({{u'a', split}, {u'b', n - split}}),
                         runs({{u'b', n - split}, {u'a', split}})});
        pairs.push_back({"two runs against one, split " + std::to_string(split),
                         runs({{u'a', split}, {u'b', n - split}}), runs({{u'b', n}})});
    }
    std::vector<int> order = {0, 1, 2};
    do {
        pairs.push_back(
            {"three runs abc against " + std::string{char('a' + order[0]), char('a' + order[1]), char('a' + order[2])},
             runs({{u'a', t}, {u'b', t}, {u'c', n - 2 * t}}),
             runs({{abc[order[0]], t}, {abc[order[1]], t}, {abc[order[2]], n - 2 * t}})});
    } while (std::next_permutation(order.begin(), order.end()));
    for (const std::size_t k : {std::size_t{4}, std::size_t{8}, std::size_t{16}}) {
        std::u16string up, down;
        for (std::size_t r = 0; r < k; ++r) up.append(n / k, static_cast<char16_t>(u'a' + r % 2));
        for (std::size_t r = 0; r < k; ++r) down.append(n / k, static_cast<char16_t>(u'a' + (r + 1) % 2));
        pairs.push_back({std::to_string(k) + " alternating runs against their shift", up, down});
    }
    // Runs against alternations.
    pairs.push_back({"two runs against (ab)*", runs({{u'a', h}, {u'b', n - h}}), periodic(u"ab", n)});
    pairs.push_back({"(ab)* against two runs", periodic(u"ab", n), runs({{u'a', h}, {u'b', n - h}})});
    pairs.push_back({"one run against (ab)*", runs({{u'a', n}}), periodic(u"ab", n)});
    pairs.push_back({"(xa)* against one run", periodic(u"xa", n), runs({{u'a', h}})});
    // Staircases.
    pairs.push_back({"rising staircase against falling", staircase(u"ab", n, true), staircase(u"ab", n, false)});
    pairs.push_back({"staircase against its reversal", staircase(u"abc", n, true),
                     std::u16string(staircase(u"abc", n, true).rbegin(), staircase(u"abc", n, true).rend())});
    // Periodic texts against their reversals and shifts.
    for (const std::u16string unit : {u"ab", u"abc", u"abcd", u"aab", u"abcabd"}) {
        const std::u16string text = periodic(unit, n);
        const std::string name(unit.begin(), unit.end());
        pairs.push_back({"(" + name + ")* against its reversal", text, std::u16string(text.rbegin(), text.rend())});
        pairs.push_back({"(" + name + ")* against its shift by 1", text, text.substr(1) + text.substr(0, 1)});
    }
    // Alternations in place of runs: candidates that never form a run.
    pairs.push_back({"three alternations against the same rotated",
                     periodic(u"ab", 2 * (n / 6)) + periodic(u"cd", 2 * (n / 6)) + periodic(u"ef", n - 4 * (n / 6)),
                     periodic(u"ef", 2 * (n / 6)) + periodic(u"ab", 2 * (n / 6)) + periodic(u"cd", n - 4 * (n / 6))});
    pairs.push_back({"two alternations exchanged", periodic(u"ab", h) + periodic(u"cd", n - h),
                     periodic(u"cd", n - h) + periodic(u"ab", h)});
    // Periodic texts against other periods, and runs against their reversal.
    pairs.push_back({"(ab)* against (aab)*", periodic(u"ab", n), periodic(u"aab", n)});
    pairs.push_back({"(abc)* against (acb)*", periodic(u"abc", n), periodic(u"acb", n)});
    pairs.push_back({"(aabb)* against (ab)*", periodic(u"aabb", n), periodic(u"ab", n)});
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::u16string text = randomRuns(seed + 50, n, 3, 300);
        pairs.push_back({"random runs against their reversal, seed " + std::to_string(seed), text,
                         std::u16string(text.rbegin(), text.rend())});
        pairs.push_back({"one run against random runs, seed " + std::to_string(seed), runs({{u'a', n}}),
                         randomRuns(seed + 60, n, 2, 1000)});
    }
    // Random runs of three letters as long as thousands, and stretches of short units.
    for (unsigned seed = 1; seed <= 12; ++seed)
        pairs.push_back({"random runs of three letters up to 8000, seed " + std::to_string(seed),
                         randomRuns(seed + 200, n, 3, 8000), randomRuns(seed + 300, n, 3, 8000)});
    for (unsigned seed = 1; seed <= 60; ++seed)
        pairs.push_back({"random stretches of units, seed " + std::to_string(seed), randomStretches(seed + 400, n),
                         randomStretches(seed + 500, n)});
    // Stretches of other shapes, where calls repeat calls most: from two letters to 26,
    // units of one letter to nine, stretches up to 100 characters to 10,000.
    const StretchShape shapes[] = {{4, 2, 4, 8000}, {3, 2, 4, 8000},  {2, 2, 4, 3000}, {3, 3, 5, 3000},
                                   {2, 3, 6, 5000}, {5, 1, 3, 2000},  {3, 1, 2, 500},  {6, 2, 6, 10000},
                                   {4, 1, 1, 3000}, {26, 2, 5, 4000}, {4, 5, 9, 6000}, {2, 1, 3, 100}};
    for (const StretchShape& shape : shapes)
        for (unsigned seed = 1; seed <= 4; ++seed)
            pairs.push_back({"stretches of units over " + std::to_string(shape.letters) + " letters, units of " +
                                 std::to_string(shape.shortestUnit) + " to " + std::to_string(shape.longestUnit) +
                                 ", up to " + std::to_string(shape.longestStretch) + ", seed " + std::to_string(seed),
                             randomStretches(seed + 600, n, shape), randomStretches(seed + 700, n, shape)});
    // Random runs.
    for (unsigned seed = 1; seed <= 6; ++seed)
        for (const std::size_t longest : {std::size_t{10}, std::size_t{100}, std::size_t{1000}, std::size_t{5000}})
            pairs.push_back({"random runs, longest " + std::to_string(longest) + ", seed " + std::to_string(seed),
                             randomRuns(seed, n, 2 + seed % 3, longest),
                             randomRuns(seed + 100, n, 2 + seed % 3, longest)});
    addTailedRuns(pairs, n);
    return pairs;
}

void writeUtf8(const std::string& path, const std::u16string& text)
{
    std::string bytes;
    for (const char16_t c : text) {  // the families use letters and the BMP only
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    // The folder is made if need be; a file that cannot be written ends the run with why.
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "slow_pair_search: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::exit(1);
    }
}

struct Timing {
    std::string name;
    double seconds;
    bool cancelled, overflowed;
    std::int32_t calls = 0;  // CallCount at the end
};

Timing timeOne(const Pair& pair, Direction direction, double cap, EngineKind engine = EngineKind::Fast)
{
    ComputationControl control;
    std::mutex m;
    std::condition_variable done;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        if (!done.wait_for(lock, std::chrono::duration<double>(cap), [&] { return finished; })) control.cancel();
    });
    ComparisonSession session;
    RecordingWindow window;
    window.type(pair.upper, pair.lower);
    session.start();
    AlignmentOptions options;
    options.control = &control;
    options.engine = engine;
    Timing timing{pair.family + (direction == Direction::Compute1 ? ", compute 1" : ", compute 2"), 0, false, false};
    const auto start = std::chrono::steady_clock::now();
    try {
        session.compute(direction, pair.upper, pair.lower, window, options);
    } catch (const OverflowError&) {
        timing.overflowed = true;
    } catch (const CancelledError&) {
        timing.cancelled = true;
    }
    timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.calls = session.state().CallCount;
    {
        const std::lock_guard lock(m);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
    return timing;
}

// Short alignments vary by a millisecond from run to run: the best of five, taken in
// turns, compares the engines rather than the machine's moods.
std::pair<Timing, Timing> bestOfBoth(const Pair& pair, Direction direction, double cap, Timing fast)
{
    constexpr double kShort = 0.05;
    Timing literal = timeOne(pair, direction, cap, EngineKind::Literal);
    for (int run = 1; run < 5 && fast.seconds < kShort && literal.seconds < kShort; ++run) {
        for (auto [engine, best] : {std::pair{EngineKind::Fast, &fast}, std::pair{EngineKind::Literal, &literal}}) {
            const Timing again = timeOne(pair, direction, cap, engine);
            if (again.seconds < best->seconds) *best = again;
        }
    }
    return {fast, literal};
}

// Random pairs of the tailed class, both directions, for as long as asked: how many were
// tried, and the slowest.
int searchRandomTailedRuns(double seconds, std::size_t length, double cap, unsigned firstSeed)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<Timing> slowest;
    std::size_t tried = 0;
    unsigned seed = firstSeed;
    for (; std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds; ++seed) {
        const Pair pair = randomTailedRuns(seed, length);
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            slowest.push_back(timeOne(pair, direction, cap));
            ++tried;
        }
        std::sort(slowest.begin(), slowest.end(),
                  [](const Timing& x, const Timing& y) { return x.seconds > y.seconds; });
        if (slowest.size() > 10) slowest.resize(10);
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu alignments of random tailed runs up to %zu characters (seeds %u to %u) in %.0f s; the slowest:\n",
                tried, length, firstSeed, seed - 1, took);
    for (const Timing& t : slowest)
        std::printf("  %8.3f s%s  %s%s\n", t.seconds, t.cancelled ? "+" : " ", t.name.c_str(),
                    t.overflowed ? " (overflow)" : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    double cap = 2;
    std::size_t length = kLongestText;
    bool literal = false;
    double searchSeconds = 0;
    unsigned firstSeed = 1;
    std::string only, write;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--literal") == 0) literal = true;
        if (i + 1 >= argc) continue;
        if (std::strcmp(argv[i], "--cap") == 0) cap = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--length") == 0) length = static_cast<std::size_t>(std::atol(argv[i + 1]));
        if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
        if (std::strcmp(argv[i], "--write") == 0) write = argv[i + 1];
        if (std::strcmp(argv[i], "--search") == 0) searchSeconds = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--first-seed") == 0) firstSeed = static_cast<unsigned>(std::atol(argv[i + 1]));
    }
    if (searchSeconds > 0) return searchRandomTailedRuns(searchSeconds, length, cap, firstSeed);
    if (!write.empty() && only.starts_with("random tailed runs, seed ")) {
        const Pair pair = randomTailedRuns(static_cast<unsigned>(std::atol(only.c_str() + 25)), length);
        writeUtf8(write + "/upper.txt", pair.upper);
        writeUtf8(write + "/lower.txt", pair.lower);
        std::printf("wrote %s\n", pair.family.c_str());
        return 0;
    }
    std::vector<Timing> timings;
    std::size_t fastSlower = 0, compared = 0;
    for (const Pair& pair : families(length)) {
        if (pair.family.find(only) == std::string::npos) continue;
        if (!write.empty()) {
            writeUtf8(write + "/upper.txt", pair.upper);
            writeUtf8(write + "/lower.txt", pair.lower);
            std::printf("wrote %s\n", pair.family.c_str());
            return 0;
        }
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            timings.push_back(timeOne(pair, direction, cap));
            if (!literal) continue;
            const auto [fast, reference] = bestOfBoth(pair, direction, cap, timings.back());
            ++compared;
            if (fast.seconds > reference.seconds && !(fast.cancelled && reference.cancelled)) {
                ++fastSlower;
                std::printf("  fast %.2f ms%s, literal %.2f ms%s: %s (%d calls)\n", fast.seconds * 1e3,
                            fast.cancelled ? "+" : "", reference.seconds * 1e3, reference.cancelled ? "+" : "",
                            fast.name.c_str(), fast.calls);
            }
        }
    }
    if (literal)
        std::printf("the fast engine was slower than the literal one on %zu of %zu alignments\n", fastSlower, compared);
    std::sort(timings.begin(), timings.end(), [](const Timing& x, const Timing& y) { return x.seconds > y.seconds; });
    std::size_t over = 0;
    for (const Timing& t : timings) over += t.seconds >= 0.3;
    std::printf("%zu alignments of %zu characters, %zu at or over 0.3 s; the slowest:\n", timings.size(), length, over);
    for (std::size_t i = 0; i < timings.size() && i < 15; ++i)
        std::printf("  %8.3f s%s  %s%s\n", timings[i].seconds, timings[i].cancelled ? "+" : " ",
                    timings[i].name.c_str(), timings[i].overflowed ? " (overflow)" : "");
    std::printf("  (+: cancelled at the cap of %.1f s)\n", cap);
    // Calls that are answered get no help from the overflow proof: the slowest of them.
    const auto answered = std::find_if(timings.begin(), timings.end(), [](const Timing& t) { return !t.overflowed; });
    if (answered != timings.end())
        std::printf("the slowest answered without overflow: %.3f s%s  %s\n", answered->seconds,
                    answered->cancelled ? "+" : " ", answered->name.c_str());
    return 0;
}
