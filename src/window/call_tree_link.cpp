#include "window/call_tree_link.h"

#include <QEvent>
#include <QShortcut>

#include "window/call_tree_window.h"
#include "window/main_window.h"

namespace velmora {

CallTreeLink::CallTreeLink(MainWindow& window)
    : QObject(&window),
      window_(window),
      c_(window.controls()),
      noTree_(QStringLiteral("还没有计算：按“计算1”或“计算2”之后，这里列出函数调用的树。"))
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F2), &window_);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &CallTreeLink::open);
    c_.callCountLabel->installEventFilter(this);
    c_.callCountCaption->installEventFilter(this);
    c_.callCountLabel->setToolTip(QStringLiteral("双击这里或按 F2，查看这些调用的调用树"));
}

CallTreeLink::~CallTreeLink() = default;

bool CallTreeLink::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == c_.callCountLabel || watched == c_.callCountCaption) && shown_)
        open();
    return QObject::eventFilter(watched, event);
}

std::shared_ptr<LengthEngine> CallTreeLink::prepare(const ComparisonState& before, Direction direction, EngineKind kind,
                                                    const EngineTuning& tuning)
{
    forget(QStringLiteral("正在计算……"));
    prepared_ = std::make_shared<KeptComputation>(before, direction, kind, tuning);
    return prepared_->engine();
}

void CallTreeLink::computed(const mpz_class& total, std::int16_t length)
{
    shown_ = std::exchange(prepared_, nullptr);
    total_ = total;
    length_ = length;
    if (treeWindow_) treeWindow_->followComputation(shown_, total_, length_);
}

void CallTreeLink::forget(const QString& why)
{
    prepared_.reset();
    shown_.reset();
    noTree_ = why;
    unmark();
    if (treeWindow_) treeWindow_->showNoTree(why);
}

void CallTreeLink::open()
{
    if (!treeWindow_) {
        treeWindow_ = new CallTreeWindow(&window_);
        connect(treeWindow_, &CallTreeWindow::pairSelected, this, &CallTreeLink::mark);
        connect(treeWindow_, &CallTreeWindow::pairCleared, this, &CallTreeLink::unmark);
        if (shown_)
            treeWindow_->followComputation(shown_, total_, length_);
        else
            treeWindow_->showNoTree(noTree_);
    }
    treeWindow_->present();
}

void CallTreeLink::mark(std::int32_t i, std::int32_t j)
{
    if (!shown_) return;
    const bool upperLeads = shown_->direction() == Direction::Compute1;
    (upperLeads ? c_.upperBox : c_.lowerBox)->setMarkedCell(i - 1);
    (upperLeads ? c_.lowerBox : c_.upperBox)->setMarkedCell(j - 1);
}

void CallTreeLink::unmark()
{
    c_.upperBox->setMarkedCell(-1);
    c_.lowerBox->setMarkedCell(-1);
}

}  // namespace velmora
