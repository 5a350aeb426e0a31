#include "window/call_tree_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "window/call_detail.h"
#include "window/off_thread_run.h"

namespace velmora {
namespace {

// Hot pairs listed, the most invoked first.
constexpr std::size_t kHotPairsShown = 1000;

// The share of the parent's count as a bar behind the percentage.
class ShareBarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const double share = std::clamp(index.data(CallTreeModel::kShareRole).toDouble(), 0.0, 1.0);
        QRectF bar = QRectF(option.rect).adjusted(2, 3, -2, -3);
        bar.setWidth(bar.width() * share);
        painter->fillRect(bar, QColor(144, 202, 249));
        QStyledItemDelegate::paint(painter, option, index);
    }
};

enum HotColumn { HotRank, HotPair, HotRemainder1, HotRemainder2, HotResult, HotInvoked, HotEach };

}  // namespace

CallTreeWindow::CallTreeWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window),
      summary_(new QLabel(this)),
      order_(new QComboBox(this)),
      tabs_(new QTabWidget(this)),
      treeView_(new QTreeView),
      detail_(new QTextBrowser),
      hotPairs_(new QTreeWidget),
      hotPairsNote_(new QLabel),
      sorted_(new QSortFilterProxyModel(this))
{
    setObjectName(QStringLiteral("CallTreeWindow"));
    setWindowTitle(QStringLiteral("调用树"));
    resize(1040, 580);
    summary_->setObjectName(QStringLiteral("TreeSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    treeView_->setObjectName(QStringLiteral("CallTree"));
    treeView_->setAccessibleName(QStringLiteral("调用树"));
    treeView_->setUniformRowHeights(true);
    treeView_->setAlternatingRowColors(true);
    treeView_->setItemDelegateForColumn(CallTreeModel::Share, new ShareBarDelegate(treeView_));
    sorted_->setSortRole(CallTreeModel::kSortRole);
    treeView_->setModel(sorted_);
    treeView_->setSortingEnabled(true);
    treeView_->sortByColumn(CallTreeModel::Number, Qt::AscendingOrder);
    connect(treeView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showSelected(current); });

    detail_->setObjectName(QStringLiteral("CallDetail"));
    detail_->setAccessibleName(QStringLiteral("所选调用"));
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(treeView_);
    splitter->addWidget(detail_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    tabs_->addTab(splitter, QStringLiteral("调用树"));

    hotPairs_->setObjectName(QStringLiteral("HotPairs"));
    hotPairs_->setAccessibleName(QStringLiteral("热点"));
    hotPairs_->setRootIsDecorated(false);
    hotPairs_->setUniformRowHeights(true);
    hotPairs_->setHeaderLabels({QStringLiteral("名次"), QStringLiteral("位置 (i, j)"), QStringLiteral("余下文本①"),
                                QStringLiteral("余下文本②"), QStringLiteral("结果"), QStringLiteral("被调用次数"),
                                QStringLiteral("每次调用引起的调用")});
    connect(hotPairs_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item) return emit pairCleared();
        emit pairSelected(item->data(HotPair, Qt::UserRole).toInt(), item->data(HotPair, Qt::UserRole + 1).toInt());
    });
    auto* hotPage = new QWidget;
    auto* hotLayout = new QVBoxLayout(hotPage);
    hotLayout->addWidget(hotPairsNote_);
    hotLayout->addWidget(hotPairs_);
    tabs_->addTab(hotPage, QStringLiteral("热点"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1) fillHotPairs();
    });

    // The order within each level, for the keyboard too (a header click needs the mouse).
    order_->setObjectName(QStringLiteral("TreeOrder"));
    order_->addItems({QStringLiteral("按调用顺序"), QStringLiteral("按调用次数，多的在前")});
    connect(order_, &QComboBox::currentIndexChanged, this, [this](int choice) {
        if (choice == 0)
            treeView_->sortByColumn(CallTreeModel::Number, Qt::AscendingOrder);
        else
            treeView_->sortByColumn(CallTreeModel::Calls, Qt::DescendingOrder);
    });
    connect(treeView_->header(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        const QSignalBlocker quiet(order_);
        if (column == CallTreeModel::Number && order == Qt::AscendingOrder)
            order_->setCurrentIndex(0);
        else if (column == CallTreeModel::Calls && order == Qt::DescendingOrder)
            order_->setCurrentIndex(1);
    });
    auto* orderLabel = new QLabel(QStringLiteral("排列(&O)："), this);
    orderLabel->setBuddy(order_);
    auto* orderRow = new QHBoxLayout;
    orderRow->addWidget(orderLabel);
    orderRow->addWidget(order_);
    orderRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(orderRow);
    layout->addWidget(tabs_, 1);
    setTabOrder(order_, treeView_);
    showNoTree(QStringLiteral("还没有计算：按“计算1”或“计算2”之后，这里列出函数调用的树。"));
}

CallTreeWindow::~CallTreeWindow()
{
    if (loading_) loading_->cancel();
}

void CallTreeWindow::dropTree()
{
    // Work for a tree that is going away is not finished.
    if (loading_) loading_->cancel();
    sorted_->setSourceModel(nullptr);
    delete model_;
    model_ = nullptr;
    detail_->clear();
    hotPairs_->clear();
    hotPairsNote_->clear();
    treeBuilt_ = hotPairsFilled_ = false;
    emit pairCleared();
}

void CallTreeWindow::showNoTree(const QString& why)
{
    dropTree();
    computation_.reset();
    summary_->setText(why);
}

