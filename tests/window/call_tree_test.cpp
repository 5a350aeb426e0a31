// 调用树: the tree window against the study engine, its link to the main window, and how
// it follows the main window's states.
#include <QAbstractItemModelTester>
#include <QHeaderView>

#include "engine/method/comparison_session.h"
#include "window/call_tree_link.h"
#include "window/call_tree_window.h"
#include "window_fixture.h"

namespace velmora::test {
namespace {

// One row of the tree as `velmora-cli trace` lists it.
struct ListedCall {
    mpz_class number;
    int depth;
    InvocationTree::Call call;
    std::int16_t result;
    mpz_class count;
    bool operator==(const ListedCall& other) const
    {
        return number == other.number && depth == other.depth && call.role == other.call.role &&
               call.i == other.call.i && call.j == other.call.j && result == other.result && count == other.count;
    }
};

// Every node of the model, in start order, fetched and expanded all the way down; checks
// on the way that each node counts itself and its children's subtrees.
void listModel(CallTreeModel& model, const QModelIndex& parent, int depth, std::vector<ListedCall>& lines)
{
    while (model.canFetchMore(parent)) model.fetchMore(parent);
    mpz_class below = 0;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        lines.push_back(
            {model.numberAt(index), depth, model.callAt(index), model.resultAt(index), model.countAt(index)});
        below += model.countAt(index);
        listModel(model, index, depth + 1, lines);
    }
    if (parent.isValid())
        QCOMPARE(model.countAt(parent), below + 1);
    else
        QCOMPARE(model.total(), below);
}

// What the trace command lists for the computation: the alignment's calls as roots, every
// count from a column sweep of the texts.
std::vector<ListedCall> traceOf(const QString& upper, const QString& lower, Direction direction)
{
    ComparisonSession session;
    session.start();
    std::vector<InvocationTree::Call> roots;
    AlignmentOptions options;
    options.onCall = [&](const AlignmentCall& call) { roots.push_back(treeRoot(call)); };
    RecordingWindow window;
    session.compute(direction, upper.toStdU16String(), lower.toStdU16String(), window, options);
    InvocationTree tree(session.state().Text1, session.state().Text2);
    std::vector<ListedCall> lines;
    for (const auto& line : tree.list(roots, 1, 1'000'000))
        lines.push_back({line.number, line.depth, line.call, line.result, line.calls});
    return lines;
}

// Runs of a and b against the reverse: the alignment makes hundreds of calls, and each of
// them hundreds more, more than a page at each level.
QString pagedUpper() { return QString(250, QLatin1Char('a')) + QString(250, QLatin1Char('b')) + QLatin1Char('c'); }
QString pagedLower() { return QString(250, QLatin1Char('b')) + QString(250, QLatin1Char('a')) + QLatin1Char('c'); }

// What a link to the tree must leave as it was in the main window.
struct MainWindowLook {
    QString upper, lower, result, label4, label5, upperGaps, lowerGaps;
    qsizetype upperStart, upperEnd, lowerStart, lowerEnd, resultStart, resultEnd;
    QWidget* focus;
    bool operator==(const MainWindowLook&) const = default;
};

}  // namespace

class CallTreeTest : public WindowFixture {
    Q_OBJECT

    CallTreeWindow* openWithF2()
    {
        QTest::keyClick(window.get(), Qt::Key_F2);
        CallTreeWindow* tree = workflow->callTree().treeWindow();
        if (tree && !QTest::qWaitForWindowExposed(tree)) return nullptr;
        return tree;
    }

