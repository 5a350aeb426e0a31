#include "window/exact_text.h"

#include <QTextBlock>
#include <algorithm>

namespace velmora {
namespace {

bool needsStandIn(QChar unit)
{
    return unit == QChar::ParagraphSeparator || unit.unicode() == 0xFDD0 || unit.unicode() == 0xFDD1;
}

// The paragraph separator stands in as a line separator, so it still breaks the line.
QChar standInFor(QChar unit)
{
    return unit == QChar::ParagraphSeparator ? QChar(QChar::LineSeparator) : QChar(QChar::ReplacementCharacter);
}

}  // namespace

QTextCharFormat withoutHeldUnit(QTextCharFormat format)
{
    format.clearProperty(kHeldUnit);
    return format;
}

QString rawText(const QTextDocument* document)
{
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(kHeldUnit)) continue;
            const QChar unit(static_cast<char16_t>(format.intProperty(kHeldUnit)));
            for (int p = fragment.position(); p < fragment.position() + fragment.length(); ++p)
                if (p < text.size() && text[p] == standInFor(unit)) text[p] = unit;
        }
    }
    return text;
}

void insertExactly(QTextCursor cursor, const QString& text)
{
    const QTextCharFormat plain = withoutHeldUnit(cursor.charFormat());
    cursor.beginEditBlock();
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!needsStandIn(text[i])) continue;
        cursor.insertText(text.mid(from, i - from), plain);
        QTextCharFormat held = plain;
        held.setProperty(kHeldUnit, static_cast<int>(text[i].unicode()));
        cursor.insertText(QString(standInFor(text[i])), held);
        from = i + 1;
    }
    cursor.insertText(text.mid(from), plain);
    cursor.setCharFormat(plain);
    cursor.endEditBlock();
}

bool holdsStructuralUnits(const QString& text) { return std::any_of(text.begin(), text.end(), needsStandIn); }

QString plainCharacters(const QMimeData* source)
{
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace velmora
