// The index of occurrences against a scan of the text: the occurrences of every character
// from every position, for characters anywhere in the 16-bit range, in texts of few
// distinct characters and of many.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/row_name.h"
#include "engine/text_index/occurrence_index.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

struct IndexedText {
    const char* name;
    std::u16string text;
};

const IndexedText kTexts[] = {
    {"Empty", u""},
    {"OneCharacter", u"a"},
    {"LongRunWithShortTails", u"ab" + std::u16string(300, u'x') + u"ba"},
    {"Alternation", u"abababababababab"},
    {"EdgesOfTheRange", std::u16string{u'\0', u'\xFFFF', u'a', u'\0', u'\xFFFF', u'\xD800', u'\xDC00', u'\0'}},
    {"CharactersThatDifferInTheHighByteOnly", u"\x0161\x0261\x0061\x0161\x0061"},
    // Up to sixteen distinct characters are looked up in a table, more are searched.
    {"SixteenCharactersLookedUp", u"ponmlkjihgfedcbaabcdefghijklmnopaaap"},
    {"SeventeenCharactersSearched", u"qponmlkjihgfedcbaabcdefghijklmnopqaaaq"},
};

class Occurrences : public testing::TestWithParam<IndexedText> {};

TEST_P(Occurrences, AgreeWithAScanFromEveryPosition)
{
    const std::u16string& text = GetParam().text;
    const OccurrenceIndex index(text);
    std::u16string asked = text + u"zq";  // and two that do not occur
    asked += u'\x0100';
    const auto n = static_cast<std::int32_t>(text.size());
    for (const char16_t c : asked) {
        std::int32_t last = 0;
        for (std::int32_t p = 1; p <= n; ++p)
            if (text[static_cast<std::size_t>(p - 1)] == c) last = p;
        EXPECT_EQ(index.last(c), last);
        for (std::int32_t from = 1; from <= n + 1; ++from) {
            std::vector<std::int32_t> expected, found;
            for (std::int32_t p = from; p <= n; ++p)
                if (text[static_cast<std::size_t>(p - 1)] == c) expected.push_back(p);
            for (auto it = index.occurrencesFrom(c, from); index.isOccurrence(it, c); ++it) found.push_back(it->second);
            ASSERT_EQ(found, expected) << "character " << static_cast<int>(c) << " from " << from;
            EXPECT_EQ(index.next(c, from), expected.empty() ? 0 : expected.front());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Occurrences, testing::ValuesIn(kTexts), test::RowName());

}  // namespace
}  // namespace velmora
