#include "window/call_tree_model.h"

#include <QLocale>

namespace velmora {

struct CallTreeModel::Node {
    Node* parent = nullptr;
    int row = 0;
    InvocationTree::Call call{};
    std::optional<std::size_t> alignmentCall;  // which of the alignment's own calls, at the top level
    std::int16_t result = 0;
    mpz_class count;   // this invocation and every one it causes
    mpz_class number;  // in start order; 0 for the tree's own root, above the alignment's calls
    std::vector<std::unique_ptr<Node>> children;
    bool complete = false;  // every child is listed
};

namespace {

// Remainders longer than this are shortened to their beginning and "…".
constexpr std::int32_t kShownRemainder = 20;

QString roleName(InvocationTree::Role role)
{
    switch (role) {
    case InvocationTree::Role::Take: return QStringLiteral("取");
    case InvocationTree::Role::Skip: return QStringLiteral("跳");
    case InvocationTree::Role::Top: break;
    }
    return QStringLiteral("整体");
}

double shareOf(const mpz_class& part, const mpz_class& whole)
{
    if (whole <= 0) return 0;
    const mpq_class share(part, whole);
    return share.get_d();
}

}  // namespace

QString verdictName(AlignmentCall::Verdict verdict)
{
    switch (verdict) {
    case AlignmentCall::Verdict::Accepted: return QStringLiteral("接受");
    case AlignmentCall::Verdict::Rejected: return QStringLiteral("否决");
    case AlignmentCall::Verdict::Standing: return QStringLiteral("待定");
    }
    return {};
}

QString groupedDigits(const mpz_class& count)
{
    const std::string digits = count.get_str();
    QString grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) grouped += QLatin1Char(',');
        grouped += QLatin1Char(digits[k]);
    }
    return grouped;
}

QString shownRemainder(const std::u16string& text, std::int32_t from)
{
    const auto start = static_cast<qsizetype>(from - 1);
    QString rest = QString::fromStdU16String(text).mid(start);
    if (rest.isEmpty()) return QStringLiteral("（空）");
    if (rest.size() > kShownRemainder) {
        qsizetype cut = kShownRemainder - 1;
        if (rest[cut - 1].isHighSurrogate()) --cut;  // never half a character
        rest = rest.left(cut) + QStringLiteral("…");
    }
    // One line per row: a line break shows as the sign the detail pane uses for it.
    return rest.replace(QLatin1Char('\n'), QStringLiteral("↵")).replace(QChar(0x2029), QStringLiteral("↵"));
}

CallTreeModel::CallTreeModel(std::shared_ptr<KeptComputation> kept, std::vector<AlignmentCall> calls,
                             const mpz_class& total, QObject* parent)
    : QAbstractItemModel(parent),
      kept_(std::move(kept)),
      calls_(std::move(calls)),
      tree_(kept_->text1(), kept_->text2(), nullptr,
            [kept = kept_.get()](std::int32_t i, std::int32_t j) { return kept->calls(i, j); }),
      root_(std::make_unique<Node>())
{
    root_->count = total;
    root_->number = 0;
    root_->complete = calls_.empty();
}

CallTreeModel::~CallTreeModel() = default;

CallTreeModel::Node* CallTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex CallTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* node = nodeOf(parent);
    if (row < 0 || column < 0 || column >= kColumns || static_cast<std::size_t>(row) >= node->children.size())
        return {};
    return createIndex(row, column, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CallTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = nodeOf(child);
    if (!child.isValid() || node->parent == root_.get()) return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int CallTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0) return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int CallTreeModel::columnCount(const QModelIndex&) const { return kColumns; }

bool CallTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0) return false;
    const Node* node = nodeOf(parent);
    return !node->children.empty() || !node->complete;
}

bool CallTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return parent.column() <= 0 && !nodeOf(parent)->complete;
}

void CallTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent)) return;
    Node* node = nodeOf(parent);
    const std::size_t first = node->children.size();
    std::vector<InvocationTree::Call> page;
    if (node == root_.get()) {
        for (std::size_t k = first; k < std::min(calls_.size(), first + kPage); ++k)
            page.push_back(treeRoot(calls_[k]));
        node->complete = first + page.size() >= calls_.size();
    } else {
        page = tree_.childrenFrom(node->call.i, node->call.j, first, kPage);
        node->complete = page.size() < kPage;
    }
    if (page.empty()) {
        // Nothing more after all: the node's expander goes once the view asks again.
        node->complete = true;
        emit dataChanged(parent, parent);
        return;
    }
    // Each child starts right after its parent and every earlier sibling's subtree.
    mpz_class number = node->children.empty() ? mpz_class(node->number + 1)
                                              : node->children.back()->number + node->children.back()->count;
    std::vector<std::unique_ptr<Node>> made;
    for (std::size_t k = 0; k < page.size(); ++k) {
        auto child = std::make_unique<Node>();
        child->parent = node;
        child->row = static_cast<int>(first + k);
        child->call = page[k];
        if (node == root_.get()) {
            child->alignmentCall = first + k;
            child->result = calls_[first + k].result;
        } else {
            child->result = tree_.result(page[k].i, page[k].j);
        }
        child->count = tree_.calls(page[k].i, page[k].j);
        child->complete = child->count == 1;
        child->number = number;
        number += child->count;
        made.push_back(std::move(child));
    }
    beginInsertRows(parent, static_cast<int>(first), static_cast<int>(first + made.size() - 1));
    for (auto& child : made) node->children.push_back(std::move(child));
    endInsertRows();
}

QString CallTreeModel::text(const Node& node, int column) const
{
    const std::optional<AlignmentCall> own =
        node.alignmentCall ? std::optional<AlignmentCall>(calls_[*node.alignmentCall]) : std::nullopt;
    switch (column) {
    case Number: return groupedDigits(node.number);
    case Role: return roleName(node.call.role);
    case Offset: return own ? QString::number(own->offset) : QString();
    case Skipped: return own && own->role == AlignmentCall::Role::Skip ? QString::number(own->skipped) : QString();
    case Verdict: return own ? verdictName(own->verdict) : QString();
    case Pair: return QStringLiteral("(%1, %2)").arg(node.call.i).arg(node.call.j);
    case Remainder1: return shownRemainder(kept_->text1(), node.call.i);
    case Remainder2: return shownRemainder(kept_->text2(), node.call.j);
    case Result: return QString::number(node.result);
    case Calls: return groupedDigits(node.count);
    case Share: return QLocale::c().toString(100 * shareOf(node.count, node.parent->count), 'f', 1) + QLatin1Char('%');
    default: return {};
    }
}

QVariant CallTreeModel::sortValue(const Node& node, int column) const
{
    switch (column) {
    case Number: return node.number.get_d();
    case Offset:
    case Skipped: return text(node, column).toInt();
    case Pair: return static_cast<double>(node.call.i) * 65536 + node.call.j;
    case Result: return node.result;
    case Calls:
    case Share: return node.count.get_d();
    default: return text(node, column);
    }
}

QVariant CallTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const Node& node = *nodeOf(index);
    switch (role) {
    case Qt::DisplayRole: return text(node, index.column());
    case kSortRole: return sortValue(node, index.column());
    case kShareRole: return shareOf(node.count, node.parent->count);
    case Qt::TextAlignmentRole: {
        static const QList<int> numeric = {Number, Offset, Skipped, Result, Calls, Share};
        return numeric.contains(index.column()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    }
    case Qt::AccessibleTextRole: {
        // The first cell names the whole row for a screen reader; the others their column.
        if (index.column() != 0)
            return headerData(index.column(), Qt::Horizontal).toString() + QStringLiteral("：") +
                   text(node, index.column());
        QString name = QStringLiteral("第 %1 次调用，%2，位置 %3，结果 %4，调用次数 %5，占上一层的 %6")
                           .arg(text(node, Number), text(node, Role), text(node, Pair), text(node, Result),
                                text(node, Calls), text(node, Share));
        if (node.alignmentCall) name += QStringLiteral("，判定：") + text(node, Verdict);
        return name;
    }
    default: return {};
    }
}

QVariant CallTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QStringList headers = {
        QStringLiteral("编号"), QStringLiteral("调用"),        QStringLiteral("偏移"),      QStringLiteral("k"),
        QStringLiteral("判定"), QStringLiteral("位置 (i, j)"), QStringLiteral("余下文本①"), QStringLiteral("余下文本②"),
        QStringLiteral("结果"), QStringLiteral("调用次数"),    QStringLiteral("占比")};
    return headers.value(section);
}

InvocationTree::Call CallTreeModel::callAt(const QModelIndex& index) const { return nodeOf(index)->call; }

std::optional<AlignmentCall> CallTreeModel::alignmentCallAt(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    if (!node->alignmentCall) return std::nullopt;
    return calls_[*node->alignmentCall];
}

const mpz_class& CallTreeModel::countAt(const QModelIndex& index) const { return nodeOf(index)->count; }
std::int16_t CallTreeModel::resultAt(const QModelIndex& index) const { return nodeOf(index)->result; }
const mpz_class& CallTreeModel::numberAt(const QModelIndex& index) const { return nodeOf(index)->number; }
const mpz_class& CallTreeModel::total() const { return root_->count; }

}  // namespace velmora
