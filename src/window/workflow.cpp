#include "window/workflow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QMessageBox>
#include <QTimer>
#include <QToolTip>
#include <functional>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "highlight/match_lookup.h"
#include "window/accessibility.h"
#include "window/call_tree_link.h"
#include "window/main_window.h"
#include "window/off_thread_run.h"
#include "window/qt_window_operations.h"

namespace velmora {
namespace {

std::u16string captured(const QString& text) { return text.toStdU16String(); }

const QString kEditingNoTree = QStringLiteral("正在编辑文本：按“计算1”或“计算2”之后，这里列出新的调用树。");

}  // namespace

// Keeps the wait cursor up for exactly as long as the computation runs.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { release(); }
    void release()
    {
        if (std::exchange(active_, false)) QApplication::restoreOverrideCursor();
    }

private:
    bool active_ = true;
};

Workflow::Workflow(MainWindow& window)
    : window_(window),
      c_(window.controls()),
      operations_(std::make_unique<QtWindowOperations>(c_)),
      treeLink_(new CallTreeLink(window))
{
    connectControls();
}

Workflow::~Workflow() = default;

void Workflow::connectControls()
{
    connect(&window_, &MainWindow::closing, this, &Workflow::answerCloseRequest);
    connect(c_.compute1Button, &QPushButton::clicked, this, [this] { compute(Direction::Compute1); });
    connect(c_.compute2Button, &QPushButton::clicked, this, [this] { compute(Direction::Compute2); });
    connect(c_.editButton, &QPushButton::clicked, this, &Workflow::edit);
    connect(c_.clearButton, &QPushButton::clicked, this, &Workflow::clear);
    connect(c_.exitButton, &QPushButton::clicked, this, &Workflow::exit);
    connect(c_.upperBox, &RichTextBox::enterPressed, this, &Workflow::enterInUpperBox);
    connect(c_.lowerBox, &RichTextBox::enterPressed, this, &Workflow::enterInLowerBox);
    connect(c_.upperBox, &RichTextBox::mouseReleased, this,
            [this](int button) { answerSelectionIn(Box::RT1, button); });
    connect(c_.lowerBox, &RichTextBox::mouseReleased, this,
            [this](int button) { answerSelectionIn(Box::RT2, button); });
    connect(c_.resultBox, &ResultBox::mouseReleased, this, [this](int button) { answerSelectionIn(Box::RT3, button); });
    // A selection made with the keys is answered as one made with the left button.
    connect(c_.upperBox, &RichTextBox::keySelectionMade, this, [this] { answerSelectionIn(Box::RT1, kLeftButton); });
    connect(c_.lowerBox, &RichTextBox::keySelectionMade, this, [this] { answerSelectionIn(Box::RT2, kLeftButton); });
    connect(c_.resultBox, &ResultBox::keySelectionMade, this, [this] { answerSelectionIn(Box::RT3, kLeftButton); });
}

void Workflow::load()
{
    window_.showCentred();
    session_.start();
    c_.upperBox->setFocus(Qt::OtherFocusReason);
}

void Workflow::edit()
{
    // An edit in the middle of a computation would empty the texts under the engine.
    if (computing_) return;
    returnToEditing();
}

void Workflow::returnToEditing()
{
    ComparisonSession& session = session_;
    session.clear();  // CallCount first, as the edit action does
    treeLink_->forget(kEditingNoTree);
    setAutoSizeCaption(c_.callCountLabel, QString());
    setAutoSizeCaption(c_.stateLabel, QStringLiteral("可以编辑"));
    c_.editButton->setEnabled(false);
    c_.compute1Button->setEnabled(true);
    c_.compute2Button->setEnabled(true);
    c_.clearButton->setEnabled(true);
    c_.upperBox->setLocked(false);
    c_.lowerBox->setLocked(false);
    c_.resultBox->setText(QString());
    recolourBlack();
    describeUnmatched(c_, false);
    session.edit();
    c_.lengthLabel->setVisible(false);
}

void Workflow::recolourBlack()
{
    for (RichTextBox* box : {c_.upperBox, c_.lowerBox}) {
        QtWindowOperations::colourRange(box, 0, static_cast<std::int32_t>(box->text().size()), false);
        QtWindowOperations::selectRange(box, 0, 0);
    }
}

void Workflow::compute(Direction direction)
{
    if (computing_ || clearing_) return;
    computing_ = true;
    BusyCursor busy;
    lockForComputation(direction);
    runEngine(direction, busy);
    QtWindowOperations::selectRange(c_.resultBox, 0, 0);
    computing_ = false;
    if (closeRequested_) {
        window_.close();
        return;
    }
    // Never 退出, which Qt would pass the focus on to from the disabled compute button: the
    // next Enter must not end the program.
    (c_.editButton->isEnabled() ? static_cast<QWidget*>(c_.editButton) : c_.upperBox)->setFocus(Qt::OtherFocusReason);
}

void Workflow::lockForComputation(Direction direction)
{
    ComparisonSession& session = session_;
    const bool upperLeads = ComparisonSession::upperLeads(direction);
    c_.compute1Button->setEnabled(false);
    c_.compute2Button->setEnabled(false);
    c_.clearButton->setEnabled(false);
    setAutoSizeCaption(c_.stateLabel, QStringLiteral("文本锁定"));
    c_.editButton->setEnabled(true);
    session.captureText1(captured((upperLeads ? c_.upperBox : c_.lowerBox)->text()));
    operations_->yield();
    session.captureText2(captured((upperLeads ? c_.lowerBox : c_.upperBox)->text()));
    operations_->yield();
    c_.upperBox->setLocked(true);
    operations_->yield();
    c_.lowerBox->setLocked(true);
    operations_->yield();
    c_.resultBox->setLocked(true);
    operations_->yield();
    session.takeLengths();
    c_.resultBox->setText(QString());
    c_.lengthLabel->setVisible(true);
}

