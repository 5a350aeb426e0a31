#pragma once
// Runs deeply recursive work on a thread whose stack holds the deepest nesting the
// method allows (up to 65,532 invocations active at once), and waits for it.

#include <functional>

namespace velmora {

// Runs work to its end on a thread with a large stack; exceptions reach the caller.
void runOnLargeStack(const std::function<void()>& work);

}  // namespace velmora
