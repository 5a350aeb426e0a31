// The window as it opens: every control at its place, in its face, drawn whole and sharp.
#include "window_fixture.h"

namespace velmora::test {

class LayoutTest : public WindowFixture {
    Q_OBJECT

private slots:
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
        // Drawn in the sans faces whatever the locale (these tests run under C.UTF-8):
        // Chinese in Noto Sans CJK SC, with the mainland forms of "，" and "。".
        for (const QFont& font : {menu->font(), box.button(QMessageBox::Ok)->font()}) {
            QCOMPARE(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
            QCOMPARE(QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese).familyName(),
                     QStringLiteral("Noto Sans CJK SC"));
        }
    }
    // A screen reader finds a frame with the visible controls only, each box named in
    // Chinese, and after a computation how many characters of each input are unmatched.
    void theAccessibleTreeNamesTheControls()
    {
        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(window.get());
        QCOMPARE(frame->role(), QAccessible::Window);
        QStringList names;
        for (int i = 0; i < frame->childCount(); ++i) {
            QAccessibleInterface* child = frame->child(i);
            QVERIFY(child);
            QCOMPARE(frame->indexOfChild(child), i);
            names << child->text(QAccessible::Name);
            QVERIFY2(!child->object()->objectName().startsWith(QLatin1String("Command3")) &&
                         !child->object()->objectName().startsWith(QLatin1String("Command5")),
                     "a hidden engine button is in the tree");
        }
        for (const char* name : {"第一段文本", "第二段文本", "结果", "计算1", "计算2", "编辑文本", "清除", "退出"})
            QVERIFY2(names.contains(QString::fromUtf8(name)), qPrintable(names.join(QLatin1Char('|'))));
        const auto description = [](QWidget* box) {
            return QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
        };
        QVERIFY(!description(c().upperBox).contains(QStringLiteral("未匹配")));
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        QVERIFY2(description(c().upperBox).contains(QStringLiteral("未匹配的字符 3 个")),
                 qPrintable(description(c().upperBox)));
        QVERIFY2(description(c().lowerBox).contains(QStringLiteral("未匹配的字符 2 个")),
                 qPrintable(description(c().lowerBox)));
        c().editButton->click();
        QVERIFY(!description(c().lowerBox).contains(QStringLiteral("未匹配")));
    }

    // A screen reader reads each box's colours as text attributes, in runs of one colour
    // that agree with the painted gap colour character by character, and reads the text,
    // the selection and the locked state through the same interface.
    void theGapColourIsATextAttribute()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        for (RichTextBox* box : {c().upperBox, c().lowerBox}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
            QAccessibleTextInterface* text = face->textInterface();
            QVERIFY(text);
            QCOMPARE(face->role(), QAccessible::EditableText);
            QVERIFY(face->state().readOnly);
            QCOMPARE(text->characterCount(), box->text().size());
            QCOMPARE(text->text(0, text->characterCount()), box->text());
            int offset = 0, runs = 0;
            while (offset < text->characterCount()) {
                int start = -1, end = -1;
                const QString attributes = text->attributes(offset, &start, &end);
                QCOMPARE(start, offset);
                QVERIFY(end > start);
                const bool gap = attributes.contains(QStringLiteral("color:rgb(100,220,100)"));
                QVERIFY2(gap || attributes.contains(QStringLiteral("color:rgb(0,0,0)")), qPrintable(attributes));
                for (int at = start; at < end; ++at) QCOMPARE(box->isGapColoured(at), gap);
                offset = end;
                ++runs;
            }
            QVERIFY(runs >= 3);
            text->setSelection(0, 1, 3);
            QCOMPARE(selectionOf(box), qMakePair(1, 2));
        }
        c().editButton->click();
        QAccessibleInterface* upper = QAccessible::queryAccessibleInterface(c().upperBox);
        QVERIFY(upper->state().editable && !upper->state().readOnly);
        upper->editableTextInterface()->insertText(0, QStringLiteral("Z"));
        QVERIFY(c().upperBox->text().startsWith(QStringLiteral("ZABC")));
    }

    // The smallest icon is drawn for its size: every pixel is one of the icon's own
    // colours or transparent, none a blend; the larger ones keep their drawing.
    void theSmallIconIsCrisp()
    {
        const QImage icon = drawIcon(16);
        QCOMPARE(icon.size(), QSize(16, 16));
        const QList<QRgb> own{qRgb(0, 0, 255), qRgb(250, 250, 250), qRgb(0, 0, 0), qRgb(100, 220, 100),
                              qRgb(224, 224, 224)};
        int gap = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb pixel = icon.pixel(x, y);
                if (qAlpha(pixel) == 0) continue;
                QVERIFY2(qAlpha(pixel) == 255 && own.contains(pixel | 0xff000000u),
                         qPrintable(QStringLiteral("blended pixel at %1,%2").arg(x).arg(y)));
                gap += pixel == qRgb(100, 220, 100);
            }
        QCOMPARE(gap, 5 * 3);  // five gap blocks of three pixels
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(velmoraIcon().pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
                 icon.convertToFormat(QImage::Format_ARGB32));
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
    // Where the window draws its own title bar (Wayland): the controls one strip lower, a
    // close box that closes through the same request as 退出, no maximise, nothing new in
    // the tab order, and a maximise or full screen from the compositor undone.
    void theOwnTitleStripKeepsTheLayout()
    {
        MainWindow framed(true);
        Workflow framedFlow(framed);
        framedFlow.load();
        QVERIFY(QTest::qWaitForWindowExposed(&framed));
        const int strip = TitleStrip::kHeight;
        QVERIFY(framed.titleStrip());
        QCOMPARE(framed.size(), QSize(755, 317 + strip));
        QCOMPARE(framed.minimumSize(), framed.size());
        QVERIFY(framed.windowFlags() & Qt::FramelessWindowHint);
        for (QWidget* own : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            auto* moved = framed.findChild<QWidget*>(own->objectName(), Qt::FindDirectChildrenOnly);
            QVERIFY2(moved, qPrintable(own->objectName()));
            QCOMPARE(moved->geometry(), own->geometry().translated(0, strip));
        }
        QCOMPARE(framed.titleStrip()->geometry(), QRect(0, 0, 755, strip));
        QCOMPARE(framed.titleStrip()->closeButton()->focusPolicy(), Qt::NoFocus);

        for (Qt::WindowState request : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
            framed.setWindowState(request);
            QTRY_VERIFY(!(framed.windowState() & request));
            QTRY_COMPARE(framed.size(), QSize(755, 317 + strip));
        }
        framed.resize(900, 500);  // a compositor's resize in the normal state
        QTRY_COMPARE(framed.size(), QSize(755, 317 + strip));

        bool closing = false;
        connect(&framed, &MainWindow::closing, this, [&closing] { closing = true; });
        framed.titleStrip()->closeButton()->click();
        QVERIFY(closing);
        QTRY_VERIFY(!framed.isVisible());
    }
};

QObject* makeLayoutTest() { return new LayoutTest; }

}  // namespace velmora::test

#include "layout_test.moc"
