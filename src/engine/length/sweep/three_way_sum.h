#pragma once
// The sum of three limb arrays in one pass. Most rows of the limb sweep add two counts and
// a row's skip calls; two of GMP's additions read and write the sum twice, where one pass
// with two carry chains (ADX's adcx and adox) reads each operand once and writes once, in
// about two thirds of the time.

#include <gmp.h>

namespace velmora::sweep {

// Whether this processor runs the one-pass kernel; decided once, here only.
bool sumsInOnePass();

// dest = a + b + c over n >= 1 limbs each; returns the carry out of the top limb (0, 1 or
// 2). dest may be a or b, not c. In one pass where the processor can; else in two of GMP's.
mp_limb_t addThreeN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);

// The two kernels themselves, for comparing them: the first only where sumsInOnePass().
mp_limb_t addThreeInOnePass(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);
mp_limb_t addThreeInTwoPasses(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);

}  // namespace velmora::sweep
