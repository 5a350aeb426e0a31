#pragma once
// Form1: the one window, with its three text boxes, hint, status strip and buttons at
// their fixed places. Its actions live in the workflow.

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "engine/comparison_session.h"
#include "window/text_boxes.h"

namespace velmora {

class Workflow;

struct Controls {
    RichTextBox* RT1;
    RichTextBox* RT2;
    ResultBox* RT3;
    QPushButton* Cmd_dz;    // 计算1
    QPushButton* Command6;  // 计算2
    QPushButton* Command1;  // 编辑文本
    QPushButton* Command4;  // 清除
    QPushButton* Cmd_exit;  // 退出
    QPushButton* Command3;  // hidden: the compute-1 engine
    QPushButton* Command5;  // hidden: the compute-2 engine
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label7;
    QFrame* Shape1;
    QFrame* Shape2;
};

// Captions of labels that size themselves to their text, growing to the right.
void setAutoSizeCaption(QLabel* label, const QString& caption);

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 755;   // 11325 twips
    static constexpr int kClientHeight = 317;  // 4755 twips

    MainWindow();
    ~MainWindow() override;

    const Controls& controls() const { return controls_; }
    ComparisonSession& session() { return session_; }
    ComparisonState& state() { return session_.state(); }
    Workflow& workflow() { return *workflow_; }

    // The Load action: shows the window centred on its screen.
    void showCentred();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void setTabOrder();

    ComparisonSession session_;
    Controls controls_{};
    std::unique_ptr<Workflow> workflow_;
};

}  // namespace velmora
