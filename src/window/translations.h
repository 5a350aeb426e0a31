#pragma once
// Qt's own texts (the boxes' context menus, the message boxes' buttons) in Simplified
// Chinese, whatever the system's locale, as every other text of the window is.

class QCoreApplication;

namespace velmora {

// Loads Qt's zh_CN catalogue into the application; call before any widget exists.
// Returns false when the catalogue is not installed (Debian qt6-translations-l10n).
bool installChineseQtTranslation(QCoreApplication& application);

}  // namespace velmora
