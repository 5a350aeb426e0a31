#pragma once
// What the subcommands of velmora-cli share: their options, and reading the two texts.

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/method/alignment.h"
#include "highlight/match_lookup.h"

namespace velmora {

// A fault in what the caller asked for, as opposed to a limit of the method.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the subcommands share: the two texts and how to read them, and the engine.
struct CommonOptions {
    std::vector<std::string> texts;
    bool files = false;
    std::string engine = "fast";
    bool noCountLimit = false;
    int compute = 0;

    EngineKind engineKind() const { return engine == "literal" ? EngineKind::Literal : EngineKind::Fast; }
    Direction direction() const { return compute == 2 ? Direction::Compute2 : Direction::Compute1; }
    std::uint64_t callLimit() const { return noCountLimit ? CallCounter::kNoLimit : CallCounter::kWindowLimit; }
    AlignmentOptions alignmentOptions() const
    {
        AlignmentOptions o;
        o.engine = engineKind();
        o.callLimit = callLimit();
        return o;
    }
};

struct LookupOptions {
    std::string box;
    std::int32_t start = 0;
    std::int32_t length = 1;
    int button = kLeftButton;
};

// The first (0) or second (1) text, from the argument or, with --files, from its file.
std::u16string textArgument(const CommonOptions& options, std::size_t which);

}  // namespace velmora
