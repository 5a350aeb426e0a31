// The strict UTF-8 decoder and the JSON writer the command line prints with.

#include <gtest/gtest.h>

#include "common/row_name.h"

#include "cli/json_writer.h"
#include "cli/utf.h"

namespace {

using velmora::test::PrintTo;  // rows print as their names

using namespace velmora;

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::optional<std::u16string> units;  // nullopt: refused
    std::size_t faultOffset = 0;
};

class Utf8Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decoding, GivesTheUnitsOrTheFaultOffset)
{
    std::size_t fault = 99;
    const auto units = utf8ToUtf16(GetParam().bytes, &fault);
    EXPECT_EQ(units, GetParam().units);
    if (!GetParam().units) {
        EXPECT_EQ(fault, GetParam().faultOffset);
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, Utf8Decoding,
                         testing::Values(DecodeCase{"Empty", "", u""}, DecodeCase{"Ascii", "aZ~", u"aZ~"},
                                         DecodeCase{"TwoByteForm", "\xC2\xA0", u"\u00a0"},
                                         DecodeCase{"ThreeByteForm", "\xE7\xA8\x8B", u"程"},
                                         DecodeCase{"FourByteFormBecomesAPair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                                         DecodeCase{"LargestCodePoint", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
                                         DecodeCase{"NoncharacterIsKept", "\xEF\xB7\x90", u"\uFDD0"},
                                         DecodeCase{"PastU10FFFF", "a\xF4\x90\x80\x80", std::nullopt, 1},
                                         DecodeCase{"EncodedHighSurrogate", "\xED\xA0\x80", std::nullopt, 0},
                                         DecodeCase{"EncodedLowSurrogate", "ab\xED\xBF\xBF", std::nullopt, 2},
                                         DecodeCase{"OverlongSlash", "\xC0\xAF", std::nullopt, 0},
                                         DecodeCase{"OverlongThreeBytes", "x\xE0\x80\xAF", std::nullopt, 1},
                                         DecodeCase{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", std::nullopt, 0},
                                         DecodeCase{"TruncatedAtTheEnd", "ab\xE7\xA8", std::nullopt, 2},
                                         DecodeCase{"TruncatedBeforeASCII", "\xE7\xA8z", std::nullopt, 0},
                                         DecodeCase{"LoneContinuationByte", "a\x80", std::nullopt, 1},
                                         DecodeCase{"FiveByteLead", "\xF8\x88\x80\x80\x80", std::nullopt, 0}),
                         velmora::test::RowName());

// Each JSON type has its own function, and only its own C++ type goes in: a string
// literal can no longer become true, nor a pointer or a flag a number.
template <class Value>
concept BooleanWritable = requires(JsonObject json, Value value)
{
    json.boolean("k", value);
};
template <class Value>
concept IntegerWritable = requires(JsonObject json, Value value)
{
    json.integer("k", value);
};
static_assert(BooleanWritable<bool> && !BooleanWritable<const char*> && !BooleanWritable<int>);
static_assert(IntegerWritable<int> && IntegerWritable<std::int16_t> && IntegerWritable<std::int64_t>);
static_assert(!IntegerWritable<const char*> && !IntegerWritable<bool> && !IntegerWritable<double>);

TEST(JsonWriter, WritesEachTypeAsItself)
{
    JsonArray row;
    row.text(u"RT1").integer(-3).array(JsonArray().integer(1));
    const std::string json = JsonObject()
                                 .text("s", u"a\"\\\n\x01程\xD800")
                                 .integer("i", -2147483648LL)
                                 .bigInteger("c", "340282366920938463463374607431768211456")
                                 .boolean("b", false)
                                 .null("n")
                                 .array("a", row)
                                 .integers("v", {})
                                 .number("x", 0.5)
                                 .str();
    EXPECT_EQ(json, R"({"s":"a\"\\\n\u0001程\ud800","i":-2147483648,"c":340282366920938463463374607431768211456,)"
                    R"("b":false,"n":null,"a":["RT1",-3,[1]],"v":[],"x":0.5})");
    EXPECT_THROW(JsonObject().bigInteger("c", "12a"), std::invalid_argument);
    EXPECT_THROW(JsonObject().bigInteger("c", "012"), std::invalid_argument);
}

}  // namespace
