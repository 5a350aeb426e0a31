#include "window/off_thread_run.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>

namespace velmora {
namespace {

constexpr int kFractionSteps = 1000000;  // the engine reports parts per million

QString progressText(const ComputationControl& control, qint64 elapsedMs)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QString text = QStringLiteral("正在计算……\n函数调用次数：%1\n用时：%2 秒")
                       .arg(chinese.toString(static_cast<qulonglong>(control.calls())))
                       .arg(chinese.toString(static_cast<double>(elapsedMs) / 1000.0, 'f', 1));
    if (const int fraction = control.fractionPerMillion(); fraction != ComputationControl::kFractionUnknown)
        text += QStringLiteral("\n已完成：%1%").arg(chinese.toString(fraction / 10000.0, 'f', 1));
    return text;
}

// Passes the replayed operations on to the window, and once its yield has been carried
// out hands over the computed state.
class ReplayUntilYield : public WindowOperations {
public:
    ReplayUntilYield(WindowOperations& window, std::function<void()> afterYield)
        : window_(window),
          afterYield_(std::move(afterYield))
    {
    }
    ~ReplayUntilYield() override
    {
        if (afterYield_) afterYield_();
    }
    void colourGap(Box box, std::int32_t start, std::int32_t length) override { window_.colourGap(box, start, length); }
    void select(Box box, std::int32_t start, std::int32_t length) override { window_.select(box, start, length); }
    void collapseSelection(Box box) override { window_.collapseSelection(box); }
    void setText(Box box, std::u16string_view text) override { window_.setText(box, text); }
    void setCaption(Label label, std::u16string_view caption) override { window_.setCaption(label, caption); }
    void setFocus(Box box) override { window_.setFocus(box); }
    void yield() override
    {
        window_.yield();
        if (afterYield_) std::exchange(afterYield_, nullptr)();
    }

private:
    WindowOperations& window_;
    std::function<void()> afterYield_;
};

std::unique_ptr<QProgressDialog> makeDialog(QWidget* window, ComputationControl& control)
{
    auto dialog = std::make_unique<QProgressDialog>(window);
    dialog->setWindowTitle(QStringLiteral("Velmora"));
    dialog->setCancelButtonText(QStringLiteral("取消"));
    // Not modal: a close request for the window must reach it, and cancel the work. The
    // workflow ignores the window's other actions while it computes.
    dialog->setWindowModality(Qt::NonModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, 0);  // a busy indicator until a fraction is known
    dialog->setObjectName(QStringLiteral("ProgressDialog"));
    QObject::connect(dialog.get(), &QProgressDialog::canceled, [&control] { control.cancel(); });
    return dialog;
}

}  // namespace

std::exception_ptr runWithProgress(QWidget* window, ComputationControl& control,
                                   const std::function<void(ComputationControl&)>& work)
{
    std::exception_ptr failure;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work(control);
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
        // By name: the event that carries the call is then Qt's own, made and freed inside Qt.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (done.load()) return;
        if (!dialog && clock.elapsed() >= kProgressDelayMs) {
            dialog = makeDialog(window, control);
            dialog->show();
        }
        if (!dialog) return;
        dialog->setLabelText(progressText(control, clock.elapsed()));
        if (const int fraction = control.fractionPerMillion(); fraction != ComputationControl::kFractionUnknown) {
            dialog->setRange(0, kFractionSteps);
            dialog->setValue(fraction);
        }
    });
    tick.start();
    loop.exec();  // the worker always posts its quit, even when it ended at once
    worker.join();
    tick.stop();
    return failure;
}

OffThreadAlignment alignOffThread(QWidget* window, ComputationControl& control, const ComparisonState& state,
                                  Direction direction, AlignmentOptions options)
{
    OffThreadAlignment run{state, {}, nullptr};
    run.failure = runWithProgress(window, control, [&](ComputationControl& running) {
        options.control = &running;
        Align(run.state, direction, run.recorded, options);
    });
    return run;
}

void replayOnWindow(const RecordingWindow& recorded, WindowOperations& window, std::function<void()> afterYield)
{
    ReplayUntilYield publish(window, std::move(afterYield));
    recorded.replay(publish);
}

}  // namespace velmora
