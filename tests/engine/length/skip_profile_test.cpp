// The profile of skipped characters answers, for any take length, where a candidate is
// rejected: at the first skipped character whose skip length beats it, with the skip
// calls up to there, and the floor down to which every take length is rejected there too.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "common/row_name.h"
#include "engine/length/skip_profile.h"

namespace velmora {
namespace {

using test::PrintTo;

struct Skip {
    std::optional<std::int16_t> length;  // none: no partner, no call
    std::uint64_t calls;
    std::int32_t unbeatenAfter = 0;  // then so many more that raise nothing, with no calls
};

struct Expected {
    std::int32_t m;
    std::uint64_t skipCalls;
    std::int16_t skipLength, floor;
};

struct ProfileRow {
    const char* name;
    std::vector<Skip> skips;
    std::int16_t takeLength;
    std::int32_t within;
    std::optional<Expected> rejection;
};

SkipProfile profileOf(const std::vector<Skip>& skips)
{
    SkipProfile profile;
    for (const Skip& skip : skips) {
        profile.add(skip.length, skip.calls);
        profile.addUnbeaten(skip.unbeatenAfter, 0);
    }
    return profile;
}

class Rejections : public testing::TestWithParam<ProfileRow> {};

TEST_P(Rejections, AtTheFirstSkippedCharacterThatBeatsTheTake)
{
    const ProfileRow& row = GetParam();
    const auto got = profileOf(row.skips).rejection(row.takeLength, row.within);
    ASSERT_EQ(got.has_value(), row.rejection.has_value());
    if (!got) return;
    EXPECT_EQ(got->m, row.rejection->m);
    EXPECT_EQ(got->skipCalls, row.rejection->skipCalls);
    EXPECT_EQ(got->skipLength, row.rejection->skipLength);
    EXPECT_EQ(got->floor, row.rejection->floor);
}

constexpr std::int32_t kAll = std::numeric_limits<std::int32_t>::max();
const std::vector<Skip> kRising{{1, 5}, {0, 2}, {4, 7}, {2, 1}, {6, 3}};

INSTANTIATE_TEST_SUITE_P(
    SkipProfile, Rejections,
    testing::Values(ProfileRow{"BeatenAtTheFirst", {{3, 10}}, 2, kAll, Expected{1, 10, 3, -1}},
                    ProfileRow{"AnEqualSkipLengthDoesNotReject", {{3, 10}}, 3, kAll, std::nullopt},
                    ProfileRow{"LowTakeRejectedAtTheFirst", kRising, 0, kAll, Expected{1, 5, 1, -1}},
                    ProfileRow{"MiddleTakeWhereTheMaximumFirstPassesIt", kRising, 3, kAll, Expected{3, 14, 4, 1}},
                    ProfileRow{"HighTakeAtTheLastRise", kRising, 5, kAll, Expected{5, 18, 6, 4}},
                    ProfileRow{"ATakeAboveEverySkipStands", kRising, 6, kAll, std::nullopt},
                    ProfileRow{"WithinStopsBeforeTheRejection", kRising, 3, 2, std::nullopt},
                    ProfileRow{"WithinReachingTheRejection", kRising, 3, 3, Expected{3, 14, 4, 1}},
                    ProfileRow{"CharactersWithoutAPartnerRaiseNothing",
                               {{std::nullopt, 0}, {std::nullopt, 0}, {2, 4}},
                               1,
                               kAll,
                               Expected{3, 4, 2, -1}},
                    ProfileRow{
                        "UnbeatenRunsMoveTheNextRiseOn", {{2, 3, 100}, {5, 1}}, 4, kAll, Expected{102, 4, 5, 2}}),
    test::RowName{});

TEST(SkipProfile, CallsStickAtTheLargestCount)
{
    SkipProfile profile;
    profile.add(1, std::numeric_limits<std::uint64_t>::max());
    profile.add(2, 5);
    profile.addUnbeaten(3, 7);
    EXPECT_EQ(profile.calls(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(profile.weighed(), 5);
    EXPECT_EQ(profile.best(), 2);
}

// Against reading the characters one by one, on random profiles: the rejection is at the
// first character that beats the take, every take length from the floor up is rejected
// at the same character, and one below the floor at an earlier one.
TEST(SkipProfile, FloorsAgreeWithReadingTheCharactersOneByOne)
{
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::optional<std::int16_t>> lengths;
        std::vector<std::uint64_t> calls;
        SkipProfile profile;
        const int count = 1 + static_cast<int>(random() % 30);
        for (int k = 0; k < count; ++k) {
            const std::optional<std::int16_t> length =
                random() % 4 == 0 ? std::nullopt
                                  : std::optional<std::int16_t>(static_cast<std::int16_t>(random() % 12));
            lengths.push_back(length);
            calls.push_back(random() % 100);
            profile.add(length, calls.back());
        }
        for (std::int16_t take = -1; take <= 12; ++take) {
            std::optional<std::int32_t> first;
            std::uint64_t sum = 0;
            for (int k = 0; k < count && !first; ++k) {
                sum += calls[static_cast<std::size_t>(k)];
                if (lengths[static_cast<std::size_t>(k)] && *lengths[static_cast<std::size_t>(k)] > take) first = k + 1;
            }
            const auto got = profile.rejection(take, kAll);
            ASSERT_EQ(got.has_value(), first.has_value()) << "round " << round << ", take " << take;
            if (!got) continue;
            EXPECT_EQ(got->m, *first) << "round " << round << ", take " << take;
            EXPECT_EQ(got->skipCalls, sum) << "round " << round << ", take " << take;
            EXPECT_LE(got->floor, take);
            EXPECT_GT(got->skipLength, take);
            for (std::int16_t lower = got->floor; lower <= take; ++lower)
                EXPECT_EQ(profile.rejection(lower, kAll)->m, got->m) << "round " << round << ", take " << lower;
            if (got->floor >= 0) {
                const auto below = profile.rejection(static_cast<std::int16_t>(got->floor - 1), kAll);
                EXPECT_LT(below->m, got->m) << "round " << round;
            }
        }
    }
}

}  // namespace
}  // namespace velmora
