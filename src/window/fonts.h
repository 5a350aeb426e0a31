#pragma once
// The window names its fonts as the Chinese desktop it was designed for does; these
// substitutions map them to the Debian fonts that carry the same styles.

#include <QFont>
#include <QString>

namespace velmora {

inline const QString kSongti = QStringLiteral("宋体");
inline const QString kKaiti = QStringLiteral("楷体");
inline const QString kTahoma = QStringLiteral("Tahoma");

// 宋体 -> Noto Serif CJK SC (then AR PL UMing CN), 楷体 -> AR PL UKai CN, Tahoma ->
// DejaVu Sans with Noto Sans CJK SC for its Chinese characters.
void installFontSubstitutions();

QFont makeFont(const QString& family, double pointSize, bool bold = false);

// Qt's own texts (menus, messages, their buttons) in the sans face with Noto Sans CJK SC
// for the Chinese, under any locale: left to the locale, a Latin one draws them in
// whichever face fontconfig ranks first for Chinese, such as a Kai face with centred
// punctuation.
void useSansForQtsOwnTexts();

}  // namespace velmora