void CallTreeWindow::followComputation(std::shared_ptr<KeptComputation> computation, const mpz_class& total,
                                       std::int16_t length)
{
    dropTree();
    computation_ = std::move(computation);
    total_ = total;
    length_ = length;
    summary_->setText(
        QStringLiteral("%1：长度 %2，函数调用次数 %3。")
            .arg(computation_->direction() == Direction::Compute1 ? QStringLiteral("计算1") : QStringLiteral("计算2"))
            .arg(length_)
            .arg(groupedDigits(total_)));
    if (isVisible()) buildTree();
}

void CallTreeWindow::present()
{
    show();
    raise();
    activateWindow();
    treeView_->setFocus(Qt::OtherFocusReason);
}

void CallTreeWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    buildTree();
}

void CallTreeWindow::closeEvent(QCloseEvent* event)
{
    if (loading_) loading_->cancel();
    QWidget::closeEvent(event);
}

void CallTreeWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CallTreeWindow::buildTree()
{
    if (treeBuilt_ || !computation_) return;
    treeBuilt_ = true;
    // The alignment's own calls are its computation replayed, which answers from what the
    // engine remembers; on long texts that can still take a moment, shown and cancellable.
    std::vector<AlignmentCall> calls;
    ComputationControl control;
    const std::shared_ptr<KeptComputation> computation = computation_;
    loading_ = &control;
    const std::exception_ptr failure = runWithProgress(
        this, control, [&](ComputationControl& running) { calls = computation->alignmentCalls(&running); });
    loading_ = nullptr;
    if (computation_ != computation) return;  // a newer computation came meanwhile
    if (failure) {
        treeBuilt_ = false;
        summary_->setText(summary_->text() + QStringLiteral("调用树的载入已取消，再按 F2 可重新载入。"));
        return;
    }
    model_ = new CallTreeModel(computation_, std::move(calls), total_, this);
    sorted_->setSourceModel(model_);
    if (model_->canFetchMore({})) model_->fetchMore({});
    // Numbers as wide as they are; the remainders, shortened already, and the bar share the rest.
    QHeaderView* header = treeView_->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const int column : {CallTreeModel::Remainder1, CallTreeModel::Remainder2, CallTreeModel::Share}) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        treeView_->setColumnWidth(column, column == CallTreeModel::Share ? 100 : 150);
    }
    if (sorted_->rowCount() > 0) treeView_->setCurrentIndex(sorted_->index(0, 0));
    if (tabs_->currentIndex() == 1) fillHotPairs();
}

void CallTreeWindow::showSelected(const QModelIndex& current)
{
    if (!model_ || !current.isValid()) {
        detail_->clear();
        emit pairCleared();
        return;
    }
    const QModelIndex index = sorted_->mapToSource(current);
    CallDetail detail{model_->callAt(index), model_->alignmentCallAt(index), model_->resultAt(index),
                      model_->countAt(index), model_->numberAt(index)};
    detail_->setHtml(describeCall(*computation_, detail));
    emit pairSelected(detail.call.i, detail.call.j);
}

void CallTreeWindow::fillHotPairs()
{
    if (hotPairsFilled_ || !model_) return;
    hotPairsFilled_ = true;
    std::vector<InvocationTree::PairUse> uses;
    ComputationControl control;
    const std::shared_ptr<KeptComputation> computation = computation_;
    loading_ = &control;
    const std::exception_ptr failure = runWithProgress(this, control, [&](ComputationControl& running) {
        const std::vector<InvocationTree::Call> roots = treeRoots(computation->alignmentCalls(&running));
        InvocationTree tree(computation->text1(), computation->text2(), &running,
                            [computation](std::int32_t i, std::int32_t j) { return computation->calls(i, j); });
        uses = tree.uses(roots);
    });
    loading_ = nullptr;
    if (computation_ != computation) return;
    if (failure) {
        hotPairsFilled_ = false;
        hotPairsNote_->setText(QStringLiteral("统计已取消，切换到别的标签页再回来可重新统计。"));
        return;
    }
    QList<QTreeWidgetItem*> items;
    for (std::size_t k = 0; k < std::min(uses.size(), kHotPairsShown); ++k) {
        const InvocationTree::PairUse& use = uses[k];
        auto* item = new QTreeWidgetItem;
        item->setText(HotRank, QString::number(k + 1));
        item->setText(HotPair, QStringLiteral("(%1, %2)").arg(use.i).arg(use.j));
        item->setData(HotPair, Qt::UserRole, use.i);
        item->setData(HotPair, Qt::UserRole + 1, use.j);
        item->setText(HotRemainder1, shownRemainder(computation_->text1(), use.i));
        item->setText(HotRemainder2, shownRemainder(computation_->text2(), use.j));
        item->setText(HotResult, QString::number(use.result));
        item->setText(HotInvoked, groupedDigits(use.invoked));
        item->setText(HotEach, groupedDigits(use.each));
        for (const int column : {HotRank, HotResult, HotInvoked, HotEach})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    hotPairs_->addTopLevelItems(items);
    hotPairs_->header()->resizeSections(QHeaderView::ResizeToContents);
    hotPairsNote_->setText(
        uses.size() > kHotPairsShown
            ? QStringLiteral("调用落在 %1 对余下文本上；下面列出被调用最多的 %2 对。")
                  .arg(groupedDigits(uses.size()))
                  .arg(groupedDigits(kHotPairsShown))
            : QStringLiteral("调用落在 %1 对余下文本上，被调用最多的在前。").arg(groupedDigits(uses.size())));
}

}  // namespace velmora
