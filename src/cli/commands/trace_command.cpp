#include <algorithm>

#include <functional>

#include "cli/commands/commands.h"
#include "cli/commands/computation.h"
#include "cli/commands/trace_listing.h"
#include "engine/length/length_engine.h"
#include "engine/study/kept_computation.h"

namespace velmora {
namespace {

mpz_class startNumber(const std::string& from)
{
    mpz_class number;
    if (from.empty() || from.find_first_not_of("0123456789") != std::string::npos || number.set_str(from, 10) != 0 ||
        number < 1)
        throw UsageError("--from takes a whole number from 1 on, of any size");
    return number;
}

// The forest's texts as its invocations see them, its length and its exact count, with
// the engine given; with --compute, the alignment's own calls go to onCall.
void countWhole(const CommonOptions& common, EngineKind engine, CallForest& forest,
                std::function<void(const AlignmentCall&)> onCall = {})
{
    forest.text1 = textArgument(common, 0);
    forest.text2 = textArgument(common, 1);
    if (common.compute == 0) {
        CallCounter counter(0, CallCounter::kNoLimit);
        forest.length = LengthOf(engine, forest.text1, forest.text2, counter);
        forest.total = counter.exact();
        return;
    }
    Computed computed;
    AlignmentOptions options;
    options.engine = engine;
    options.callLimit = CallCounter::kNoLimit;
    options.onCall = std::move(onCall);
    compute(common, computed, options);
    forest.total = computed.report.calls;
    forest.length = computed.session.state().ResultLength;
    forest.text1 = computed.session.state().Text1;
    forest.text2 = computed.session.state().Text2;
}

}  // namespace

void countWith(const CommonOptions& common, std::int16_t& length, mpz_class& total)
{
    CallForest forest;
    countWhole(common, common.engineKind(), forest);
    length = forest.length;
    total = forest.total;
}

CallForest callForest(const CommonOptions& common)
{
    // The fast engine: the same calls in the same order, whatever --engine says.
    CallForest forest;
    countWhole(common, EngineKind::Fast, forest,
               [&](const AlignmentCall& call) { forest.alignmentCalls.push_back(call); });
    if (common.compute == 0) forest.roots.push_back({InvocationTree::Role::Top, 1, 1});
    for (const AlignmentCall& call : forest.alignmentCalls) forest.roots.push_back(treeRoot(call));
    return forest;
}

void traceCommand(const CommonOptions& common, const TraceOptions& trace, std::ostream& out)
{
    const mpz_class from = startNumber(trace.from);
    CallForest forest = callForest(common);
    TraceListing listing;
    listing.compute = common.compute;
    InvocationTree tree(forest.text1, forest.text2);
    const int maxDepth = trace.maxDepth < 0 ? std::numeric_limits<int>::max() : trace.maxDepth;
    listing.lines = tree.list(forest.roots, from, trace.limit + 1, maxDepth);  // one more tells whether any follow
    listing.truncated = listing.lines.size() > trace.limit;
    listing.lines.resize(std::min(listing.lines.size(), trace.limit));
    listing.text1 = std::move(forest.text1);
    listing.text2 = std::move(forest.text2);
    listing.alignmentCalls = std::move(forest.alignmentCalls);
    listing.length = forest.length;
    listing.total = forest.total;
    const auto write = [&](TracePart part) {
        if (trace.format == "text")
            writeTraceText(listing, part, out);
        else if (trace.format == "dot")
            writeTraceDot(listing, part, out);
        else
            writeTraceJson(listing, part, out);
        out.flush();
    };
    // The invocations first: with the literal engine the summary's count can take long.
    write(TracePart::Invocations);
    if (!out) return;  // the output is gone; the caller reports why
    if (common.engineKind() == EngineKind::Literal) countWith(common, listing.length, listing.total);
    write(TracePart::Summary);
}

}  // namespace velmora
