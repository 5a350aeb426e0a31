#pragma once
// The few big-number operations of the limb sweep, on limb arrays (see limb_column.h)
// and on GMP integers read as limb arrays, without copies.

#include <algorithm>
#include <cassert>
#include <gmpxx.h>

#include "engine/length/sweep/limb_column.h"
#include "engine/length/sweep/three_way_sum.h"

namespace velmora::sweep {

inline Limbs limbsOf(const mpz_class& value)
{
    assert(sgn(value) >= 0);
    return {mpz_limbs_read(value.get_mpz_t()), static_cast<mp_size_t>(mpz_size(value.get_mpz_t()))};
}

// A read-only GMP integer over a column's limbs, valid while `view` lives.
inline mpz_srcptr integerOf(Limbs value, mpz_t view) { return mpz_roinit_n(view, value.limbs, value.size); }

// Numbers that grow a limb at a time get a little more room, so that they seldom move.
inline void makeRoom(mpz_class& value, mp_size_t limbs)
{
    if (static_cast<mp_size_t>(value.get_mpz_t()->_mp_alloc) >= limbs) return;
    mpz_realloc2(value.get_mpz_t(), static_cast<mp_bitcnt_t>(limbs + limbs / 8 + 2) * GMP_NUMB_BITS);
}

// dest (room for max(a, b) + 1 limbs) = a + b; returns the size of the sum.
inline mp_size_t addLimbs(mp_limb_t* dest, Limbs a, Limbs b)
{
    if (a.size < b.size) std::swap(a, b);
    if (b.size == 0) {
        if (a.size > 0) mpn_copyi(dest, a.limbs, a.size);
        return a.size;
    }
    const mp_limb_t carry = mpn_add(dest, a.limbs, a.size, b.limbs, b.size);
    dest[a.size] = carry;
    return a.size + (carry != 0 ? 1 : 0);
}

// dest (room for the largest + 1 limbs, apart from the operands) = a + b + c; returns the
// size of the sum. The limbs all three have are summed in one pass.
inline mp_size_t addThree(mp_limb_t* dest, Limbs a, Limbs b, Limbs c)
{
    if (a.size < b.size) std::swap(a, b);
    if (b.size < c.size) std::swap(b, c);
    if (a.size < b.size) std::swap(a, b);
    if (c.size == 0) return addLimbs(dest, a, b);
    mp_limb_t carry = addThreeN(dest, a.limbs, b.limbs, c.limbs, c.size);
    if (b.size > c.size) {
        const mp_size_t n = b.size - c.size;
        const mp_limb_t pair = mpn_add_n(dest + c.size, a.limbs + c.size, b.limbs + c.size, n);
        carry = pair + mpn_add_1(dest + c.size, dest + c.size, n, carry);
    }
    if (a.size > b.size) carry = mpn_add_1(dest + b.size, a.limbs + b.size, a.size - b.size, carry);
    dest[a.size] = carry;
    return a.size + (carry != 0 ? 1 : 0);
}

// dest, of `size` limbs with room for max(size, s) + 1, grows by s * factor; returns its size.
inline mp_size_t addMultiple(mp_limb_t* dest, mp_size_t size, Limbs s, mp_limb_t factor)
{
    if (s.size == 0 || factor == 0) return size;
    if (size < s.size) {
        std::fill(dest + size, dest + s.size, mp_limb_t{0});
        size = s.size;
    }
    mp_limb_t carry =
        factor == 1 ? mpn_add_n(dest, dest, s.limbs, s.size) : mpn_addmul_1(dest, s.limbs, s.size, factor);
    if (size > s.size) carry = mpn_add_1(dest + s.size, dest + s.size, size - s.size, carry);
    if (carry != 0) dest[size++] = carry;
    return size;
}

// dest, of `size` limbs with room for one more, grows by a small number.
inline mp_size_t addSmall(mp_limb_t* dest, mp_size_t size, mp_limb_t small)
{
    if (size == 0) {
        dest[0] = small;
        return small != 0 ? 1 : 0;
    }
    if (mpn_add_1(dest, dest, size, small) != 0) dest[size++] = 1;
    return size;
}

// dest (room for the largest + 2 limbs, apart from c) = a + b + k * c; returns the size of
// the sum. The limbs all three have are summed in one pass.
inline mp_size_t addTwoAndMultiple(mp_limb_t* dest, Limbs a, Limbs b, Limbs c, mp_limb_t k)
{
    if (a.size < b.size) std::swap(a, b);
    const mp_size_t n = std::min(b.size, c.size);
    if (n == 0) return addMultiple(dest, addLimbs(dest, a, b), c, k);
    const mp_limb_t carry = addTwoAndMultipleN(dest, a.limbs, b.limbs, c.limbs, n, k);
    // The limbs above n: what is left of a and b, of the multiple of c, and the carry.
    mp_size_t size = addLimbs(dest + n, {a.limbs + n, a.size - n}, {b.limbs + n, b.size - n});
    size = addMultiple(dest + n, size, {c.limbs + n, c.size - n}, k);
    return n + addSmall(dest + n, size, carry);
}

}  // namespace velmora::sweep
