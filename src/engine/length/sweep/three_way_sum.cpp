#include "engine/length/sweep/three_way_sum.h"

#include <cstdlib>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#define VELMORA_ADX_KERNEL 1
#endif

namespace velmora::sweep {

bool sumsInOnePass()
{
#ifdef VELMORA_ADX_KERNEL
    // The multiple's kernel needs mulx (BMI2) as well, which processors with ADX have;
    // asked all the same.
    static const bool adx = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & bit_ADX) != 0 && (ebx & bit_BMI2) != 0;
    }();
    return adx;
#else
    return false;
#endif
}

namespace {
// Asked once at start-up rather than at every row's sum.
const bool kernelsInOnePass = sumsInOnePass();
}  // namespace

mp_limb_t addThreeInTwoPasses(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n)
{
    const mp_limb_t carry = mpn_add_n(dest, a, b, n);
    return carry + mpn_add_n(dest, dest, c, n);
}

#ifdef VELMORA_ADX_KERNEL
// Four limbs a round. a + b runs on the carry flag (adcx), the sum + c on the overflow
// flag (adox); the loop counts with lea and jrcxz, which leave both flags alone. Each limb
// is read from all three operands before it is written, so dest may be any of them.
mp_limb_t addThreeInOnePass(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n)
{
    mp_limb_t carry = 0, overflow = 0;
    auto rounds = static_cast<unsigned long>(n) >> 2;
    const auto rest = static_cast<unsigned long>(n) & 3;
    __asm__ volatile("xor %%eax, %%eax\n\t"  // clears both flags
                     "jrcxz 2f\n\t"
                     "1:\n\t"
                     "mov (%[a]), %%rax\n\t"
                     "mov 8(%[a]), %%r8\n\t"
                     "mov 16(%[a]), %%r9\n\t"
                     "mov 24(%[a]), %%r10\n\t"
                     "adcx (%[b]), %%rax\n\t"
                     "adcx 8(%[b]), %%r8\n\t"
                     "adcx 16(%[b]), %%r9\n\t"
                     "adcx 24(%[b]), %%r10\n\t"
                     "adox (%[c]), %%rax\n\t"
                     "adox 8(%[c]), %%r8\n\t"
                     "adox 16(%[c]), %%r9\n\t"
                     "adox 24(%[c]), %%r10\n\t"
                     "mov %%rax, (%[d])\n\t"
                     "mov %%r8, 8(%[d])\n\t"
                     "mov %%r9, 16(%[d])\n\t"
                     "mov %%r10, 24(%[d])\n\t"
                     "lea 32(%[a]), %[a]\n\t"
                     "lea 32(%[b]), %[b]\n\t"
                     "lea 32(%[c]), %[c]\n\t"
                     "lea 32(%[d]), %[d]\n\t"
                     "lea -1(%%rcx), %%rcx\n\t"
                     "jrcxz 2f\n\t"
                     "jmp 1b\n\t"
                     "2:\n\t"
                     "mov %[rest], %%rcx\n\t"
                     "jrcxz 4f\n\t"
                     "3:\n\t"
                     "mov (%[a]), %%rax\n\t"
                     "adcx (%[b]), %%rax\n\t"
                     "adox (%[c]), %%rax\n\t"
                     "mov %%rax, (%[d])\n\t"
                     "lea 8(%[a]), %[a]\n\t"
                     "lea 8(%[b]), %[b]\n\t"
                     "lea 8(%[c]), %[c]\n\t"
                     "lea 8(%[d]), %[d]\n\t"
                     "lea -1(%%rcx), %%rcx\n\t"
                     "jrcxz 4f\n\t"
                     "jmp 3b\n\t"
                     "4:\n\t"
                     "mov $0, %%eax\n\t"
                     "adcx %%rax, %[carry]\n\t"
                     "adox %%rax, %[overflow]\n\t"
                     : [a] "+r"(a), [b] "+r"(b), [c] "+r"(c), [d] "+r"(dest),
                       "+c"(rounds), [carry] "+r"(carry), [overflow] "+r"(overflow)
                     : [rest] "r"(rest)
                     : "rax", "r8", "r9", "r10", "cc", "memory");
    return carry + overflow;
}

