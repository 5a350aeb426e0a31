#include <string_view>

#include "cli/commands/trace_listing.h"
#include "cli/json_writer.h"
#include "cli/utf.h"

namespace velmora {
namespace {

// Remainders longer than this are shortened to their beginning and "…".
constexpr std::size_t kShownRemainder = 20;

const char* roleName(InvocationTree::Role role)
{
    switch (role) {
    case InvocationTree::Role::Top: return "top";
    case InvocationTree::Role::Take: return "take";
    case InvocationTree::Role::Skip: return "skip";
    }
    return "";
}

const char* verdictName(AlignmentCall::Verdict verdict)
{
    switch (verdict) {
    case AlignmentCall::Verdict::Accepted: return "accepted";
    case AlignmentCall::Verdict::Rejected: return "rejected";
    case AlignmentCall::Verdict::Standing: return "standing";
    }
    return "";
}

std::u16string widen(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

// The remainder of a text from a 1-based position, as a person reads it.
std::string remainder(const std::u16string& text, std::int32_t from)
{
    std::u16string_view rest(text);
    rest.remove_prefix(std::min(rest.size(), static_cast<std::size_t>(from - 1)));
    if (rest.size() <= kShownRemainder) return utf16ToUtf8Lossy(rest);
    return utf16ToUtf8Lossy(rest.substr(0, kShownRemainder - 1)) + "…";
}

std::string invocations(const mpz_class& count) { return count.get_str() + (count == 1 ? " call" : " calls"); }

// The alignment's own words on one of its calls (a line of depth 0 with --compute).
std::string decision(const TraceListing& listing, const InvocationTree::Line& line)
{
    if (listing.compute == 0 || line.depth != 0) return "";
    const AlignmentCall& call = listing.alignmentCalls[line.root];
    std::string words = ", offset " + std::to_string(call.offset);
    if (call.role == AlignmentCall::Role::Skip) words += ", k " + std::to_string(call.skipped);
    return words + ", " + verdictName(call.verdict);
}

std::string invocationText(const TraceListing& listing, const InvocationTree::Line& line)
{
    return "CommonLength(" + remainder(listing.text1, line.call.i) + ", " + remainder(listing.text2, line.call.j) +
           ") = " + std::to_string(line.result);
}

std::string summaryText(const TraceListing& listing)
{
    return "length " + std::to_string(listing.length) + ", " + listing.total.get_str() + " invocations, " +
           std::to_string(listing.lines.size()) + " shown" + (listing.truncated ? ", more follow" : "");
}

std::string dotQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\n') {
            quoted += "\\n";  // a line break inside the label
            continue;
        }
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

void writeTraceJson(const TraceListing& listing, TracePart part, std::ostream& out)
{
    if (part == TracePart::Summary) {
        out << JsonObject()
                   .integer("length", listing.length)
                   .bigInteger("calls", listing.total.get_str())
                   .integer("shown", static_cast<std::int64_t>(listing.lines.size()))
                   .boolean("truncated", listing.truncated)
                   .str()
            << '\n';
        return;
    }
    for (const InvocationTree::Line& line : listing.lines) {
        JsonObject json;
        json.bigInteger("call", line.number.get_str())
            .integer("depth", line.depth)
            .integer("i", line.call.i)
            .integer("j", line.call.j)
            .text("role", widen(roleName(line.call.role)))
            .integer("result", line.result)
            .bigInteger("calls", line.calls.get_str());
        if (listing.compute != 0 && line.depth == 0) {
            const AlignmentCall& call = listing.alignmentCalls[line.root];
            json.integer("offset", call.offset);
            if (call.role == AlignmentCall::Role::Skip) json.integer("k", call.skipped);
            json.text("verdict", widen(verdictName(call.verdict)));
        }
        out << json.str() << '\n';
    }
}

// The nested listing: one invocation a line, two spaces of indent per level of nesting.
void writeTraceText(const TraceListing& listing, TracePart part, std::ostream& out)
{
    if (part == TracePart::Summary) {
        out << summaryText(listing) << '\n';
        return;
    }
    for (const InvocationTree::Line& line : listing.lines)
        out << std::string(2 * static_cast<std::size_t>(line.depth), ' ') << invocationText(listing, line) << "   "
            << roleName(line.call.role) << ", " << invocations(line.calls) << decision(listing, line) << '\n';
}

// One node per invocation listed and one edge per call. What the listing leaves out is
// drawn as one dashed node per open invocation, carrying the count of its unlisted part;
// with --compute the alignment is the root.
void writeTraceDot(const TraceListing& listing, TracePart part, std::ostream& out)
{
    if (part == TracePart::Summary) {
        out << "  label=" << dotQuoted(summaryText(listing)) << ";\n}\n";
        return;
    }
    out << "digraph invocations {\n"
        << "  node [shape=box, fontname=\"DejaVu Sans\"];\n";
    // The root: the alignment with --compute; invocations whose callers are not listed
    // (--from deep inside) hang from one node that stands for those callers.
    const std::string roots = listing.compute == 0 ? "" : "alignment";
    if (!roots.empty()) out << "  alignment [label=\"计算" << listing.compute << "\", shape=ellipse];\n";
    std::string top = roots;
    if (!listing.lines.empty() && listing.lines.front().depth > 0) {
        out << "  above [label=\"callers not listed\", style=dashed];\n";
        if (!roots.empty()) out << "  alignment -> above [style=dashed];\n";
        top = "above";
    }
    // What the listing leaves out (--limit, --max-depth, --from) is counted as it closes:
    // each listed invocation's subtree, less what was listed or counted inside it.
    struct Open {
        int depth;
        std::string node;
        mpz_class end;      // the number of its subtree's last invocation
        mpz_class covered;  // the last number of its subtree listed or counted so far
    };
    std::vector<Open> open;
    mpz_class topCovered = 0;
    int collapsed = 0;
    const auto rest = [&](const std::string& parent, const mpz_class& count) {
        if (count <= 0) return;
        // Appended rather than added: GCC 12 at -O3 sees a false overlap in "literal" + string.
        std::string node = "rest";
        node += std::to_string(++collapsed);
        out << "  " << node << " [label=" << dotQuoted(invocations(count) + " not listed") << ", style=dashed];\n";
        if (!parent.empty()) out << "  " << parent << " -> " << node << " [style=dashed];\n";
    };
    const auto covered = [&]() -> mpz_class& { return open.empty() ? topCovered : open.back().covered; };
    const auto close = [&] {
        rest(open.back().node, open.back().end - open.back().covered);
        const mpz_class end = open.back().end;
        open.pop_back();
        covered() = end;
    };
    for (const InvocationTree::Line& line : listing.lines) {
        while (!open.empty() && open.back().depth >= line.depth) close();
        const std::string parent = !open.empty() ? open.back().node : line.depth > 0 ? top : roots;
        rest(parent, line.number - 1 - covered());
        std::string node = "n";
        node += line.number.get_str();
        out << "  " << node << " [label="
            << dotQuoted(line.number.get_str() + ": " + invocationText(listing, line) + "\n" +
                         roleName(line.call.role) + ", " + invocations(line.calls) + decision(listing, line))
            << "];\n";
        if (!parent.empty()) out << "  " << parent << " -> " << node << ";\n";
        open.push_back({line.depth, node, line.number + line.calls - 1, line.number});
    }
    while (!open.empty()) close();
    rest(roots.empty() ? top : roots, listing.total - topCovered);
}

}  // namespace velmora
