#pragma once
// What the window tests share: a fresh window for every test, its states, and ways to
// look at what it draws.

// The window against its real widgets, found by name, on the offscreen platform.

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <QtMath>

#include "engine/method/comparison_state.h"
#include "window/app_icon.h"
#include "window/crisp_outline.h"
#include "window/fonts.h"
#include "window/main_window.h"
#include "window/off_thread_run.h"
#include "window/qt_window_operations.h"
#include "window/translations.h"
#include "window/workflow.h"

namespace velmora::test {

struct Colouring {
    QString gapPositions;  // 1-based positions in the gap colour, "1,3,4"
    bool othersBlack;
};

// The colour of every character: the gap colour where the box draws it, otherwise the
// colour the text itself carries, which must stay black.
inline Colouring colouringOf(RichTextBox* box)
{
    QStringList gaps;
    bool othersBlack = true;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            othersBlack = othersBlack && fragment.charFormat().foreground().color() == QColor(0, 0, 0);
        }
    }
    for (int p = 0; p < box->document()->characterCount() - 1; ++p)
        if (box->isGapColoured(p)) gaps << QString::number(p + 1);
    QStringList drawn;
    for (const auto& run : box->gapRuns())
        for (int p = run.start; p < run.start + run.length; ++p) drawn << QString::number(p + 1);
    othersBlack = othersBlack && drawn == gaps;
    return {gaps.join(QLatin1Char(',')), othersBlack};
}

template <class Box>
QPoint pointOf(Box* box, int position)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(position);
    return box->cursorRect(cursor).center() - QPoint(1, 0);
}

// Presses on the character at `position`, drags over `count` characters and releases
// with the left button; another button is then clicked where the drag ended.
template <class Box>
void dragSelect(Box* box, int position, int count, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* viewport = box->viewport();
    const QPoint end = pointOf(box, position + count);
    QTest::mousePress(viewport, Qt::LeftButton, {}, pointOf(box, position));
    QTest::mouseMove(viewport, end);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
    if (button != Qt::LeftButton) QTest::mouseClick(viewport, button, {}, end);
}

// Closes every popup menu that opens while it lives, keeping the texts of the last one's
// actions without their mnemonics ("复制(&C)" is kept as "复制").
inline const QRegularExpression kMnemonic(QStringLiteral("\\(&.\\)|&"));

class MenuCloser : public QObject {
public:
    MenuCloser()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            // Only once the platform has answered the menu's showing: a menu closed before its
            // activation arrives would leave that activation to a hidden window, and no window
            // active after it.
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu && QGuiApplication::focusWindow() == menu->windowHandle()) {
                texts.clear();
                for (const QAction* action : menu->actions())
                    if (!action->isSeparator())
                        texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(kMnemonic);
                menu->close();
            }
        });
        timer_.start(10);
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Accepts every modal message box that opens while it lives, keeping the last text.
class MessageCatcher : public QObject {
public:
    MessageCatcher()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        });
        timer_.start(10);
    }
    QString text;

private:
    QTimer timer_;
};

// Three long runs against the same runs rotated, with the engine weighing every candidate
// on its own: it runs for minutes, so only 取消 ends it in a test. (Weighed as a whole,
// the pair takes milliseconds.)
inline QPair<QString, QString> slowPair()
{
    const int run = 10922;
    const QString a(run, QLatin1Char('a')), b(run, QLatin1Char('b')), c(run, QLatin1Char('c'));
    return {a + b + c, c + a + b};
}
inline EngineTuning candidateByCandidate()
{
    EngineTuning tuning;
    tuning.weighedRun = INT32_MAX;
    tuning.weighedColumns = INT32_MAX;
    return tuning;
}

// What the progress dialog showed, once it was up; then presses its 取消.
struct ProgressSeen {
    bool shown = false;
    QString label, cancelText;
};

inline void cancelOnceTheProgressShows(QWidget* window, ProgressSeen& seen)
{
    QTimer::singleShot(kProgressDelayMs + 400, window, [window, &seen] {
        auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
        if (!dialog) return;
        // Not modal, so that a close request still reaches the window.
        seen.shown = dialog->isVisible() && dialog->windowModality() == Qt::NonModal;
        seen.label = dialog->labelText();
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            seen.cancelText = button->text();
            button->click();
        }
    });
}

// Where the ink of the last character of `text` lies in its cell, drawn in `font`: the
// horizontal centre as a share of its advance from the left, the lowest ink as a share
// of the line height from the top.
struct InkPlace {
    double centreAcross, bottomDown;
};

