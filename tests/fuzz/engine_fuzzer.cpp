// Feeds arbitrary bytes, read as two short texts and a direction, to both engines and
// stops on any difference in result, call count, gap table or window operations.

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "engine/alignment.h"
#include "engine/checked_arithmetic.h"
#include "engine/common_length.h"
#include "engine/fast_common_length.h"
#include "engine/headless_window.h"

namespace {

using namespace velmora;

constexpr std::size_t kLongestText = 12;  // the literal engine is exponential

char16_t characterOf(std::uint8_t byte, std::uint8_t alphabet)
{
    static const char16_t wide[] = {u'程', u'序', u'设', u'计', 0xD83D, 0xDE00, 0xDE01, u'\u00a0'};
    switch (alphabet) {
    case 0: return static_cast<char16_t>(u'A' + byte % 2);
    case 1: return static_cast<char16_t>(u'A' + byte % 3);
    case 2: return static_cast<char16_t>(u'A' + byte % 4);
    default: return wide[byte % 8];
    }
}

struct Outcome {
    ComparisonState state;
    HeadlessWindow window;
    bool overflowed = false;
};

Outcome align(const std::u16string& text1, const std::u16string& text2, Direction direction, EngineKind engine)
{
    Outcome o;
    o.state.ModeMark = u"DZ";
    o.state.Text1 = text1;
    o.state.Text2 = text2;
    o.state.Len1 = static_cast<std::int32_t>(text1.size());
    o.state.Len2 = static_cast<std::int32_t>(text2.size());
    try {
        Align(o.state, direction, o.window, {engine, CallCounter::kWindowLimit});
    } catch (const OverflowError&) {
        o.overflowed = true;
    }
    return o;
}

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "engines differ: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const auto direction = data[0] & 1 ? Direction::Compute2 : Direction::Compute1;
    const auto alphabet = static_cast<std::uint8_t>(data[0] >> 1 & 3);
    const std::size_t characters = size - 2;
    const std::size_t split = characters == 0 ? 0 : data[1] % (characters + 1);
    std::u16string first, second;
    for (std::size_t i = 0; i < characters; ++i) {
        std::u16string& text = i < split ? first : second;
        if (text.size() < kLongestText) text += characterOf(data[2 + i], alphabet);
    }

    CallCounter literalCount, fastCount;
    require(CommonLength(first, second, literalCount) == FastCommonLengthOf(first, second, fastCount), "length");
    require(literalCount.value() == fastCount.value(), "call count");

    const Outcome literal = align(first, second, direction, EngineKind::Literal);
    const Outcome fast = align(first, second, direction, EngineKind::Fast);
    require(literal.overflowed == fast.overflowed, "overflow");
    require(literal.window.log() == fast.window.log(), "window operations");
    require(literal.state.MatchTable == fast.state.MatchTable, "gap table");
    require(literal.state.MatchAux == fast.state.MatchAux, "gap lengths");
    require(literal.state.CallCount == fast.state.CallCount, "CallCount");
    require(literal.state.RowCount == fast.state.RowCount, "RowCount");
    return 0;
}
