#pragma once
// Which way a computation walks the two texts.

namespace velmora {

// Compute1 ("计算1"): Text1 is the upper text (RT1); Compute2 ("计算2"): Text1 is the lower text (RT2).
enum class Direction { Compute1, Compute2 };

}  // namespace velmora
