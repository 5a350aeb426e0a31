#pragma once
// A computation run off the window's thread. The window keeps repainting and answering
// meanwhile; once the work has run for about half a second a modal progress dialog shows
// the invocations counted so far, the time taken and, where the engine reports it, the
// fraction done, with a "取消" button that cancels the work.

#include <exception>
#include <functional>

#include "engine/base/computation_control.h"

class QWidget;

namespace velmora {

// Runs work(control) on its own thread and returns once it has ended, with what it threw
// (a CancelledError after 取消). The events of the window are processed in the meantime.
std::exception_ptr runWithProgress(QWidget* window, const std::function<void(ComputationControl&)>& work);

// How long a computation runs before the progress dialog appears.
inline constexpr int kProgressDelayMs = 500;

}  // namespace velmora
