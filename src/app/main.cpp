#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "window/app_icon.h"
#include "window/fonts.h"
#include "window/main_window.h"
#include "window/title_strip.h"
#include "window/translations.h"
#include "window/workflow.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (!velmora::installChineseQtTranslation(app))
        qWarning(
            "velmora: Qt's Chinese translation (qt6-translations-l10n) is missing; Qt's own texts stay in English");
    QApplication::setWindowIcon(velmora::velmoraIcon());
    velmora::installFontSubstitutions();
    velmora::useSansForQtsOwnTexts();
    velmora::MainWindow window;
    velmora::Workflow workflow(window);
    // VELMORA_ENGINE=literal: the reference engine, every invocation one by one, for
    // watching how much slower it is (a long computation shows its progress and 取消).
    const QString engine = qEnvironmentVariable("VELMORA_ENGINE");
    if (engine == QStringLiteral("literal"))
        workflow.setEngine(velmora::EngineKind::Literal);
    else if (!engine.isEmpty() && engine != QStringLiteral("fast"))
        qWarning("velmora: VELMORA_ENGINE is literal or fast; using fast");
    workflow.load();
    const int status = QApplication::exec();
    // Qt 6.4's Wayland connection can deadlock while it is torn down: its event thread
    // waits for a read that the main thread never completes. The window has closed and
    // nothing is kept, so the program ends here rather than hang.
    if (velmora::drawsOwnTitleStrip()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
