#include "cli/commands/computation.h"

namespace velmora {

void compute(const CommonOptions& options, Computed& c) { compute(options, c, options.alignmentOptions()); }

void compute(const CommonOptions& options, Computed& c, const AlignmentOptions& alignment)
{
    const std::u16string upper = textArgument(options, 0), lower = textArgument(options, 1);
    c.window.type(upper, lower);
    c.session.start();
    c.report = c.session.compute(options.direction(), upper, lower, c.window, alignment);
}

}  // namespace velmora
