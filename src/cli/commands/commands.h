#pragma once
// The commands of velmora-cli, one file each: the length of two texts, the whole computation,
// the lookup after it, the invocation tree, and the growth of the count.

#include <cstdint>
#include <gmpxx.h>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_options.h"

namespace velmora {

void lengthCommand(const CommonOptions& options, std::ostream& out);
void alignCommand(const CommonOptions& options, std::ostream& out);
void lookupCommand(const CommonOptions& options, const LookupOptions& lookup, std::ostream& out);

struct TraceOptions {
    std::string from = "1";
    std::size_t limit = 1000;
    int maxDepth = -1;            // -1: every depth
    std::string format = "json";  // json, text or dot
};
void traceCommand(const CommonOptions& common, const TraceOptions& trace, std::ostream& out);

struct PairsOptions {
    std::size_t top = 20;
};
void pairsCommand(const CommonOptions& common, const PairsOptions& pairs, std::ostream& out);

struct GrowthOptions {
    std::vector<std::string> alphabets;
    std::string lengths;
    std::size_t samples = 10;
    std::string seed = "1";  // checked by growthCommand: 0 to 2^64 - 1, as written
    int compute = 0;         // 0: CommonLength alone
    std::string svg;
    bool texts = false;  // each sample's two texts in its point's line
};
void growthCommand(const GrowthOptions& growth, std::ostream& out, std::ostream& err);

// An alphabet's characters, each one or two UTF-16 code units (a character outside the
// Basic Multilingual Plane is whole, never a lone surrogate).
using Alphabet = std::vector<std::u16string>;
// An alphabet as --alphabet gives it: the characters literally, with a-z standing for a range.
Alphabet expandAlphabet(const std::string& argument);
// The two random texts of one sample, n characters each: they depend on the seed, the
// alphabet, n and the sample's index alone, and are the same on every machine.
std::pair<std::u16string, std::u16string> randomPair(std::uint64_t seed, const Alphabet& alphabet, std::size_t n,
                                                     std::size_t sample);

// One row of the growth data.
struct GrowthRow {
    std::u16string alphabet;  // its characters, one after the other
    std::size_t length;
    mpz_class min, median, max;
    double log2Min, log2Median, log2Max;
    std::size_t letters = 0;  // characters in the alphabet
};
// Per alphabet, the least-squares line through log2 of the medians against n, and the
// slopes between neighbouring points (bits per character of each text).
// A least-squares line y = slope * x + intercept, and the sum of the squared residuals.
struct LineFit {
    double slope = 0, intercept = 0, residuals = 0;
};
// Per alphabet, log2 of the median count fitted against n and against n * log2(n), which
// tells a growth of a fixed number of bits per character from one that keeps rising.
struct GrowthFit {
    std::u16string alphabet;
    std::size_t from, to;
    LineFit linear, nLogN;
    std::vector<double> localSlopes;
};
std::vector<GrowthFit> fitGrowth(const std::vector<GrowthRow>& rows);

// The chart of log2(count) against the length: per alphabet a median line with markers,
// a min-max band and the fitted line with its slope.
std::string growthChartSvg(const std::vector<GrowthRow>& rows);

}  // namespace velmora
