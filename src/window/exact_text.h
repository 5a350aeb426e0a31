#pragma once
// The exact code-unit text of the boxes. A text document takes three code units for
// structure rather than text (U+2029, U+FDD0, U+FDD1 become block breaks), so the boxes
// hold each as a stand-in character whose format carries the unit itself: what was typed
// or pasted is what the boxes give back, code unit for code unit.

#include <QMimeData>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace velmora {

// The format property that holds a stood-in unit.
inline constexpr int kHeldUnit = QTextFormat::UserProperty + 1;

// Inserts text at the cursor code unit for code unit, holding the structural units as
// stand-ins.
void insertExactly(QTextCursor cursor, const QString& text);
bool holdsStructuralUnits(const QString& text);
// The document's text with every stand-in given back as its unit, line breaks as '\n'.
QString rawText(const QTextDocument* document);
QTextCharFormat withoutHeldUnit(QTextCharFormat format);

// Plain characters of pasted or dropped content, with CR LF and CR taken as one line break.
QString plainCharacters(const QMimeData* source);

}  // namespace velmora
