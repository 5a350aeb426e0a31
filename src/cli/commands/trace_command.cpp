#include <algorithm>

#include "cli/commands/commands.h"
#include "cli/commands/trace_listing.h"
#include "engine/length/length_engine.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"

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

}  // namespace

void traceCommand(const CommonOptions& common, const TraceOptions& trace, std::ostream& out)
{
    const mpz_class from = startNumber(trace.from);
    const std::u16string first = textArgument(common, 0), second = textArgument(common, 1);

    // The roots: the single outermost invocation, or the alignment's own calls in order.
    TraceListing listing;
    listing.compute = common.compute;
    listing.text1 = first;
    listing.text2 = second;
    std::vector<InvocationTree::Call> roots;
    if (common.compute == 0) {
        roots.push_back({InvocationTree::Role::Top, 1, 1});
        CallCounter counter(0, CallCounter::kNoLimit);
        listing.length = LengthOf(common.engineKind(), first, second, counter);
        listing.total = counter.exact();
    } else {
        ComparisonSession session;
        RecordingWindow window;
        window.type(first, second);
        session.start();
        AlignmentOptions options;
        options.engine = common.engineKind();
        options.callLimit = CallCounter::kNoLimit;
        options.onCall = [&](const AlignmentCall& call) { listing.alignmentCalls.push_back(call); };
        listing.total = session.compute(common.direction(), first, second, window, options).calls;
        listing.length = session.state().ResultLength;
        listing.text1 = session.state().Text1;
        listing.text2 = session.state().Text2;
        for (const AlignmentCall& call : listing.alignmentCalls)
            roots.push_back(
                {call.role == AlignmentCall::Role::Take ? InvocationTree::Role::Take : InvocationTree::Role::Skip,
                 call.pos1, call.pos2});
    }

    InvocationTree tree(listing.text1, listing.text2);
    const int maxDepth = trace.maxDepth < 0 ? std::numeric_limits<int>::max() : trace.maxDepth;
    listing.lines = tree.list(roots, from, trace.limit + 1, maxDepth);  // one more tells whether any follow
    listing.truncated = listing.lines.size() > trace.limit;
    listing.lines.resize(std::min(listing.lines.size(), trace.limit));
    if (trace.format == "text")
        writeTraceText(listing, out);
    else if (trace.format == "dot")
        writeTraceDot(listing, out);
    else
        writeTraceJson(listing, out);
}

}  // namespace velmora
