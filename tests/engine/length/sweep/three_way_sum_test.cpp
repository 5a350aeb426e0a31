// The one-pass sums of three limb arrays, and of two and a multiple of a third, against
// GMP's integers: both kernels at every
// length around the four-limb rounds, with carries that run the whole length on either
// chain or on both at once, and the sum of operands of unequal sizes, the sweep's case.

#include <gtest/gtest.h>

#include <gmpxx.h>
#include <random>
#include <vector>

#include "common/row_name.h"
#include "engine/length/sweep/limb_arithmetic.h"
#include "engine/length/sweep/three_way_sum.h"

namespace velmora::sweep {
namespace {

using velmora::test::PrintTo;  // rows print as their names

using LimbVector = std::vector<mp_limb_t>;
constexpr mp_limb_t kAllOnes = ~mp_limb_t{0};

mpz_class integerOf(const LimbVector& limbs)
{
    mpz_class value;
    mpz_import(value.get_mpz_t(), limbs.size(), -1, sizeof(mp_limb_t), 0, 0, limbs.data());
    return value;
}

struct Operands {
    const char* name;
    // Limb k of operand `which` (0, 1, 2) in a sum of n limbs.
    mp_limb_t (*limb)(std::mt19937_64& random, int which, std::size_t k, std::size_t n);
};

const Operands kOperands[] = {
    {"Zeros", [](std::mt19937_64&, int, std::size_t, std::size_t) { return mp_limb_t{0}; }},
    {"AllOnesBothChainsCarryThroughEveryLimb",
     [](std::mt19937_64&, int, std::size_t, std::size_t) { return kAllOnes; }},
    {"FirstChainCarriesTheWholeLength",
     [](std::mt19937_64&, int which, std::size_t k, std::size_t) {
         return which == 0 ? kAllOnes : which == 1 ? mp_limb_t{k == 0} : mp_limb_t{0};
     }},
    {"SecondChainCarriesTheWholeLength",
     [](std::mt19937_64&, int which, std::size_t k, std::size_t) {
         return which == 0 ? kAllOnes : which == 2 ? mp_limb_t{k == 0} : mp_limb_t{0};
     }},
    {"OnlyTheTopLimbCarries",
     [](std::mt19937_64&, int which, std::size_t k, std::size_t n) {
         return k + 1 == n ? kAllOnes - static_cast<mp_limb_t>(which) : mp_limb_t{0};
     }},
    {"RandomLimbs", [](std::mt19937_64& random, int, std::size_t, std::size_t) { return random(); }},
    {"RandomLimbsNearTheTopOfTheirRange",
     [](std::mt19937_64& random, int, std::size_t, std::size_t) { return kAllOnes - random() % 3; }},
};

class ThreeWaySum : public testing::TestWithParam<Operands> {};

// k = 0 stands for the plain sum a + b + c, the others for a + b + k * c, k being the
// candidates a row rejects: from one to the longest text, and far beyond, where the high
// limbs of the products are near their own top.
TEST_P(ThreeWaySum, EveryKernelAgreesWithGmpAtEveryLength)
{
    std::mt19937_64 random(23);
    for (const mp_limb_t k :
         {mp_limb_t{0}, mp_limb_t{1}, mp_limb_t{2}, mp_limb_t{3}, mp_limb_t{32766}, mp_limb_t{1} << 62})
        for (std::size_t n = 1; n <= 41; ++n) {
            LimbVector operand[3];
            for (int which = 0; which < 3; ++which)
                for (std::size_t at = 0; at < n; ++at) operand[which].push_back(GetParam().limb(random, which, at, n));
            const mpz_class multiple = k == 0 ? 1 : static_cast<unsigned long>(k);
            const mpz_class expected = integerOf(operand[0]) + integerOf(operand[1]) + integerOf(operand[2]) * multiple;
            std::vector<bool> onePass = {false};
            if (sumsInOnePass()) onePass.push_back(true);
            for (const bool fused : onePass)
                for (const bool inPlace : {false, true}) {
                    LimbVector sum = inPlace ? operand[0] : LimbVector(n);
                    const mp_limb_t* first = inPlace ? sum.data() : operand[0].data();
                    const auto size = static_cast<mp_size_t>(n);
                    const mp_limb_t carry =
                        k == 0 ? (fused ? addThreeInOnePass : addThreeInTwoPasses)(sum.data(), first, operand[1].data(),
                                                                                   operand[2].data(), size)
                               : (fused ? addTwoAndMultipleInOnePass : addTwoAndMultipleInTwoPasses)(
                                     sum.data(), first, operand[1].data(), operand[2].data(), size, k);
                    sum.push_back(carry);
                    EXPECT_EQ(integerOf(sum), expected)
                        << n << " limbs, k = " << k << ", " << (fused ? "one pass" : "two passes")
                        << (inPlace ? ", in place" : "");
                }
        }
}

INSTANTIATE_TEST_SUITE_P(Operands, ThreeWaySum, testing::ValuesIn(kOperands), test::RowName());

// The sweep's sums: a count, another and a row's skip calls (or a multiple of them), of any
// sizes in any order.
TEST(ThreeWaySum, UnequalSizesInEveryOrder)
{
    std::mt19937_64 random(7);
    const std::size_t sizes[] = {0, 1, 3, 4, 9, 17};
    for (const std::size_t x : sizes)
        for (const std::size_t y : sizes)
            for (const std::size_t z : sizes)
                for (const bool ones : {false, true}) {
                    LimbVector operand[3];
                    const std::size_t size[3] = {x, y, z};
                    for (int which = 0; which < 3; ++which)
                        for (std::size_t k = 0; k < size[which]; ++k)
                            operand[which].push_back(ones ? kAllOnes : random());
                    LimbVector sum(std::max({x, y, z}) + 2);
                    const auto limbs = [&](int which) {
                        return Limbs{operand[which].data(), static_cast<mp_size_t>(operand[which].size())};
                    };
                    // The plain sum, then the rejecting rows' sum with two multiples.
                    for (const mp_limb_t k : {mp_limb_t{0}, mp_limb_t{1}, mp_limb_t{5}, mp_limb_t{32766}}) {
                        const mp_size_t used = k == 0 ? addThree(sum.data(), limbs(0), limbs(1), limbs(2))
                                                      : addTwoAndMultiple(sum.data(), limbs(0), limbs(1), limbs(2), k);
                        ASSERT_LE(static_cast<std::size_t>(used), sum.size());
                        LimbVector result(sum.begin(), sum.begin() + used);
                        EXPECT_TRUE(used == 0 || result.back() != 0) << "no high zero limb";
                        const mpz_class multiple = k == 0 ? 1 : static_cast<unsigned long>(k);
                        EXPECT_EQ(integerOf(result),
                                  integerOf(operand[0]) + integerOf(operand[1]) + multiple * integerOf(operand[2]))
                            << x << ", " << y << " and " << z << " limbs" << (ones ? " of all ones" : "")
                            << ", k = " << k;
                    }
                }
}

}  // namespace
}  // namespace velmora::sweep
