#pragma once
// What the commands that run a whole computation share: the texts captured as the
// compute buttons capture them, and the alignment run on a window without a screen.

#include "cli/command_options.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"

namespace velmora {

struct Computed {
    ComparisonSession session;
    RecordingWindow window;
    AlignmentReport report;
};

// Captures the texts as the compute buttons do and runs the alignment, with the options'
// engine and limit or with `alignment`.
void compute(const CommonOptions& options, Computed& c);
void compute(const CommonOptions& options, Computed& c, const AlignmentOptions& alignment);

}  // namespace velmora
