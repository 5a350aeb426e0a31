// The window's actions: compute, edit, clear, exit, Enter, and what happens while a
// computation runs long or passes a limit.
#include "window_fixture.h"

namespace velmora::test {

class WorkflowTest : public WindowFixture {
    Q_OBJECT

private slots:
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
    // While the progress dialog shows, a close request (the close box, the window manager's
    // request or 退出) cancels the computation and closes the window, the texts untouched.
    void aCloseRequestDuringTheProgressCancelsAndCloses_data()
    {
        QTest::addColumn<bool>("bySystem");
        QTest::addRow("close box") << true;
        QTest::addRow("退出") << false;
    }
    void aCloseRequestDuringTheProgressCancelsAndCloses()
    {
        QFETCH(bool, bySystem);
        const auto [upper, lower] = slowPair();
        workflow->setEngineTuning(candidateByCandidate());
        type(upper, lower);
        bool dialogShown = false;
        QTimer::singleShot(kProgressDelayMs + 400, window.get(), [&] {
            auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
            dialogShown = dialog && dialog->isVisible();
            if (bySystem)
                window->windowHandle()->close();
            else
                c().exitButton->click();
        });
        MessageCatcher catcher;
        c().compute1Button->click();
        QVERIFY(dialogShown);
        QVERIFY2(!window->isVisible(), "the close request was not carried out");
        QVERIFY(catcher.text.isEmpty());
        QVERIFY(c().resultBox->text().isEmpty());
        QCOMPARE(c().upperBox->text(), upper);
        QCOMPARE(c().lowerBox->text(), lower);
    }

    // However a computation ends, the focus lands where the next Enter does no harm: on
    // 编辑文本 with a result on display, in the upper box back in editing; never on 退出.
    void theFocusAfterAComputationIsNeverOnExit_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("focused");
        const QString costly = QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD");
        const QString partner = QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA");
        const auto [upper, lower] = slowPair();
        QTest::addRow("result") << "ABCBDAB"
                                << "BDCABA" << false << "Command1";
        QTest::addRow("overflow message") << costly + costly << partner + partner << false << "RT1";
        QTest::addRow("too-long message") << QString(32767, QLatin1Char('a')) << "a" << false << "RT1";
        QTest::addRow("cancelled") << upper << lower << true << "RT1";
    }
    void theFocusAfterAComputationIsNeverOnExit()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(bool, cancel);
        QFETCH(QString, focused);
        workflow->setEngineTuning(candidateByCandidate());
        type(upper, lower);
        ProgressSeen seen;
        if (cancel) cancelOnceTheProgressShows(window.get(), seen);
        MessageCatcher catcher;
        c().compute1Button->setFocus();
        QTest::keyClick(c().compute1Button, Qt::Key_Return);
        QCOMPARE(seen.shown, cancel);
        QVERIFY(window->focusWidget() != nullptr);
        QCOMPARE(window->focusWidget()->objectName(), focused);
        // Two more Enters (editing, or a line break typed and the focus moved on): the
        // window stays open with both texts.
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(c().upperBox->text().remove(QLatin1Char('\n')), upper);
        QCOMPARE(c().lowerBox->text().remove(QLatin1Char('\n')), lower);
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
};

QObject* makeWorkflowTest() { return new WorkflowTest; }

}  // namespace velmora::test

#include "workflow_test.moc"
