#include <algorithm>

#include "cli/commands/commands.h"
#include "cli/commands/trace_listing.h"
#include "cli/json_writer.h"

namespace velmora {

// Where the count comes from: the pairs of remainders the invocations fall on, the most
// invoked first, each with how many invocations are on it and what one of them causes.
void pairsCommand(const CommonOptions& common, const PairsOptions& pairs, std::ostream& out)
{
    CallForest forest = callForest(common);
    InvocationTree tree(forest.text1, forest.text2);
    const auto uses = tree.uses(forest.roots);
    const std::size_t shown = std::min(uses.size(), pairs.top);
    for (std::size_t k = 0; k < shown; ++k) {
        const InvocationTree::PairUse& use = uses[k];
        out << JsonObject()
                   .integer("i", use.i)
                   .integer("j", use.j)
                   .integer("result", use.result)
                   .bigInteger("invoked", use.invoked.get_str())
                   .bigInteger("each", use.each.get_str())
                   .str()
            << '\n';
    }
    if (common.engineKind() == EngineKind::Literal) countWith(common, forest.length, forest.total);
    out << JsonObject()
               .integer("length", forest.length)
               .bigInteger("calls", forest.total.get_str())
               .integer("pairs", static_cast<std::int64_t>(uses.size()))
               .integer("shown", static_cast<std::int64_t>(shown))
               .str()
        << '\n';
}

}  // namespace velmora
