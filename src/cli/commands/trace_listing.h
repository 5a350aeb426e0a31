#pragma once
// One listing of the invocation tree, as the trace command found it, and the three forms
// it is written in: JSON lines, the nested text listing, and a Graphviz graph.

#include <gmpxx.h>
#include <ostream>
#include <string>
#include <vector>

#include "engine/method/alignment.h"
#include "engine/study/invocation_tree.h"

namespace velmora {

struct CommonOptions;

// The invocations one command studies: the outermost invocation on the two texts, or with
// --compute the alignment's own calls in order (its roots), with the length and the
// exact count of the whole.
struct CallForest {
    std::u16string text1, text2;                // as the invocations see them
    std::vector<AlignmentCall> alignmentCalls;  // with --compute
    std::vector<InvocationTree::Call> roots;
    std::int16_t length = 0;
    mpz_class total;
};
// The roots, the length and the count, all from the fast engine: with --engine literal
// the caller asks countWith for the count last, after what it lists.
CallForest callForest(const CommonOptions& common);
// The length and the count of the forest as the engine of --engine finds them.
void countWith(const CommonOptions& common, std::int16_t& length, mpz_class& total);

struct TraceListing {
    std::u16string text1, text2;                // as the invocations see them
    std::vector<AlignmentCall> alignmentCalls;  // the roots with --compute, else none
    int compute = 0;
    std::vector<InvocationTree::Line> lines;
    bool truncated = false;  // invocations follow the last line
    std::int16_t length = 0;
    mpz_class total;  // every invocation of the forest
};

// A listing is written in two parts: the invocations, then the summary, which may come
// long after them when the literal engine counts it.
enum class TracePart { Invocations, Summary };
void writeTraceJson(const TraceListing& listing, TracePart part, std::ostream& out);
void writeTraceText(const TraceListing& listing, TracePart part, std::ostream& out);
void writeTraceDot(const TraceListing& listing, TracePart part, std::ostream& out);

}  // namespace velmora