// Four limbs a round. The products c * k go through an ordinary add/adc chain into
// registers; then a and b join them on the carry and overflow flags (adcx, adox). Each
// round ends by adding both flags to the high limb carried into the next round, which,
// below k + 3, cannot overflow: so the loop may count with dec, which clobbers the flags.
mp_limb_t addTwoAndMultipleInOnePass(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c,
                                     mp_size_t n, mp_limb_t k)
{
    mp_limb_t high = 0, h = 0, l0 = 0, l1 = 0, l2 = 0, l3 = 0;
    auto rounds = static_cast<unsigned long>(n) >> 2;
    auto rest = static_cast<unsigned long>(n) & 3;
    __asm__ volatile("test %%rcx, %%rcx\n\t"
                     "jz 2f\n\t"
                     "1:\n\t"
                     "mulx (%[c]), %[l0], %[h]\n\t"
                     "add %[high], %[l0]\n\t"
                     "mulx 8(%[c]), %[l1], %[high]\n\t"
                     "adc %[h], %[l1]\n\t"
                     "mulx 16(%[c]), %[l2], %[h]\n\t"
                     "adc %[high], %[l2]\n\t"
                     "mulx 24(%[c]), %[l3], %[high]\n\t"
                     "adc %[h], %[l3]\n\t"
                     "adc $0, %[high]\n\t"
                     "xor %k[h], %k[h]\n\t"  // h = 0, and both flags clear
                     "adcx (%[b]), %[l0]\n\t"
                     "adox (%[a]), %[l0]\n\t"
                     "adcx 8(%[b]), %[l1]\n\t"
                     "adox 8(%[a]), %[l1]\n\t"
                     "adcx 16(%[b]), %[l2]\n\t"
                     "adox 16(%[a]), %[l2]\n\t"
                     "adcx 24(%[b]), %[l3]\n\t"
                     "adox 24(%[a]), %[l3]\n\t"
                     "mov %[l0], (%[d])\n\t"
                     "mov %[l1], 8(%[d])\n\t"
                     "mov %[l2], 16(%[d])\n\t"
                     "mov %[l3], 24(%[d])\n\t"
                     "adcx %[h], %[high]\n\t"
                     "adox %[h], %[high]\n\t"
                     "lea 32(%[a]), %[a]\n\t"
                     "lea 32(%[b]), %[b]\n\t"
                     "lea 32(%[c]), %[c]\n\t"
                     "lea 32(%[d]), %[d]\n\t"
                     "dec %%rcx\n\t"
                     "jnz 1b\n\t"
                     "2:\n\t"
                     "test %[rest], %[rest]\n\t"
                     "jz 4f\n\t"
                     "3:\n\t"
                     "mulx (%[c]), %[l0], %[h]\n\t"
                     "add %[high], %[l0]\n\t"
                     "adc $0, %[h]\n\t"
                     "xor %k[high], %k[high]\n\t"
                     "adcx (%[b]), %[l0]\n\t"
                     "adox (%[a]), %[l0]\n\t"
                     "mov %[l0], (%[d])\n\t"
                     "adcx %[high], %[h]\n\t"
                     "adox %[high], %[h]\n\t"
                     "mov %[h], %[high]\n\t"
                     "lea 8(%[a]), %[a]\n\t"
                     "lea 8(%[b]), %[b]\n\t"
                     "lea 8(%[c]), %[c]\n\t"
                     "lea 8(%[d]), %[d]\n\t"
                     "dec %[rest]\n\t"
                     "jnz 3b\n\t"
                     "4:\n\t"
                     : [a] "+r"(a), [b] "+r"(b), [c] "+r"(c), [d] "+r"(dest), "+c"(rounds), [rest] "+r"(rest),
                       [high] "+r"(high), [h] "+r"(h), [l0] "+r"(l0), [l1] "+r"(l1), [l2] "+r"(l2), [l3] "+r"(l3)
                     : "d"(k)
                     : "cc", "memory");
    return high;
}
#else
mp_limb_t addThreeInOnePass(mp_limb_t*, const mp_limb_t*, const mp_limb_t*, const mp_limb_t*, mp_size_t)
{
    std::abort();  // callers ask sumsInOnePass() first
}
mp_limb_t addTwoAndMultipleInOnePass(mp_limb_t*, const mp_limb_t*, const mp_limb_t*, const mp_limb_t*, mp_size_t,
                                     mp_limb_t)
{
    std::abort();
}
#endif

mp_limb_t addTwoAndMultipleInTwoPasses(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c,
                                       mp_size_t n, mp_limb_t k)
{
    const mp_limb_t carry = mpn_add_n(dest, a, b, n);
    return carry + mpn_addmul_1(dest, c, n, k);
}

mp_limb_t addTwoAndMultipleN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n,
                             mp_limb_t k)
{
    return kernelsInOnePass ? addTwoAndMultipleInOnePass(dest, a, b, c, n, k)
                            : addTwoAndMultipleInTwoPasses(dest, a, b, c, n, k);
}

mp_limb_t addThreeN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n)
{
    return kernelsInOnePass ? addThreeInOnePass(dest, a, b, c, n) : addThreeInTwoPasses(dest, a, b, c, n);
}

}  // namespace velmora::sweep