// The bounding box of an image's dark pixels, and how many there are.
struct Ink {
    int left, right, top, bottom;
    long dark = 0;
};

inline Ink inkOf(const QImage& image)
{
    Ink ink{image.width(), -1, image.height(), -1};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y), std::max(ink.bottom, y),
                       ink.dark + 1};
            }
    return ink;
}

inline InkPlace inkOfLastCharacter(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    const QString last = text.right(1);
    const double advance = metrics.horizontalAdvance(last);
    QImage image(qCeil(advance) + 4, qCeil(metrics.height()) + 4, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(2, 2 + metrics.ascent()), last);
    painter.end();
    const Ink ink = inkOf(image);
    return {((ink.left + ink.right) / 2.0 - 2) / advance, (ink.bottom - 2) / metrics.height()};
}

// The share of dark pixels within the ink's bounding box: a bold face inks noticeably
// more of it than the regular one.
inline double inkDensity(const QImage& image)
{
    const Ink ink = inkOf(image);
    if (ink.right < ink.left) return 0;
    return static_cast<double>(ink.dark) / ((ink.right - ink.left + 1) * (ink.bottom - ink.top + 1));
}

// The text as the box draws it, at the screen's pixel ratio, less the box's frame.
inline QImage drawnText(QWidget* box)
{
    QWidget* viewport = qobject_cast<QAbstractScrollArea*>(box)->viewport();
    return viewport->grab().toImage();
}

// The same text drawn by QPainter in the given weight at the same pixel ratio.
inline QImage paintedText(const QFont& font, const QString& text, qreal ratio)
{
    const QFontMetricsF metrics(font);
    QImage image(qCeil((metrics.horizontalAdvance(text) + 8) * ratio), qCeil((metrics.height() + 8) * ratio),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(4, 4 + metrics.ascent()), text);
    return image;
}

// Crossing one edge of an outline at its middle, in device pixels of the window's
// picture: the outline colour must be there, and every pixel of the crossing must be the
// outline colour or one of the plain colours either side of it, not a blend of them.
inline QString blurAcross(const QImage& picture, QPoint from, QPoint to, const QColor& outline,
                          const QList<QColor>& plainColours)
{
    bool found = false;
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int k = 0; k <= steps; ++k) {
        const QPoint at = from + (to - from) * k / std::max(steps, 1);
        const QColor colour = picture.pixelColor(at);
        if (colour == outline) {
            found = true;
            continue;
        }
        if (!plainColours.contains(colour))
            return QStringLiteral("blended pixel %1 at %2,%3").arg(colour.name()).arg(at.x()).arg(at.y());
    }
    return found ? QString() : QStringLiteral("no outline pixel");
}

inline QPair<int, int> selectionOf(QWidget* box)
{
    const QTextCursor cursor = textCursorOf(box);
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

class WindowFixture : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Workflow> workflow;
    const Controls& c() const { return window->controls(); }
    ComparisonState& state() { return workflow->state(); }

    void type(const QString& upper, const QString& lower)
    {
        c().upperBox->setText(upper);
        c().lowerBox->setText(lower);
    }

    void expectEditingState()
    {
        QVERIFY(!c().editButton->isEnabled());
        QVERIFY(c().compute1Button->isEnabled());
        QVERIFY(c().compute2Button->isEnabled());
        QVERIFY(c().clearButton->isEnabled());
        QVERIFY(c().exitButton->isEnabled());
        QCOMPARE(c().stateLabel->text(), QStringLiteral("可以编辑"));
        QVERIFY(!c().upperBox->isLocked());
        QVERIFY(!c().lowerBox->isLocked());
        QCOMPARE(state().ModeMark, kNoResultMark);
    }

    void expectLockedState()
    {
        QVERIFY(c().editButton->isEnabled());
        QVERIFY(!c().compute1Button->isEnabled());
        QVERIFY(!c().compute2Button->isEnabled());
        QVERIFY(!c().clearButton->isEnabled());
        QCOMPARE(c().stateLabel->text(), QStringLiteral("文本锁定"));
        QVERIFY(c().upperBox->isLocked());
        QVERIFY(c().lowerBox->isLocked());
        QVERIFY(c().resultBox->isLocked());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(installChineseQtTranslation(*QCoreApplication::instance()));
        installFontSubstitutions();
        useSansForQtsOwnTexts();
    }
    void init()
    {
        window = std::make_unique<MainWindow>();
        workflow = std::make_unique<Workflow>(*window);
        workflow->load();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        workflow.reset();
        window.reset();
    }
};

}  // namespace velmora::test
