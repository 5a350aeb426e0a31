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
};
void growthCommand(const GrowthOptions& growth, std::ostream& out, std::ostream& err);

// An alphabet as --alphabet gives it: the characters literally, with a-z standing for a range.
std::u16string expandAlphabet(const std::string& argument);
// The pairs of random texts that growth measures for one alphabet and length; the same
// generator state gives the same texts on every machine.
std::vector<std::pair<std::u16string, std::u16string>>
randomPairs(std::mt19937_64& random, const std::u16string& alphabet, std::size_t length, std::size_t samples);

// One row of the growth data.
struct GrowthRow {
    std::u16string alphabet;
    std::size_t length;
    mpz_class min, median, max;
    double log2Min, log2Median, log2Max;
};
// The chart of log2(count) against the length: per alphabet a median line and a min-max band.
std::string growthChartSvg(const std::vector<GrowthRow>& rows);

}  // namespace velmora
