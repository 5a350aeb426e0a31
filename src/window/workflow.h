#pragma once
// The window's actions: start-up, edit, compute 1 and 2, clear, exit, Enter in the input
// boxes, and the answer to a selection in any of the three boxes. They move the window
// between its editing and locked states.

#include <QCloseEvent>
#include <QObject>
#include <QString>
#include <memory>

#include "engine/method/alignment.h"
#include "engine/method/comparison_session.h"
#include "engine/method/window_operations.h"

namespace velmora {

class MainWindow;
struct Controls;
class QtWindowOperations;
class BusyCursor;
class CallTreeLink;

// Shown at the pointer for a click past the 300th gap, where nothing is linked.
inline const QString kBeyondRecordedHint = QStringLiteral("只记录了前 300 处差异，此处之后的字符不再标出对应关系。");

class Workflow : public QObject {
    Q_OBJECT
public:
    // Drives the window's controls and owns the comparison session behind them.
    explicit Workflow(MainWindow& window);
    ~Workflow() override;

    ComparisonSession& session() { return session_; }
    // Where the engine changes its evaluation (tests reach the slow paths with it).
    void setEngineTuning(const EngineTuning& tuning) { tuning_ = tuning; }
    // The engine the computations run: the fast one, or the literal reference to watch
    // every invocation made one by one.
    void setEngine(EngineKind engine) { engine_ = engine; }
    ComparisonState& state() { return session_.state(); }

    void load();
    void edit();
    void compute(Direction direction);
    void clear();
    void exit();
    void enterInUpperBox();
    void enterInLowerBox();
    void answerSelectionIn(Box box, int button);

    // False while an action that must not be cut short is running; the close then takes
    // effect as soon as it has returned, and a computation running off the window's thread
    // is cancelled first.
    bool mayClose();
    void answerCloseRequest(QCloseEvent* event);

    // The invocation tree of the computation on display, and its window.
    CallTreeLink& callTree() { return *treeLink_; }

private:
    void connectControls();
    void lockForComputation(Direction direction);
    void runEngine(Direction direction, BusyCursor& busy);
    void returnToEditing();
    void recolourBlack();
    QString failureMessage(const std::exception& error) const;

    MainWindow& window_;
    ComparisonSession session_;
    const Controls& c_;
    std::unique_ptr<QtWindowOperations> operations_;
    CallTreeLink* treeLink_;  // owned by the window
    bool computing_ = false;
    bool clearing_ = false;
    bool closeRequested_ = false;
    ComputationControl* running_ = nullptr;  // the computation off the window's thread, while it runs
    EngineTuning tuning_{};
    EngineKind engine_ = EngineKind::Fast;
};

}  // namespace velmora
