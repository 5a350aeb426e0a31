#include "window/call_detail.h"

#include "window/call_tree_model.h"

namespace velmora {
namespace {

// Characters shown on either side of a marked one.
constexpr qsizetype kBefore = 12, kAfter = 24;

// The text around a 1-based position, the character there marked; one past the end marks
// where the empty remainder begins.
QString around(const std::u16string& whole, std::int32_t position)
{
    const QString text = QString::fromStdU16String(whole);
    const qsizetype at = position - 1;
    qsizetype from = std::max<qsizetype>(0, at - kBefore);
    if (from > 0 && text[from].isLowSurrogate()) --from;
    qsizetype width = at < text.size() && text[at].isHighSurrogate() ? 2 : 1;
    qsizetype to = std::min(text.size(), at + width + kAfter);
    if (to < text.size() && to > 0 && text[to - 1].isHighSurrogate()) ++to;
    const auto shown = [](const QString& part) {
        return part.toHtmlEscaped()
            .replace(QLatin1Char('\n'), QStringLiteral("↵"))
            .replace(QChar(0x2029), QStringLiteral("↵"));
    };
    QString html = from > 0 ? QStringLiteral("…") : QString();
    html += shown(text.mid(from, at - from));
    const QString marked = at < text.size() ? shown(text.mid(at, width)) : QStringLiteral("&nbsp;");
    html += QStringLiteral("<span style=\"background-color:#ffd54f; border:1px solid #c62828;\"><b>%1</b></span>")
                .arg(marked);
    if (at < text.size()) html += shown(text.mid(at + width, to - at - width));
    if (to < text.size()) html += QStringLiteral("…");
    return QStringLiteral("<span style=\"font-family:monospace;\">%1</span>").arg(html);
}

QString positionWords(std::int32_t position, const std::u16string& text)
{
    if (position > static_cast<std::int32_t>(text.size())) return QStringLiteral("末尾之后（余下文本为空）");
    return QStringLiteral("第 %1 个字符").arg(position);
}

}  // namespace

QString boxNameOfText1(Direction direction)
{
    return direction == Direction::Compute1 ? QStringLiteral("上方文本") : QStringLiteral("下方文本");
}

QString boxNameOfText2(Direction direction)
{
    return direction == Direction::Compute1 ? QStringLiteral("下方文本") : QStringLiteral("上方文本");
}

QString describeCall(const KeptComputation& computation, const CallDetail& detail)
{
    const auto& text1 = computation.text1();
    const auto& text2 = computation.text2();
    const std::int32_t i = detail.call.i, j = detail.call.j;
    const QString box1 = boxNameOfText1(computation.direction()), box2 = boxNameOfText2(computation.direction());
    QString html = QStringLiteral("<p><b>第 %1 次调用</b>：CommonLength(余下文本①, 余下文本②) = %2，"
                                  "连同它引起的调用共 %3 次。</p>")
                       .arg(groupedDigits(detail.number), QString::number(detail.result), groupedDigits(detail.count));
    const QString where1 = positionWords(i, text1), where2 = positionWords(j, text2);
    if (detail.call.role == InvocationTree::Role::Take)
        html += QStringLiteral("<p>取：候选字符是%1的%2，与%3的%4相配；余下文本从这两个字符起。")
                    .arg(box1, where1, box2, where2);
    else
        html += QStringLiteral("<p>跳：被跳过的字符是%1的%2，它的配对字符是%3的%4；余下文本从这两个字符起。")
                    .arg(box1, where1, box2, where2);
    if (detail.own) {
        const AlignmentCall& own = *detail.own;
        html += QStringLiteral("这是对齐本身的调用：候选字符的偏移为 %1").arg(own.offset);
        if (own.role == AlignmentCall::Role::Skip) html += QStringLiteral("，k = %1").arg(own.skipped);
        html += QStringLiteral("，此后候选字符：%1。").arg(verdictName(own.verdict));
    }
    html += QStringLiteral("</p>");
    html += QStringLiteral("<p>%1（Text1）：%2</p>").arg(box1, around(text1, i));
    html += QStringLiteral("<p>%1（Text2）：%2</p>").arg(box2, around(text2, j));
    return html;
}

}  // namespace velmora
