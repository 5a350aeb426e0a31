#include <algorithm>

#include "cli/commands/commands.h"
#include "cli/json_writer.h"
#include "engine/length/length_engine.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"
#include "engine/study/invocation_tree.h"

namespace velmora {
namespace {

const char16_t* roleName(InvocationTree::Role role)
{
    switch (role) {
    case InvocationTree::Role::Top: return u"top";
    case InvocationTree::Role::Take: return u"take";
    case InvocationTree::Role::Skip: return u"skip";
    }
    return u"";
}

const char16_t* verdictName(AlignmentCall::Verdict verdict)
{
    switch (verdict) {
    case AlignmentCall::Verdict::Accepted: return u"accepted";
    case AlignmentCall::Verdict::Rejected: return u"rejected";
    case AlignmentCall::Verdict::Standing: return u"standing";
    }
    return u"";
}

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
    std::vector<InvocationTree::Call> roots;
    std::vector<AlignmentCall> alignmentCalls;
    std::int16_t length = 0;
    mpz_class total;
    std::u16string text1 = first, text2 = second;
    if (common.compute == 0) {
        roots.push_back({InvocationTree::Role::Top, 1, 1});
        CallCounter counter(0, CallCounter::kNoLimit);
        length = LengthOf(common.engineKind(), first, second, counter);
        total = counter.exact();
    } else {
        ComparisonSession session;
        RecordingWindow window;
        window.type(first, second);
        session.start();
        AlignmentOptions options;
        options.engine = common.engineKind();
        options.callLimit = CallCounter::kNoLimit;
        options.onCall = [&](const AlignmentCall& call) { alignmentCalls.push_back(call); };
        total = session.compute(common.direction(), first, second, window, options).calls;
        length = session.state().ResultLength;
        text1 = session.state().Text1;
        text2 = session.state().Text2;
        for (const AlignmentCall& call : alignmentCalls)
            roots.push_back(
                {call.role == AlignmentCall::Role::Take ? InvocationTree::Role::Take : InvocationTree::Role::Skip,
                 call.pos1, call.pos2});
    }

    InvocationTree tree(text1, text2);
    const auto lines = tree.list(roots, from, trace.limit + 1);  // one more tells whether any follow
    const std::size_t shown = std::min(lines.size(), trace.limit);
    for (std::size_t n = 0; n < shown; ++n) {
        const InvocationTree::Line& line = lines[n];
        JsonObject json;
        json.bigInteger("call", line.number.get_str())
            .integer("depth", line.depth)
            .integer("i", line.call.i)
            .integer("j", line.call.j)
            .text("role", roleName(line.call.role))
            .integer("result", line.result)
            .bigInteger("calls", line.calls.get_str());
        if (common.compute != 0 && line.depth == 0) {
            const AlignmentCall& call = alignmentCalls[line.root];
            json.integer("offset", call.offset);
            if (call.role == AlignmentCall::Role::Skip) json.integer("k", call.skipped);
            json.text("verdict", verdictName(call.verdict));
        }
        out << json.str() << '\n';
    }
    out << JsonObject()
               .integer("length", length)
               .bigInteger("calls", total.get_str())
               .integer("shown", static_cast<std::int64_t>(shown))
               .boolean("truncated", lines.size() > shown)
               .str()
        << '\n';
}

}  // namespace velmora
