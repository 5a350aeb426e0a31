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
    static const bool adx = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & bit_ADX) != 0;
    }();
    return adx;
#else
    return false;
#endif
}

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
#else
mp_limb_t addThreeInOnePass(mp_limb_t*, const mp_limb_t*, const mp_limb_t*, const mp_limb_t*, mp_size_t)
{
    std::abort();  // callers ask sumsInOnePass() first
}
#endif

mp_limb_t addThreeN(mp_limb_t* dest, const mp_limb_t* a, const mp_limb_t* b, const mp_limb_t* c, mp_size_t n)
{
    return sumsInOnePass() ? addThreeInOnePass(dest, a, b, c, n) : addThreeInTwoPasses(dest, a, b, c, n);
}

}  // namespace velmora::sweep
