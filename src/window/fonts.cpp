#include "window/fonts.h"

#include <QStringList>

namespace velmora {

void installFontSubstitutions()
{
    QFont::insertSubstitutions(kSongti, {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW")});
    QFont::insertSubstitutions(kKaiti, {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UKai TW")});
    QFont::insertSubstitution(kTahoma, QStringLiteral("DejaVu Sans"));
}

QFont makeFont(const QString& family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace velmora
