#pragma once
// Between the main window and 调用树: keeps the computation on display for study, opens the
// tree window (F2, or a double-click on the call count or its caption), tells it of each
// new computation and of editing, and marks in RT1 and RT2 where the selected invocation's
// remainders begin.

#include <QObject>
#include <memory>

#include "engine/study/kept_computation.h"

namespace velmora {

struct Controls;
class CallTreeWindow;
class MainWindow;

class CallTreeLink : public QObject {
    Q_OBJECT
public:
    explicit CallTreeLink(MainWindow& window);
    ~CallTreeLink() override;

    // Before a computation: the engine it is to run on, kept for the tree afterwards.
    std::shared_ptr<LengthEngine> prepare(const ComparisonState& before, Direction direction, EngineKind kind,
                                          const EngineTuning& tuning);
    // The computation prepared last has shown its result.
    void computed(const mpz_class& total, std::int16_t length);
    // It ended without a result, or the texts are being edited: no tree, and why.
    void forget(const QString& why);

    // Opens 调用树 (made on first use).
    void open();
    CallTreeWindow* treeWindow() const { return treeWindow_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mark(std::int32_t i, std::int32_t j);
    void unmark();

    MainWindow& window_;
    const Controls& c_;
    CallTreeWindow* treeWindow_ = nullptr;
    std::shared_ptr<KeptComputation> prepared_, shown_;
    mpz_class total_;
    std::int16_t length_ = 0;
    QString noTree_;
};

}  // namespace velmora