    MainWindowLook look()
    {
        const auto range = [](auto* box) {
            return std::pair{box->textCursor().selectionStart(), box->textCursor().selectionEnd()};
        };
        const auto [us, ue] = range(c().upperBox);
        const auto [ls, le] = range(c().lowerBox);
        const auto [rs, re] = range(c().resultBox);
        return {c().upperBox->text(),
                c().lowerBox->text(),
                c().resultBox->toPlainText(),
                c().lengthLabel->text(),
                c().callCountLabel->text(),
                colouringOf(c().upperBox).gapPositions,
                colouringOf(c().lowerBox).gapPositions,
                us,
                ue,
                ls,
                le,
                rs,
                re,
                QApplication::focusWidget()};
    }

private slots:
    void remaindersAreShownOnOneLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short, whole") << "ABCBDAB" << 3 << "CBDAB";
        QTest::newRow("empty past the end") << "AB" << 3 << "（空）";
        QTest::newRow("a line break as a sign") << "A\nB" << 1 << "A↵B";
        QTest::newRow("long, cut with …") << QString(30, QLatin1Char('x')) << 1 << QString(19, QLatin1Char('x')) + "…";
        QTest::newRow("never half a pair at the cut")
            << QString(18, QLatin1Char('x')) + QString::fromUtf16(u"😀😀") << 1 << QString(18, QLatin1Char('x')) + "…";
    }
    void remaindersAreShownOnOneLine()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(QString, shown);
        QCOMPARE(shownRemainder(text.toStdU16String(), from), shown);
    }

    void rowsEqualTheTrace_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<bool>("compute1");
        QTest::newRow("a candidate rejected by its skip") << "AB"
                                                          << "BAB" << true;
        QTest::newRow("two candidates") << "XYBZ"
                                        << "BZXY" << true;
        QTest::newRow("repeated letters") << "ABB"
                                          << "BABB" << true;
        QTest::newRow("the worked pair, compute 1") << "ABCBDAB"
                                                    << "BDCABA" << true;
        QTest::newRow("the worked pair, compute 2") << "ABCBDAB"
                                                    << "BDCABA" << false;
        QTest::newRow("pages at the top and below") << pagedUpper() << pagedLower() << true;
    }
    void rowsEqualTheTrace()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(bool, compute1);
        type(upper, lower);
        (compute1 ? c().compute1Button : c().compute2Button)->click();
        CallTreeWindow* tree = openWithF2();
        QVERIFY(tree && tree->model());
        QAbstractItemModelTester tester(tree->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester sortedTester(tree->sortedModel(),
                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<ListedCall> shown;
        listModel(*tree->model(), {}, 0, shown);
        const std::vector<ListedCall> traced =
            traceOf(upper, lower, compute1 ? Direction::Compute1 : Direction::Compute2);
        QCOMPARE(shown.size(), traced.size());
        for (std::size_t k = 0; k < shown.size(); ++k)
            QVERIFY2(shown[k] == traced[k], qPrintable(QStringLiteral("row %1").arg(k)));
        QCOMPARE(QString::fromStdString(tree->model()->total().get_str()), c().callCountLabel->text());
    }

    void theViewFetchesPagesAndSortsWithinALevel()
    {
        type(pagedUpper(), pagedLower());
        c().compute1Button->click();
        CallTreeWindow* tree = openWithF2();
        QVERIFY(tree && tree->model());
        QAbstractItemModelTester tester(tree->sortedModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView* view = tree->treeView();
        QSortFilterProxyModel* sorted = tree->sortedModel();
        // The largest top-level node, by the order chosen with the keys, then expanded by the view.
        tree->orderChoice()->setFocus();
        QTest::keyClick(tree->orderChoice(), Qt::Key_Down);
        QCOMPARE(view->header()->sortIndicatorSection(), int(CallTreeModel::Calls));
        const QModelIndex largest = sorted->index(0, 0);
        QVERIFY(largest.isValid());
        view->expand(largest);
        QVERIFY(sorted->rowCount(largest) >= int(CallTreeModel::kPage));
        while (sorted->canFetchMore(largest)) sorted->fetchMore(largest);
        QCOMPARE(sorted->rowCount(largest), 250);  // each of the 250 a's skipped
        // Within the level the counts fall, and each share is of the parent's count.
        for (int row = 1; row < sorted->rowCount(largest); ++row)
            QVERIFY(sorted->index(row - 1, CallTreeModel::Calls, largest).data(CallTreeModel::kSortRole).toDouble() >=
                    sorted->index(row, CallTreeModel::Calls, largest).data(CallTreeModel::kSortRole).toDouble());
        const QModelIndex child = sorted->index(0, CallTreeModel::Share, largest);
        const double share = child.data(CallTreeModel::kShareRole).toDouble();
        const double expected =
            sorted->index(0, CallTreeModel::Calls, largest).data(CallTreeModel::kSortRole).toDouble() /
            largest.siblingAtColumn(CallTreeModel::Calls).data(CallTreeModel::kSortRole).toDouble();
        QVERIFY(qAbs(share - expected) < 1e-9);
        // Sorting on the number brings back the order the calls were made in.
        view->sortByColumn(CallTreeModel::Number, Qt::AscendingOrder);
        QCOMPARE(tree->orderChoice()->currentIndex(), 0);
        QCOMPARE(sorted->index(0, CallTreeModel::Number).data().toString(), QStringLiteral("1"));
        // Every row names itself to a screen reader.
        QVERIFY(sorted->index(0, 0).data(Qt::AccessibleTextRole).toString().startsWith(QStringLiteral("第 1 次调用")));
    }

    void selectingAnInvocationMarksItsCellsOnly_data()
    {
        QTest::addColumn<bool>("compute1");
        QTest::newRow("compute 1: Text1 in the upper box") << true;
        QTest::newRow("compute 2: Text1 in the lower box") << false;
    }
    void selectingAnInvocationMarksItsCellsOnly()
    {
        QFETCH(bool, compute1);
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        (compute1 ? c().compute1Button : c().compute2Button)->click();
        // A selection in the result box, as a student would have made.
        dragSelect(c().resultBox, 1, 2);
        const MainWindowLook before = look();
        CallTreeWindow* tree = openWithF2();
        QVERIFY(tree && tree->model());
        RichTextBox* box1 = compute1 ? c().upperBox : c().lowerBox;
        RichTextBox* box2 = compute1 ? c().lowerBox : c().upperBox;
        QTreeView* view = tree->treeView();
        for (int row = 0; row < tree->sortedModel()->rowCount(); ++row) {
            view->setCurrentIndex(tree->sortedModel()->index(row, 0));
            const InvocationTree::Call call =
                tree->model()->callAt(tree->sortedModel()->mapToSource(view->currentIndex()));
            QCOMPARE(box1->markedCell(), call.i - 1);
            QCOMPARE(box2->markedCell(), call.j - 1);
            QVERIFY(tree->detailPane()->toPlainText().contains(QStringLiteral("第 %1 个字符").arg(call.i)));
        }
        // Keyboard too: Down moves the selection and the marker with it.
        view->setFocus();
        view->setCurrentIndex(tree->sortedModel()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Down);
        const InvocationTree::Call second =
            tree->model()->callAt(tree->sortedModel()->mapToSource(view->currentIndex()));
        QCOMPARE(box1->markedCell(), second.i - 1);
        // A hot pair marks its cells too.
        tree->tabs()->setCurrentIndex(1);
        QVERIFY(tree->hotPairsView()->topLevelItemCount() > 0);
        tree->hotPairsView()->setCurrentItem(tree->hotPairsView()->topLevelItem(0));
        QCOMPARE(box1->markedCell(), tree->hotPairsView()->topLevelItem(0)->data(1, Qt::UserRole).toInt() - 1);
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        MainWindowLook after = look();
        after.focus = before.focus;  // the tree window has the focus while it is used
        QVERIFY(after == before);
        // Editing takes the marker away with the tree.
        c().editButton->click();
        QCOMPARE(box1->markedCell(), -1);
        QCOMPARE(box2->markedCell(), -1);
    }

    void hotPairsAreThePairsOfTheForest()
    {
        type(QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD"), QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA"));
        c().compute1Button->click();
        CallTreeWindow* tree = openWithF2();
        QVERIFY(tree && tree->model());
        tree->tabs()->setCurrentIndex(1);
        QTreeWidget* hot = tree->hotPairsView();
        QVERIFY(hot->topLevelItemCount() > 0);
        // The invoked counts fall, and the most invoked pair costs one call per invocation
        // or more; together the pairs' invocations are the whole count.
        mpz_class previous = -1;
        for (int row = 0; row < hot->topLevelItemCount(); ++row) {
            const mpz_class invoked(hot->topLevelItem(row)->text(5).remove(QLatin1Char(',')).toStdString());
            QVERIFY(previous < 0 || invoked <= previous);
            previous = invoked;
        }
        QVERIFY(hot->topLevelItemCount() < 1000);
        mpz_class sum = 0;
        for (int row = 0; row < hot->topLevelItemCount(); ++row)
            sum += mpz_class(hot->topLevelItem(row)->text(5).remove(QLatin1Char(',')).toStdString());
        QCOMPARE(QString::fromStdString(sum.get_str()), c().callCountLabel->text());
    }

    void theTreeFollowsTheMainWindow()
    {
        type(QStringLiteral("ABCBDAB"), QStringLiteral("BDCABA"));
        // Before any computation F2 opens it with nothing to show.
        CallTreeWindow* tree = openWithF2();
        QVERIFY(tree && !tree->model());
        c().compute1Button->click();
        QVERIFY(tree->model());
        QCOMPARE(tree->model()->total(), 22);
        c().editButton->click();
        QVERIFY(!tree->model());
        QVERIFY(tree->findChild<QLabel*>(QStringLiteral("TreeSummary"))->text().contains(QStringLiteral("编辑")));
        c().compute2Button->click();
        QVERIFY(tree->model());
        QCOMPARE(tree->model()->total(), 25);
        // After an overflow there is no tree, and the window says why.
        c().editButton->click();
        const QString costly = QStringLiteral("DBADDCDABBCACDCDACACACCCCBDDCD");
        const QString partner = QStringLiteral("BBDDBBACADACBCDDDBDCDDDBCCDCDA");
        type(costly + costly, partner + partner);
        {
            MessageCatcher catcher;
            c().compute1Button->click();
        }
        QVERIFY(!tree->model());
        QVERIFY(tree->findChild<QLabel*>(QStringLiteral("TreeSummary"))->text().contains(QStringLiteral("2147483647")));
        // Escape closes it; the main window stays.
        QTest::keyClick(tree, Qt::Key_Escape);
        QVERIFY(!tree->isVisible());
        QVERIFY(window->isVisible());
    }

    void aDoubleClickOnTheCountOpensIt_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("the count") << "Label5";
        QTest::newRow("its caption") << "Label7";
    }
    void aDoubleClickOnTheCountOpensIt()
    {
        QFETCH(QString, label);
        QVERIFY(c().callCountLabel->toolTip().contains(QStringLiteral("F2")));
        type(QStringLiteral("AB"), QStringLiteral("BAB"));
        c().compute1Button->click();
        QTest::mouseDClick(window->findChild<QLabel*>(label), Qt::LeftButton);
        CallTreeWindow* tree = workflow->callTree().treeWindow();
        QVERIFY(tree && tree->isVisible() && tree->model());
        QCOMPARE(tree->windowTitle(), QStringLiteral("调用树"));
    }
};

QObject* makeCallTreeTest() { return new CallTreeTest; }

}  // namespace velmora::test

#include "call_tree_test.moc"
