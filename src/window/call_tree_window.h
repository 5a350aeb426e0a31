#pragma once
// 调用树: the second window, with the invocation tree of the computation on display, a
// pane that shows where the selected invocation's remainders begin, and 热点, the pairs of
// remainders invoked most. It follows the main window: a new computation replaces the
// tree, and while the texts are edited it says there is none.

#include <QComboBox>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "engine/study/kept_computation.h"
#include "window/call_tree_model.h"

namespace velmora {

class CallTreeWindow : public QWidget {
    Q_OBJECT
public:
    explicit CallTreeWindow(QWidget* mainWindow);
    ~CallTreeWindow() override;

    // The computation on display, with its result length and call count. The tree is built
    // when the window is shown, or at once if it is showing.
    void followComputation(std::shared_ptr<KeptComputation> computation, const mpz_class& total, std::int16_t length);
    // No tree to show, and why.
    void showNoTree(const QString& why);
    // Shows the window and its tree, raised and active.
    void present();

    // For the tests: the model behind the view (null without a tree), and the view.
    CallTreeModel* model() const { return model_; }
    QTreeView* treeView() const { return treeView_; }
    QSortFilterProxyModel* sortedModel() const { return sorted_; }
    QTreeWidget* hotPairsView() const { return hotPairs_; }
    QTextBrowser* detailPane() const { return detail_; }
    QTabWidget* tabs() const { return tabs_; }
    QComboBox* orderChoice() const { return order_; }

signals:
    // An invocation or a hot pair was selected: its remainders begin at Text1[i], Text2[j].
    void pairSelected(std::int32_t i, std::int32_t j);
    // Nothing selected any more, or no tree.
    void pairCleared();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTree();
    void fillHotPairs();
    void dropTree();
    void showSelected(const QModelIndex& current);

    QLabel* summary_;
    QComboBox* order_;
    QTabWidget* tabs_;
    QTreeView* treeView_;
    QTextBrowser* detail_;
    QTreeWidget* hotPairs_;
    QLabel* hotPairsNote_;
    QSortFilterProxyModel* sorted_;
    CallTreeModel* model_ = nullptr;

    std::shared_ptr<KeptComputation> computation_;
    mpz_class total_;
    std::int16_t length_ = 0;
    bool treeBuilt_ = false, hotPairsFilled_ = false;
    ComputationControl* loading_ = nullptr;  // the replay or the hot pairs, while they run
};

}  // namespace velmora
