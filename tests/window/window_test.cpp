// The window against its real widgets, found by name, on the offscreen platform.

#include <QAbstractScrollArea>
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
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <QtMath>

#include "engine/method/comparison_state.h"
#include "window/crisp_outline.h"
#include "window/fonts.h"
#include "window/main_window.h"
#include "window/off_thread_run.h"
#include "window/qt_window_operations.h"
#include "window/translations.h"
#include "window/workflow.h"

using namespace velmora;

namespace {

struct Colouring {
    QString gapPositions;  // 1-based positions in the gap colour, "1,3,4"
    bool othersBlack;
};

// The colour of every character: the gap colour where the box draws it, otherwise the
// colour the text itself carries, which must stay black.
Colouring colouringOf(RichTextBox* box)
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
QPair<QString, QString> slowPair()
{
    const int run = 10922;
    const QString a(run, QLatin1Char('a')), b(run, QLatin1Char('b')), c(run, QLatin1Char('c'));
    return {a + b + c, c + a + b};
}
EngineTuning candidateByCandidate()
{
    EngineTuning tuning;
    tuning.weighedRun = INT32_MAX;
    return tuning;
}

// What the progress dialog showed, once it was up; then presses its 取消.
struct ProgressSeen {
    bool shown = false;
    QString label, cancelText;
};

void cancelOnceTheProgressShows(QWidget* window, ProgressSeen& seen)
{
    QTimer::singleShot(kProgressDelayMs + 400, window, [window, &seen] {
        auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
        if (!dialog) return;
        seen.shown = dialog->isVisible() && dialog->windowModality() == Qt::WindowModal;
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

Ink inkOf(const QImage& image)
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

InkPlace inkOfLastCharacter(const QFont& font, const QString& text)
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
double inkDensity(const QImage& image)
{
    const Ink ink = inkOf(image);
    if (ink.right < ink.left) return 0;
    return static_cast<double>(ink.dark) / ((ink.right - ink.left + 1) * (ink.bottom - ink.top + 1));
}

// The text as the box draws it, at the screen's pixel ratio, less the box's frame.
QImage drawnText(QWidget* box)
{
    QWidget* viewport = qobject_cast<QAbstractScrollArea*>(box)->viewport();
    return viewport->grab().toImage();
}

// The same text drawn by QPainter in the given weight at the same pixel ratio.
QImage paintedText(const QFont& font, const QString& text, qreal ratio)
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
QString blurAcross(const QImage& picture, QPoint from, QPoint to, const QColor& outline,
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

QPair<int, int> selectionOf(QWidget* box)
{
    const QTextCursor cursor = textCursorOf(box);
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
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

    void startUpState()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Velmora"));
        QCOMPARE(window->size(), QSize(755, 317));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(state().CurrentRow, std::int16_t{-1});
        QCOMPARE(state().ModeMark, kNoResultMark);
        QCOMPARE(QApplication::focusWidget(), c().upperBox);
        expectEditingState();
        QVERIFY(c().upperBox->text().isEmpty() && c().lowerBox->text().isEmpty() && c().resultBox->text().isEmpty());
        QVERIFY(c().lengthLabel->isVisible());
        QVERIFY(c().lengthLabel->text().isEmpty());
        QVERIFY(c().callCountLabel->text().isEmpty());
        QVERIFY(!c().compute1Engine->isVisible());
        QVERIFY(!c().compute2Engine->isVisible());
        QCOMPARE(c().resultBox->palette().color(QPalette::Base), QColor(224, 224, 224));
        QCOMPARE(c().editButton->palette().color(QPalette::Button), QColor(224, 224, 224));
    }

    void controlsAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char* name, QRect geometry, const QString& caption = QString()) {
            QTest::newRow(name) << QString::fromLatin1(name) << geometry << caption;
        };
        row("Command6", {614, 272, 53, 25}, QStringLiteral("计算2"));
        row("Command5", {321, 173, 66, 24}, QStringLiteral("Command5"));
        row("Command1", {394, 272, 77, 24}, QStringLiteral("编辑文本"));
        row("RT2", {5, 94, 739, 71});
        row("RT1", {5, 7, 739, 71});
        row("Command4", {480, 272, 51, 24}, QStringLiteral("清除"));
        row("Command3", {548, 173, 73, 24}, QStringLiteral("Command3"));
        row("Cmd_exit", {689, 270, 53, 25}, QStringLiteral("退出"));
        row("Cmd_dz", {547, 272, 53, 25}, QStringLiteral("计算1"));
        row("RT3", {5, 178, 739, 46});
        row("Shape2", {310, 263, 229, 44});
        row("Shape1", {8, 263, 300, 44});
    }

    void controlsAtTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        auto* widget = window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), caption);
    }

    void labelsStartAtTheirCornersAndGrowRight_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::newRow("Label3") << "Label3" << QPoint(15, 236) << kTahoma << 8.25;
        QTest::newRow("Label7") << "Label7" << QPoint(144, 278) << kSongti << 10.5;
        QTest::newRow("Label5") << "Label5" << QPoint(248, 278) << kSongti << 10.5;
        QTest::newRow("Label4") << "Label4" << QPoint(16, 276) << kKaiti << 14.25;
        QTest::newRow("Label2") << "Label2" << QPoint(318, 276) << kKaiti << 12.0;
    }

    void labelsStartAtTheirCornersAndGrowRight()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, corner);
        QFETCH(QString, family);
        QFETCH(double, points);
        auto* label = window->findChild<QLabel*>(name);
        QVERIFY(label);
        QCOMPARE(label->pos(), corner);
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pointSizeF(), points);
        const int before = label->width();
        setAutoSizeCaption(label, label->text() + QStringLiteral("2147483647"));
        QCOMPARE(label->pos(), corner);
        QVERIFY(label->width() > before);
        QVERIFY(label->width() >= label->sizeHint().width());
    }

    void tabWalksTheControlsInTheirOrder()
    {
        QStringList visited;
        c().resultBox->setFocus();
        for (int i = 0; i < 8; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // 编辑文本 is disabled in the editing state and is passed over.
        QCOMPARE(visited.join(QLatin1Char(' ')), QStringLiteral("RT3 Cmd_dz Cmd_exit Command4 RT1 RT2 Command6 RT3"));
    }

    void fontsResolveToTheDebianFonts()
    {
        QCOMPARE(QFontInfo(c().upperBox->font()).family(), QStringLiteral("Noto Serif CJK SC"));
        QVERIFY(QFontInfo(c().upperBox->font()).bold());  // a true bold face, not an emboldened one
        QCOMPARE(QFontInfo(c().callCountCaption->font()).family(), QStringLiteral("Noto Serif CJK SC"));
        QCOMPARE(QFontInfo(c().lengthLabel->font()).family(), QStringLiteral("AR PL UKai CN"));
        QCOMPARE(QFontInfo(c().hintLabel->font()).family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(c().resultBox->font().bold());
        QCOMPARE(c().lowerBox->font().pointSizeF(), 15.75);
        QCOMPARE(c().compute1Button->font().pointSizeF(), 10.5);
    }

    // Mainland forms: the full-width colon and comma sit at the bottom left of their cell,
    // not centred as in the Taiwan forms.
    void punctuationSitsLowAndLeft_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("Label7 (宋体)") << "Label7";
        QTest::newRow("Label3 (Tahoma)") << "Label3";
    }

    void punctuationSitsLowAndLeft()
    {
        QFETCH(QString, label);
        const QFont font = window->findChild<QLabel*>(label)->font();
        for (const QString& text : {QStringLiteral("函数调用次数："), QStringLiteral("计算后，")}) {
            const InkPlace ink = inkOfLastCharacter(font, text);
            QVERIFY2(ink.centreAcross < 0.35,
                     qPrintable(text + QString::number(ink.centreAcross)));  // centred: about 0.5
            QVERIFY2(ink.bottomDown > 0.6, qPrintable(text + QString::number(ink.bottomDown)));
        }
    }

    void computeShowsResultCountsAndColours_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<bool>("compute1");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("label4");
        QTest::addColumn<QString>("label5");
        QTest::addColumn<QString>("upperGaps");
        QTest::addColumn<QString>("lowerGaps");
        QTest::newRow("worked 1") << "ABCBDAB"
                                  << "BDCABA" << true << "BDAB"
                                  << "长度①：4"
                                  << "22"
                                  << "1,3,4"
                                  << "3,6";
        QTest::newRow("worked 2") << "ABCBDAB"
                                  << "BDCABA" << false << "BCBA"
                                  << "长度②：4"
                                  << "25"
                                  << "1,5,7"
                                  << "2,4";
        QTest::newRow("empty") << ""
                               << "" << true << ""
                               << "长度①：0"
                               << "0"
                               << ""
                               << "";
        QTest::newRow("chinese") << "程序设计"
                                 << "设计程序" << false << "程序"
                                 << "长度②：2"
                                 << "3"
                                 << "3,4"
                                 << "1,2";
        QTest::newRow("abc ca") << "abc"
                                << "ca" << true << "c"
                                << "长度①：1"
                                << "3"
                                << "1,2"
                                << "2";
        QTest::newRow("line break, nbsp, pair")
            << QString::fromUtf16(u"x\n\u00a0😀y") << QString::fromUtf16(u"\n \u00a0😁y") << true
            << QString::fromUtf16(u"\n\u00a0\xd83dy") << "长度①：4"
            << "3"
            << "1,5"
            << "2,5";
    }

    void computeShowsResultCountsAndColours()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(bool, compute1);
        type(upper, lower);
        QTest::mouseClick(compute1 ? c().compute1Button : c().compute2Button, Qt::LeftButton);
        QTEST(c().resultBox->text(), "result");
        QTEST(c().lengthLabel->text(), "label4");
        QTEST(c().callCountLabel->text(), "label5");
        QVERIFY(c().lengthLabel->isVisible());
        const Colouring upperColours = colouringOf(c().upperBox), lowerColours = colouringOf(c().lowerBox);
        QTEST(upperColours.gapPositions, "upperGaps");
        QTEST(lowerColours.gapPositions, "lowerGaps");
        QVERIFY(upperColours.othersBlack && lowerColours.othersBlack);
        QCOMPARE(c().upperBox->text(), upper);  // the boxes keep exactly what was typed
        QCOMPARE(c().lowerBox->text(), lower);
        QVERIFY(state().ModeMark.empty());
        QCOMPARE(selectionOf(c().resultBox).first, 0);
        expectLockedState();
    }

    void editReturnsToEditingInBlack()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        const GapTable rows = state().MatchTable;
        c().editButton->click();
        expectEditingState();
        QCOMPARE(colouringOf(c().upperBox).gapPositions, QString());
        QVERIFY(colouringOf(c().upperBox).othersBlack && colouringOf(c().lowerBox).othersBlack);
        QVERIFY(c().resultBox->text().isEmpty());
        QVERIFY(c().resultBox->isLocked());
        QVERIFY(!c().lengthLabel->isVisible());
        QVERIFY(c().callCountLabel->text().isEmpty());
        QCOMPARE(state().CallCount, 0);
        QVERIFY(state().Text1.empty() && state().Text2.empty());
        QCOMPARE(state().MatchTable, rows);
        QCOMPARE(state().RowCount, std::int16_t{4});
        QCOMPARE(c().upperBox->text(), QStringLiteral("ABCBDAB"));
        // A second computation in the other direction works on the same texts.
        c().compute2Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("BCBA"));
        QCOMPARE(c().callCountLabel->text(), QStringLiteral("25"));
    }

    void clearEmptiesBothInputs()
    {
        type(QStringLiteral("abc"), QStringLiteral("abd"));
        setAutoSizeCaption(c().lengthLabel, QStringLiteral("长度①：9"));
        c().clearButton->click();
        QVERIFY(c().upperBox->text().isEmpty());
        QVERIFY(c().lowerBox->text().isEmpty());
        QCOMPARE(state().CallCount, 0);
        QVERIFY(c().callCountLabel->text().isEmpty());
        QCOMPARE(c().lengthLabel->text(), QStringLiteral("长度①：9"));
        expectEditingState();
    }

    void enterMovesTheFocus_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("inUpper");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("upperText");
        QTest::addColumn<QString>("lowerText");
        QTest::newRow("editing, upper") << false << true << "RT2"
                                        << "ab\n"
                                        << "cd";
        QTest::newRow("editing, lower") << false << false << "Cmd_dz"
                                        << "ab"
                                        << "cd\n";
        QTest::newRow("locked, upper") << true << true << "RT2"
                                       << "ab"
                                       << "cd";
        QTest::newRow("locked, lower") << true << false << "RT2"
                                       << "ab"
                                       << "cd";
    }

    void enterMovesTheFocus()
    {
        QFETCH(bool, locked);
        QFETCH(bool, inUpper);
        type(QStringLiteral("ab"), QStringLiteral("cd"));
        if (locked) c().compute1Button->click();
        RichTextBox* box = inUpper ? c().upperBox : c().lowerBox;
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTEST(QApplication::focusWidget()->objectName(), "focus");
        QTEST(c().upperBox->text(), "upperText");
        QTEST(c().lowerBox->text(), "lowerText");
    }

    void pasteInsertsPlainCharactersOnly()
    {
        QMimeData mime;
        mime.setHtml(QStringLiteral("<b style='color:red'>x</b><img src='a.png'>"));
        mime.setText(QStringLiteral("a\r\nb\u00a0c\rd"));
        c().upperBox->setFocus();
        c().upperBox->insertFromMimeData(&mime);
        QCOMPARE(c().upperBox->text(), QString::fromUtf16(u"a\nb\u00a0c\nd"));
        QVERIFY(colouringOf(c().upperBox).othersBlack);
    }

    void exitClosesTheWindow()
    {
        c().exitButton->click();
        QVERIFY(!window->isVisible());
    }

    void overflowKeepsTheTexts_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("message");
        QTest::newRow("too long") << QString(32767, QLatin1Char('a')) << "a"
                                  << "32766";
        const QString costly = QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD");
        const QString partner = QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA");
        QTest::newRow("too many calls") << costly + costly << partner + partner << "2147483647";
    }

    void overflowKeepsTheTexts()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(QString, message);
        type(upper, lower);
        MessageCatcher catcher;
        c().compute1Button->click();
        const QString shown = catcher.text;
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("保留")));
        QCOMPARE(c().upperBox->text(), upper);
        QCOMPARE(c().lowerBox->text(), lower);
        QVERIFY(colouringOf(c().lowerBox).othersBlack);
        QCOMPARE(colouringOf(c().lowerBox).gapPositions, QString());
        QVERIFY(c().resultBox->text().isEmpty());
        QVERIFY(!c().lengthLabel->isVisible());
        QVERIFY(c().callCountLabel->text().isEmpty());
        QCOMPARE(state().CallCount, 0);
        expectEditingState();
        QVERIFY(window->isVisible());
    }

    // An edit or exit pressed while the texts are being captured must not cut the
    // computation short; the exit takes effect once it has returned.
    void actionsDuringAComputationWait()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        QTimer::singleShot(0, c().editButton, &QPushButton::click);
        c().compute1Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("BDAB"));
        QCOMPARE(c().callCountLabel->text(), QStringLiteral("22"));
        expectLockedState();
        c().editButton->click();
        QTimer::singleShot(0, c().exitButton, &QPushButton::click);
        c().compute2Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("BCBA"));
        QVERIFY(!window->isVisible());
    }

    // A long computation runs off the window's thread: the progress dialog shows after
    // about half a second, and 取消 returns to editing as an overflow does, without a
    // message; the next computation runs as usual.
    void aLongComputationShowsProgressAndCancels()
    {
        const auto [upper, lower] = slowPair();
        workflow->setEngineTuning(candidateByCandidate());
        type(upper, lower);
        ProgressSeen seen;
        cancelOnceTheProgressShows(window.get(), seen);
        MessageCatcher catcher;
        QElapsedTimer clock;
        clock.start();
        c().compute1Button->click();
        QVERIFY(seen.shown);
        QVERIFY2(seen.label.contains(QStringLiteral("函数调用次数：")), qPrintable(seen.label));
        QVERIFY2(seen.label.contains(QStringLiteral("用时：")), qPrintable(seen.label));
        QCOMPARE(seen.cancelText, QStringLiteral("取消"));
        QVERIFY2(clock.elapsed() < 5000, "取消 must end the computation at once");
        QVERIFY(catcher.text.isEmpty());
        QCOMPARE(c().upperBox->text(), upper);
        QCOMPARE(c().lowerBox->text(), lower);
        QVERIFY(c().resultBox->text().isEmpty());
        QCOMPARE(state().CallCount, 0);
        expectEditingState();

        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("BDAB"));
        QCOMPARE(c().callCountLabel->text(), QStringLiteral("22"));
    }

    // The window repaints and answers while the engine runs; a close request made then
    // (the close box, Alt+F4 or 退出) is carried out once the computation has returned,
    // whichever way it ends.
    void aCloseRequestWaitsForTheComputation_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("bySystem");  // through the window system, as the close box and Alt+F4 come
        const auto [upper, lower] = slowPair();
        const QString costly = QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD");
        const QString partner = QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA");
        for (const bool bySystem : {false, true}) {
            const char* how = bySystem ? ", close box" : ", 退出";
            QTest::addRow("cancelled%s", how) << upper << lower << true << bySystem;
            QTest::addRow("overflow message%s", how) << costly + costly << partner + partner << false << bySystem;
            QTest::addRow("too-long message%s", how) << QString(32767, QLatin1Char('a')) << "a" << false << bySystem;
            QTest::addRow("result%s", how)
                << QString(20000, QLatin1Char('x')) << QString(20000, QLatin1Char('x')) << false << bySystem;
        }
    }

    void aCloseRequestWaitsForTheComputation()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(bool, cancel);
        QFETCH(bool, bySystem);
        workflow->setEngineTuning(candidateByCandidate());
        type(upper, lower);
        ProgressSeen seen;
        if (cancel) cancelOnceTheProgressShows(window.get(), seen);
        bool openAfterTheRequest = false;
        QTimer::singleShot(0, window.get(), [this, bySystem, &openAfterTheRequest] {
            if (bySystem)
                window->windowHandle()->close();
            else
                c().exitButton->click();
            openAfterTheRequest = window->isVisible();
        });
        MessageCatcher catcher;
        c().compute1Button->click();
        QVERIFY2(openAfterTheRequest, "the computation was cut short");
        QVERIFY(!window->isVisible());
    }

    void selectingACharacterSelectsItsPartners_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("rt1");
        QTest::addColumn<QString>("rt2");
        QTest::addColumn<QString>("rt3");
        QTest::addColumn<QString>("focus");
        QTest::newRow("black B") << "RT1" << 1 << 1 << 1 << "1+1"
                                 << "0+1"
                                 << "0+1"
                                 << "RT1";
        QTest::newRow("gap B") << "RT1" << 3 << 1 << 1 << "2+2"
                               << "1+0"
                               << "1+0"
                               << "RT2";
        QTest::newRow("gap C below") << "RT2" << 2 << 1 << 1 << "5+0"
                                     << "2+1"
                                     << "2+0"
                                     << "RT1";
        QTest::newRow("result B") << "RT3" << 3 << 1 << 1 << "6+1"
                                  << "4+1"
                                  << "3+1"
                                  << "RT2";
        QTest::newRow("several") << "RT1" << 1 << 3 << 1 << "1+1"
                                 << "0+1"
                                 << "0+1"
                                 << "RT1";
        QTest::newRow("right button in RT1") << "RT1" << 5 << 1 << 2 << "5+1"
                                             << "3+1"
                                             << "2+1"
                                             << "RT1";
        QTest::newRow("right button in RT3") << "RT3" << 0 << 1 << 2 << ""
                                             << ""
                                             << "0+1"
                                             << "RT3";
    }

    void selectingACharacterSelectsItsPartners()
    {
        QFETCH(QString, box);
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(int, button);
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        for (QWidget* b : {static_cast<QWidget*>(c().upperBox), static_cast<QWidget*>(c().lowerBox)})
            QtWindowOperations::selectRange(b, 0, 0);
        const auto mouse = button == 1 ? Qt::LeftButton : Qt::RightButton;
        QWidget* target = window->findChild<QWidget*>(box);
        target->setFocus();
        if (box == QLatin1String("RT3"))
            dragSelect(c().resultBox, position, count, mouse);
        else
            dragSelect(qobject_cast<QTextEdit*>(target), position, count, mouse);
        const auto text = [](QPair<int, int> s) { return QStringLiteral("%1+%2").arg(s.first).arg(s.second); };
        QFETCH(QString, rt1);
        QFETCH(QString, rt2);
        if (!rt1.isEmpty()) QCOMPARE(text(selectionOf(c().upperBox)), rt1);
        if (!rt2.isEmpty()) QCOMPARE(text(selectionOf(c().lowerBox)), rt2);
        QTEST(text(selectionOf(c().resultBox)), "rt3");
        QTEST(QApplication::focusWidget()->objectName(), "focus");
    }

    void qtsOwnTextsAreChinese()
    {
        const std::unique_ptr<QMenu> menu(c().upperBox->createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator()) texts << action->text();
        const QString all = texts.join(QLatin1Char('|'));
        for (const char* chinese : {"撤消", "重做", "剪切", "复制", "粘贴", "删除", "全选"})
            QVERIFY2(all.contains(QString::fromUtf8(chinese)), qPrintable(all));
        for (const char* english : {"Undo", "Copy", "Paste", "Select All"})
            QVERIFY2(!all.contains(QString::fromLatin1(english)), qPrintable(all));
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Velmora"), QStringLiteral("x"), QMessageBox::Ok);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    }

    void enterPressesAFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        for (const char* name : {"Cmd_dz", "Command6", "Command4", "Cmd_exit", "Command1"}) {
            QTest::newRow((std::string(name) + " with Return").c_str())
                << QString::fromLatin1(name) << int(Qt::Key_Return);
            QTest::newRow((std::string(name) + " with keypad Enter").c_str())
                << QString::fromLatin1(name) << int(Qt::Key_Enter);
        }
    }
    void enterPressesAFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        if (button == QStringLiteral("Command1")) c().compute1Button->click();  // 编辑文本 is enabled only then
        auto* target = window->findChild<QPushButton*>(button);
        QVERIFY(target && target->isEnabled());
        QSignalSpy clicks(target, &QPushButton::clicked);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, static_cast<Qt::Key>(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(clicks.count(), 1);
    }

    void typeEnterTypeEnterEnterComputes()
    {
        c().upperBox->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(c().upperBox, QStringLiteral("AB"));
        QTest::keyClick(c().upperBox, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), c().lowerBox);
        QTest::keyClicks(c().lowerBox, QStringLiteral("BAB"));
        QTest::keyClick(c().lowerBox, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), c().compute1Button);
        QTest::keyClick(c().compute1Button, Qt::Key_Return);
        expectLockedState();
        QVERIFY(state().ModeMark.empty());
    }

    void aDragInALockedBoxSelectsAnew()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        dragSelect(c().upperBox, 2, 1);  // C: its gap C B is selected
        QCOMPARE(selectionOf(c().upperBox), qMakePair(2, 2));
        // From inside that highlight back to the first character: a new selection, in
        // gap 1 (the A), not a drag of C B.
        QWidget* viewport = c().upperBox->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, pointOf(c().upperBox, 3));
        QTest::mouseMove(viewport, pointOf(c().upperBox, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointOf(c().upperBox, 0));
        QCOMPARE(selectionOf(c().upperBox), qMakePair(0, 1));
        QCOMPARE(state().CurrentRow, std::int16_t{1});
        QVERIFY(!c().upperBox->acceptDrops());
        QVERIFY(!c().lowerBox->acceptDrops());
    }

    // Past the 300th gap nothing is linked: a click there selects nothing new and says so
    // in a tooltip; a click before it gets no tooltip.
    void aClickPastTheRecordedGapsIsExplained()
    {
        type(QString(400, QLatin1Char('a')),
             QString(400, QLatin1Char('x')).replace(QLatin1Char('x'), QStringLiteral("xa")));
        c().compute1Button->click();
        QCOMPARE(state().RowCount, std::int16_t{300});
        QToolTip::hideText();
        dragSelect(c().lowerBox, 700, 1);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), kBeyondRecordedHint);
        QToolTip::hideText();
        dragSelect(c().lowerBox, 10, 1);
        QVERIFY(!QToolTip::isVisible());
    }

    // Every BMP code unit a box is given comes back from its capture as it went in: by a
    // paste into either input box, by typing, and in the result box. A CR (alone or before
    // LF) is the one exception: it is taken as a line break.
    void everyCodeUnitIsCapturedExactly()
    {
        QString every;
        for (char32_t u = 0; u <= 0xFFFF; ++u)
            if (u != u'\r') every += QChar(static_cast<char16_t>(u));
        const auto firstDifference = [](const QString& got, const QString& expected) {
            for (qsizetype p = 0; p < std::min(got.size(), expected.size()); ++p)
                if (got[p] != expected[p])
                    return QStringLiteral("at %1: U+%2 for U+%3")
                        .arg(p)
                        .arg(got[p].unicode(), 4, 16, QLatin1Char('0'))
                        .arg(expected[p].unicode(), 4, 16, QLatin1Char('0'));
            return QStringLiteral("lengths %1 and %2").arg(got.size()).arg(expected.size());
        };
        for (RichTextBox* box : {c().upperBox, c().lowerBox}) {
            box->setText(QString());
            QMimeData pasted;
            pasted.setText(every);
            box->insertFromMimeData(&pasted);
            QVERIFY2(box->text() == every, qPrintable(firstDifference(box->text(), every)));
        }
        c().resultBox->setText(every);
        QVERIFY2(c().resultBox->text() == every, qPrintable(firstDifference(c().resultBox->text(), every)));
        // The units a document takes for structure, typed between ordinary letters; the
        // letter typed after one stays itself.
        c().upperBox->setText(QString());
        c().upperBox->setFocus();
        const QString structural = QStringLiteral("a\u2029b\uFDD0c\uFDD1d\u2028e");
        for (const QChar unit : structural) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(unit));
            QApplication::sendEvent(c().upperBox, &press);
        }
        QCOMPARE(c().upperBox->text(), structural);
        // Through a computation: U+FDD0 against a line break is a gap, not a match.
        type(QStringLiteral("A\uFDD0B"), QStringLiteral("A\nB"));
        c().compute1Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("AB"));
        QCOMPARE(state().Text1, std::u16string(u"A\uFDD0B"));
    }

    // A result with line breaks shows whole lines: each line of RT3 lies either wholly
    // inside its viewport or wholly outside, before and after a selection on a later line
    // scrolls it into view.
    void resultLinesAreNeverCut()
    {
        type(QStringLiteral("AB\nCD\nEF"), QStringLiteral("AB\nCD\nEF"));
        c().compute1Button->click();
        QCOMPARE(c().resultBox->text(), QStringLiteral("AB\nCD\nEF"));
        const auto linesWhole = [this] {
            const QRect view = c().resultBox->viewport()->rect();
            for (int p : {0, 3, 6}) {
                QTextCursor cursor(c().resultBox->document());
                cursor.setPosition(p);
                // The caret's rectangle spans its line, rounded outwards by a pixel.
                const QRect line = c().resultBox->cursorRect(cursor).adjusted(0, 1, 0, -1);
                if (view.intersects(line) && !view.contains(line)) return false;
            }
            return true;
        };
        QVERIFY(linesWhole());
        dragSelect(c().upperBox, 6, 1);  // E: its place in the third line of the result
        QCOMPARE(selectionOf(c().resultBox), qMakePair(6, 1));
        QVERIFY(linesWhole());
        QTextCursor third(c().resultBox->document());
        third.setPosition(6);
        QVERIFY(c().resultBox->viewport()->rect().contains(c().resultBox->cursorRect(third).adjusted(0, 1, 0, -1)));
    }

    // The boxes' text keeps its bold weight at every scale factor: as dense as the bold
    // face drawn directly, and clearly denser than the regular one.
    void boxTextStaysBold()
    {
        const QString text = QStringLiteral("ABCBDAB程序");
        c().upperBox->setText(text);
        c().exitButton->setFocus();  // no caret in the picture
        const qreal ratio = window->devicePixelRatioF();
        QFont regular = c().upperBox->font();
        regular.setBold(false);
        const double box = inkDensity(drawnText(c().upperBox));
        const double bold = inkDensity(paintedText(c().upperBox->font(), text, ratio));
        const double light = inkDensity(paintedText(regular, text, ratio));
        QVERIFY2(box > light * 1.15, qPrintable(QStringLiteral("%1 against regular %2").arg(box).arg(light)));
        QVERIFY2(box > bold * 0.9, qPrintable(QStringLiteral("%1 against bold %2").arg(box).arg(bold)));
    }

    // The input boxes' borders and the blue frames are whole and sharp at every scale
    // factor: each edge holds pixels of exactly its colour, with no blend beside them.
    void framesAreWholeAndSharp()
    {
        const QImage picture = window->grab().toImage();
        const qreal ratio = picture.devicePixelRatio();
        const QColor background = window->palette().color(QPalette::Window);
        struct Outline {
            QWidget* widget;
            QColor colour;
            QList<QColor> plain;
        };
        const QList<Outline> outlines = {
            {c().upperBox, kBoxBorder, {background, Qt::white}},
            {c().lowerBox, kBoxBorder, {background, Qt::white}},
            {c().countFrame, QColor(0, 0, 255), {background}},
            {c().editFrame, QColor(0, 0, 255), {background}},
        };
        for (const Outline& o : outlines) {
            const QRect r = o.widget->geometry();
            const QPoint middle = r.center();
            const int reach = 3;  // logical pixels either side of the edge
            const auto device = [ratio](QPoint p) { return QPoint(qRound(p.x() * ratio), qRound(p.y() * ratio)); };
            const QPair<QPoint, QPoint> crossings[] = {
                {{middle.x(), r.top() - reach}, {middle.x(), r.top() + reach}},
                {{middle.x(), r.bottom() - reach}, {middle.x(), r.bottom() + reach}},
                {{r.left() - reach, middle.y()}, {r.left() + reach, middle.y()}},
                {{r.right() - reach, middle.y()}, {r.right() + reach, middle.y()}},
            };
            for (const auto& [from, to] : crossings) {
                const QString fault = blurAcross(picture, device(from), device(to), o.colour, o.plain);
                QVERIFY2(fault.isEmpty(), qPrintable(o.widget->objectName() + QStringLiteral(": ") + fault));
            }
        }
    }

    // At every scale factor each caption fits its control: the labels' texts within
    // their sizes, the buttons' texts inside their frames.
    void nothingIsClipped()
    {
        c().lengthLabel->setVisible(true);
        setAutoSizeCaption(c().lengthLabel, QStringLiteral("长度①：32766"));
        setAutoSizeCaption(c().callCountLabel, QStringLiteral("2147483647"));
        for (QLabel* label : window->findChildren<QLabel*>()) {
            const QSizeF text = QFontMetricsF(label->font()).size(0, label->text());
            QVERIFY2(text.width() <= label->width() + 0.5 && text.height() <= label->height() + 0.5,
                     qPrintable(label->objectName()));
        }
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            if (!button->isVisible()) continue;
            const qreal text = QFontMetricsF(button->font()).horizontalAdvance(button->text());
            QVERIFY2(text + 8 <= button->width(), qPrintable(button->objectName()));
        }
    }

    // The window opens centred on its screen, or, when it is larger than the screen, with
    // its top-left corner (the title bar and the close box) on it.
    void theWindowOpensOnItsScreen()
    {
        const QRect available = window->screen()->availableGeometry();
        const QRect frame = window->frameGeometry();
        QVERIFY(available.contains(frame.topLeft()));
        if (frame.width() <= available.width())
            // centred as far as the frame's margins, which are known only once it is shown
            QVERIFY(std::abs(frame.center().x() - available.center().x()) <= frame.width() - window->width() + 1);
    }

    void clicksAreIgnoredWithoutAResult()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        dragSelect(c().upperBox, 1, 1);
        QCOMPARE(selectionOf(c().upperBox), qMakePair(1, 1));
        QCOMPARE(selectionOf(c().lowerBox), qMakePair(0, 0));
        QCOMPARE(state().CurrentRow, std::int16_t{-1});
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
