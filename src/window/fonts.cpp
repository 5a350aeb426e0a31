#include "window/fonts.h"

#include <QApplication>
#include <QStringList>

namespace velmora {
namespace {

// The Debian faces in the order they are tried. The window's own name comes first, so a
// desktop that has the original faces uses them; the CJK SC faces carry the mainland
// forms of the full-width punctuation.
QStringList facesFor(const QString& family)
{
    if (family == kSongti) return {kSongti, QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
    if (family == kKaiti) return {kKaiti, QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")};
    if (family == kTahoma) return {kTahoma, QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")};
    return {family};
}

}  // namespace

void installFontSubstitutions()
{
    for (const QString& family : {kSongti, kKaiti, kTahoma})
        QFont::insertSubstitutions(family, facesFor(family).mid(1));
}

void useSansForQtsOwnTexts() { QApplication::setFont(makeFont(kTahoma, QApplication::font().pointSizeF())); }

QFont makeFont(const QString& family, double pointSize, bool bold)
{
    QFont font(family);
    font.setFamilies(facesFor(family));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace velmora
