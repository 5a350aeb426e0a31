#include <QApplication>

#include "window/app_icon.h"
#include "window/fonts.h"
#include "window/main_window.h"
#include "window/translations.h"
#include "window/workflow.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (!velmora::installChineseQtTranslation(app))
        qWarning("velmora: Qt's Chinese translation (qt6-translations-l10n) is missing; Qt's own texts stay in English");
    QApplication::setWindowIcon(velmora::velmoraIcon());
    velmora::installFontSubstitutions();
    velmora::MainWindow window;
    velmora::Workflow workflow(window);
    workflow.load();
    return QApplication::exec();
}