// The engine runs off the window's thread (see off_thread_run.h); its outcome is shown here.
void Workflow::runEngine(Direction direction, BusyCursor& busy)
{
    AlignmentOptions options;
    options.tuning = tuning_;
    options.engine = engine_;
    // The engine is kept after the computation, for the invocation tree.
    options.lengths = treeLink_->prepare(session_.state(), direction, engine_, tuning_);
    const std::int32_t countBefore = session_.state().CallCount;
    ComputationControl control;
    running_ = &control;
    // A close request made during the capture's yields waits for a short computation to
    // return, and cancels one that runs long enough to show its progress.
    QTimer longRun;
    longRun.setSingleShot(true);
    connect(&longRun, &QTimer::timeout, this, [&] {
        if (closeRequested_) control.cancel();
    });
    longRun.start(kProgressDelayMs);
    OffThreadAlignment run = alignOffThread(&window_, control, session_.state(), direction, options);
    running_ = nullptr;
    if (!run.failure) {
        replayOnWindow(run.recorded, *operations_, [&] { session_.state() = std::move(run.state); });
        operations_->flush();
        describeUnmatched(c_, true);
        treeLink_->computed(mpz_class(session_.state().CallCount) - countBefore, session_.state().ResultLength);
        return;
    }
    const std::exception_ptr failure = run.failure;
    QString message, noTree = QStringLiteral("计算已取消，没有调用树。");
    try {
        std::rethrow_exception(failure);
    } catch (const CancelledError&) {
        // 取消: back to editing with nothing to say
    } catch (const std::exception& error) {
        message = failureMessage(error);
        noTree = QStringLiteral("上次计算没有完成，没有调用树：") + message.section(QLatin1Char('\n'), 0, 0);
    }
    busy.release();
    if (!message.isEmpty()) QMessageBox::warning(&window_, QStringLiteral("Velmora"), message);
    returnToEditing();
    treeLink_->forget(noTree);
}

QString Workflow::failureMessage(const std::exception& error) const
{
    const auto* overflow = dynamic_cast<const OverflowError*>(&error);
    const QString kept = QStringLiteral("\n两段文本已原样保留，可以修改后重新计算。");
    if (overflow && overflow->limit() == OverflowLimit::TextLength)
        return QStringLiteral("文本过长：每段文本最多 %1 个字符（上方文本 %2 个，下方文本 %3 个）。")
                   .arg(kLongestText)
                   .arg(c_.upperBox->text().size())
                   .arg(c_.lowerBox->text().size()) +
               kept;
    if (overflow && overflow->limit() == OverflowLimit::CallCount)
        return QStringLiteral("函数调用次数超过上限 2147483647，本次计算无法完成。") + kept;
    return QStringLiteral("计算时出错：%1。").arg(QString::fromUtf8(error.what())) + kept;
}

void Workflow::clear()
{
    if (computing_ || clearing_) return;
    clearing_ = true;
    const QTextCursor selection = c_.upperBox->textCursor();
    QtWindowOperations::colourRange(c_.upperBox, static_cast<std::int32_t>(selection.selectionStart()),
                                    static_cast<std::int32_t>(selection.selectionEnd() - selection.selectionStart()),
                                    false);
    session_.clear();
    treeLink_->forget(kEditingNoTree);
    setAutoSizeCaption(c_.callCountLabel, QString());
    c_.upperBox->setText(QString());
    operations_->yield();
    c_.lowerBox->setText(QString());
    clearing_ = false;
    if (closeRequested_) window_.close();
}

void Workflow::exit() { window_.close(); }

void Workflow::answerCloseRequest(QCloseEvent* event)
{
    if (!mayClose()) event->ignore();
}

bool Workflow::mayClose()
{
    if (!computing_ && !clearing_) return true;
    closeRequested_ = true;
    // A close request wins over a running computation: it is cancelled, then the window closes.
    if (running_) running_->cancel();
    return false;
}

void Workflow::enterInUpperBox() { c_.lowerBox->setFocus(Qt::OtherFocusReason); }

void Workflow::enterInLowerBox()
{
    if (c_.compute1Button->isEnabled()) c_.compute1Button->setFocus(Qt::OtherFocusReason);
}

void Workflow::answerSelectionIn(Box box, int button)
{
    const QTextCursor selection = textCursorOf(boxWidget(c_, box));
    const auto start = static_cast<std::int32_t>(selection.selectionStart());
    const auto length = static_cast<std::int32_t>(selection.selectionEnd() - selection.selectionStart());
    // The document's characters, less its closing paragraph mark: the box's text length.
    const auto boxLength = static_cast<std::int32_t>(selection.document()->characterCount() - 1);
    if (const auto plan = planClick(session_.state(), box, start, length, button, boxLength))
        carryOut(*plan, session_.state(), *operations_);
    else if (beyondRecordedRegion(session_.state(), box, start, length, button, boxLength))
        QToolTip::showText(QCursor::pos(), kBeyondRecordedHint, boxWidget(c_, box));
}

}  // namespace velmora
