#pragma once
// A computation run off the window's thread. The window keeps repainting and answering
// meanwhile; once the work has run for about half a second a modal progress dialog shows
// the invocations counted so far, the time taken and, where the engine reports it, the
// fraction done, with a "取消" button that cancels the work. The dialog is not modal, so
// that a close request for the window reaches it: the workflow then cancels the work.
//
// The engine works on a copy of the comparison state and records its window operations;
// they are carried out on the window afterwards, in their order, the one yield among them
// included, and the copy replaces the state after that yield, so that a click answered
// there still finds the lookup inactive, as it would mid-run.

#include <exception>
#include <functional>

#include "engine/base/computation_control.h"
#include "engine/method/alignment.h"
#include "engine/method/comparison_state.h"
#include "engine/method/recording_window.h"

class QWidget;

namespace velmora {

// How long a computation runs before the progress dialog appears.
inline constexpr int kProgressDelayMs = 500;

// Runs work(control) on its own thread and returns once it has ended, with what it threw
// (a CancelledError after 取消, or once the caller has cancelled the control). The events
// of the window are processed in the meantime.
std::exception_ptr runWithProgress(QWidget* window, ComputationControl& control,
                                   const std::function<void(ComputationControl&)>& work);

// One alignment off the window's thread, on a copy of the state.
struct OffThreadAlignment {
    ComparisonState state;     // the copy, as the alignment left it
    RecordingWindow recorded;  // the window operations it issued, in order
    std::exception_ptr failure;
};
OffThreadAlignment alignOffThread(QWidget* window, ComputationControl& control, const ComparisonState& state,
                                  Direction direction, AlignmentOptions options);

// Carries out the recorded operations on the window; afterYield runs once the recorded
// yield has been carried out (or at the end, if there was none).
void replayOnWindow(const RecordingWindow& recorded, WindowOperations& window, std::function<void()> afterYield);

}  // namespace velmora
