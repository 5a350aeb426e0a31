#pragma once
// What a screen reader finds in the window: the window as a frame, named boxes and status
// labels in Chinese, the hidden engine buttons left out, and after a computation how many
// characters of each input box are unmatched (the light green).

#include <QString>

namespace velmora {

struct Controls;

// Names and describes the controls; installs the window's own accessible interface.
void makeAccessible(const Controls& controls);

// The input boxes' descriptions with the number of unmatched characters after a
// computation, or without it while editing.
void describeUnmatched(const Controls& controls, bool computed);

}  // namespace velmora
