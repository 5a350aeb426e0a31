#pragma once
// The invocation tree of the computation on display, as a lazily filled item model: the
// top level is the alignment's own calls in the order it made them; expanding a node lists
// the calls its scan makes, a page at a time. Every count is exact and comes from the
// engine of the computation, which remembers its pairs.

#include <QAbstractItemModel>
#include <gmpxx.h>
#include <memory>
#include <optional>
#include <vector>

#include "engine/method/alignment.h"
#include "engine/study/invocation_tree.h"
#include "engine/study/kept_computation.h"

namespace velmora {

class CallTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { Number, Role, Offset, Skipped, Verdict, Pair, Remainder1, Remainder2, Result, Calls, Share };
    static constexpr int kColumns = Share + 1;
    // Children are listed this many at a time: a node may make millions of calls.
    static constexpr std::size_t kPage = 200;
    // Holds values to sort by (numbers as numbers, not as their text).
    static constexpr int kSortRole = Qt::UserRole;
    // Holds a node's share of its parent's count, from 0 to 1, for the bar.
    static constexpr int kShareRole = Qt::UserRole + 1;

    // `calls` are the alignment's own calls, in order, and `total` the invocations they made.
    CallTreeModel(std::shared_ptr<KeptComputation> kept, std::vector<AlignmentCall> calls, const mpz_class& total,
                  QObject* parent = nullptr);
    ~CallTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The invocation a row stands for, and the alignment's words on it for a top-level row.
    struct Node;
    InvocationTree::Call callAt(const QModelIndex& index) const;
    std::optional<AlignmentCall> alignmentCallAt(const QModelIndex& index) const;
    const mpz_class& countAt(const QModelIndex& index) const;
    std::int16_t resultAt(const QModelIndex& index) const;
    // 1-based, in the order the invocations start, as `velmora-cli trace` numbers them.
    const mpz_class& numberAt(const QModelIndex& index) const;
    // Every invocation of the tree.
    const mpz_class& total() const;

    const KeptComputation& computation() const { return *kept_; }

private:
    Node* nodeOf(const QModelIndex& index) const;
    QString text(const Node& node, int column) const;
    QVariant sortValue(const Node& node, int column) const;

    std::shared_ptr<KeptComputation> kept_;
    std::vector<AlignmentCall> calls_;
    InvocationTree tree_;
    std::unique_ptr<Node> root_;
};

// 接受, 否决 or 待定: what the alignment's candidate was after one of its calls.
QString verdictName(AlignmentCall::Verdict verdict);
// "1,234,567": a count with its digits grouped in threes.
QString groupedDigits(const mpz_class& count);
// A remainder of a text from a 1-based position, shortened to its beginning and "…".
QString shownRemainder(const std::u16string& text, std::int32_t from);

}  // namespace velmora
