#include "engine/test_texts.h"

namespace velmora::test {

Computation compute(const std::u16string& upper, const std::u16string& lower, Direction direction, EngineKind engine,
                    std::int32_t startCount)
{
    AlignmentOptions options;
    options.engine = engine;
    options.tuning.literalFirstWork = 0;  // the engine asked for, even on small texts
    return compute(upper, lower, direction, options, startCount);
}

Computation compute(const std::u16string& upper, const std::u16string& lower, Direction direction,
                    const AlignmentOptions& options, std::int32_t startCount)
{
    Computation c;
    c.window.type(upper, lower);
    ComparisonSession session;
    session.start();
    session.state().CallCount = startCount;
    c.report = session.compute(direction, upper, lower, c.window, options);
    c.state = session.state();
    return c;
}

std::vector<GapRow> rowsOf(const GapTable& table, std::int16_t rowCount)
{
    return {table.begin() + 1, table.begin() + 1 + rowCount};
}

std::u16string randomText(std::mt19937& random, Alphabet alphabet, std::size_t length)
{
    static const std::u16string chinese = u"程序设计文本长度计算";
    static const std::u16string pairs = u"😀😁😂";  // three pairs sharing one high surrogate
    std::u16string text;
    while (text.size() < length) {
        switch (alphabet) {
        case Alphabet::TwoLetters: text += static_cast<char16_t>(u'A' + random() % 2); break;
        case Alphabet::ThreeLetters: text += static_cast<char16_t>(u'A' + random() % 3); break;
        case Alphabet::FourLetters: text += static_cast<char16_t>(u'A' + random() % 4); break;
        case Alphabet::Chinese: text += chinese[random() % chinese.size()]; break;
        case Alphabet::SurrogatePairs:
            if (random() % 3 == 0)
                text += u'A';
            else
                text += pairs.substr(2 * (random() % 3), 2);
            break;
        }
    }
    text.resize(length);
    return text;
}

std::u16string randomRuns(std::mt19937& random, char16_t from, unsigned letters, std::size_t length,
                          std::size_t longestRun)
{
    std::u16string text;
    while (text.size() < length)
        text.append(1 + random() % longestRun, static_cast<char16_t>(from + random() % letters));
    return text.substr(0, length);
}

std::u16string repeated(const std::u16string& unit, std::size_t count)
{
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) text += unit;
    return text;
}

}  // namespace velmora::test
