#pragma once
// Sums of limb arrays in one pass. Most rows of the limb sweep add two counts and a row's
// skip calls; two of GMP's additions read and write the sum twice, where one pass with
// two carry chains (ADX's adcx and adox) reads each operand once and writes once, in
// about two thirds of the time. The rows that reject every candidate at their first
// skipped character add two counts and a multiple of a third: with mulx, which leaves
// the flags alone, that is one pass too, where GMP's addition and multiply-add took two.

#include <gmp.h>

namespace velmora::sweep {

// Whether this processor runs the one-pass kernel; decided once, here only.
bool sumsInOnePass();

// dest = a + b + c over n >= 1 limbs each; returns the carry out of the top limb (0, 1 or
// 2). dest may be a or b, not c. In one pass where the processor can; else in two of GMP's.
mp_limb_t addThreeN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);

// dest = a + b + k * c over n >= 1 limbs each, k below 2^63; returns the limb carried
// out of the top (at most k + 2). dest may be a or b, not c. The rows that reject every
// candidate at their first skipped character add this, k being the candidates.
mp_limb_t addTwoAndMultipleN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n,
                             mp_limb_t k);

// The kernels themselves, for comparing them: the first only where sumsInOnePass().
mp_limb_t addThreeInOnePass(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);
mp_limb_t addThreeInTwoPasses(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n);
mp_limb_t addTwoAndMultipleInOnePass(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c,
                                     mp_size_t n, mp_limb_t k);
mp_limb_t addTwoAndMultipleInTwoPasses(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c,
                                       mp_size_t n, mp_limb_t k);

}  // namespace velmora::sweep
