// The boxes after a computation: a selection in one selects its partners in the others,
// and every code unit and result line is kept whole.
#include "window_fixture.h"

namespace velmora::test {

class SelectionTest : public WindowFixture {
    Q_OBJECT

private slots:
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
        MenuCloser menus;
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
        // After a menu the window is active again once the platform says so.
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        QTEST(QApplication::focusWidget()->objectName(), "focus");
        // The right button's release, once answered, opens the locked box's read-only menu,
        // which changed none of the above.
        const QStringList menu =
            button == 2 ? QStringList{QStringLiteral("复制"), QStringLiteral("全选")} : QStringList{};
        QCOMPARE(menus.texts, menu);
    }

    // A selection made with Shift and the arrow keys in a locked box is answered as the
    // same selection made with the mouse.
    void aSelectionWithTheKeysSelectsThePartners()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        dragSelect(c().upperBox, 3, 1);  // the gap B, with the mouse
        const auto byMouse =
            std::make_tuple(selectionOf(c().upperBox), selectionOf(c().lowerBox), selectionOf(c().resultBox));
        for (QWidget* b : {static_cast<QWidget*>(c().upperBox), static_cast<QWidget*>(c().lowerBox),
                           static_cast<QWidget*>(c().resultBox)})
            QtWindowOperations::selectRange(b, 0, 0);
        c().upperBox->setFocus();
        QtWindowOperations::selectRange(c().upperBox, 3, 0);
        QTest::keyClick(c().upperBox, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(std::make_tuple(selectionOf(c().upperBox), selectionOf(c().lowerBox), selectionOf(c().resultBox)),
                 byMouse);
        // Without Shift nothing is selected, and nothing answered.
        QtWindowOperations::selectRange(c().lowerBox, 0, 0);
        c().upperBox->setFocus();
        QTest::keyClick(c().upperBox, Qt::Key_Right);
        QCOMPARE(selectionOf(c().lowerBox), qMakePair(0, 0));
    }

    // The menu key opens the same read-only menu at the caret of a locked box, and leaves
    // the selection and the focus as they were.
    void theMenuKeyOpensTheReadOnlyMenu()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        c().compute1Button->click();
        dragSelect(c().upperBox, 1, 1);
        const auto before = qMakePair(selectionOf(c().upperBox), selectionOf(c().lowerBox));
        QWidget* focused = QApplication::focusWidget();
        MenuCloser menus;
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5), c().lowerBox->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(c().lowerBox, &request);
        QCOMPARE(menus.texts, (QStringList{QStringLiteral("复制"), QStringLiteral("全选")}));
        QCOMPARE(qMakePair(selectionOf(c().upperBox), selectionOf(c().lowerBox)), before);
        QTRY_COMPARE(QApplication::focusWidget(), focused);
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

    // A result wider than the box keeps its one line whole: no scroll bar covers half of
    // it, a selection scrolls its place into view along the line, the wheel moves along
    // it, and the box is grey from top to bottom.
    void aLongResultStaysWholeAndScrollsAlong()
    {
        const QString text = QStringLiteral("ABCDEFGHIJ").repeated(7);
        type(text, text);
        c().compute1Button->click();
        ResultBox* box = c().resultBox;
        QCOMPARE(box->text(), text);
        QVERIFY(!box->horizontalScrollBar()->isVisible());
        QVERIFY(box->horizontalScrollBar()->maximum() > 0);
        const auto shows = [box](int position) {
            QTextCursor cursor(box->document());
            cursor.setPosition(position);
            return box->viewport()->rect().contains(box->cursorRect(cursor).adjusted(0, 1, 0, -1));
        };
        QVERIFY(shows(0));
        dragSelect(c().upperBox, 68, 1);  // the last but one character: its place at the far end
        QCOMPARE(selectionOf(box), qMakePair(68, 1));
        QVERIFY(shows(68));
        QVERIFY(!shows(0));
        const int along = box->horizontalScrollBar()->value();
        QWheelEvent wheel(QPointF(20, 10), box->viewport()->mapToGlobal(QPointF(20, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box->viewport(), &wheel);
        QVERIFY(box->horizontalScrollBar()->value() < along);

        // Below the last whole line, down to the frame: the box's grey, not the window's colour.
        const QImage picture = box->grab().toImage();
        const qreal ratio = picture.devicePixelRatio();
        const QRect view = box->viewport()->geometry();
        const int x = qRound(box->width() / 2 * ratio);
        for (int y = qCeil((view.bottom() + 1) * ratio); y < qFloor((box->contentsRect().bottom() - 1) * ratio); ++y)
            QCOMPARE(picture.pixelColor(x, y), QColor(224, 224, 224));
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

QObject* makeSelectionTest() { return new SelectionTest; }

}  // namespace velmora::test

#include "selection_test.moc"
