#include <QApplication>

#include "window/app_icon.h"
#include "window/fonts.h"
#include "window/main_window.h"
#include "window/workflow.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(velmora::velmoraIcon());
    velmora::installFontSubstitutions();
    velmora::MainWindow window;
    window.workflow().load();
    return QApplication::exec();
}
