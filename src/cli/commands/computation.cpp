#include "cli/commands/computation.h"

#include "cli/terminal_progress.h"

namespace velmora {

void compute(const CommonOptions& options, Computed& c) { compute(options, c, options.alignmentOptions()); }

void compute(const CommonOptions& options, Computed& c, const AlignmentOptions& alignment)
{
    const std::u16string upper = textArgument(options, 0), lower = textArgument(options, 1);
    c.window.type(upper, lower);
    c.session.start();
    ComputationControl control;
    AlignmentOptions withProgress = alignment;
    if (!withProgress.control) withProgress.control = &control;
    TerminalProgress progress(*withProgress.control);
    c.report = c.session.compute(options.direction(), upper, lower, c.window, withProgress);
}

}  // namespace velmora
