#pragma once
// Form1: the one window, with its three text boxes, hint, status strip and buttons at
// their fixed places. It knows nothing of the actions: the workflow drives its controls
// and answers its signals.

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "window/box_behaviour.h"
#include "window/result_box.h"
#include "window/rich_text_box.h"
#include "window/title_strip.h"

namespace velmora {

// The controls by their roles; each widget's objectName is its control name.
struct Controls {
    RichTextBox* upperBox;        // RT1
    RichTextBox* lowerBox;        // RT2
    ResultBox* resultBox;         // RT3
    QPushButton* compute1Button;  // Cmd_dz: 计算1
    QPushButton* compute2Button;  // Command6: 计算2
    QPushButton* editButton;      // Command1: 编辑文本
    QPushButton* clearButton;     // Command4: 清除
    QPushButton* exitButton;      // Cmd_exit: 退出
    QPushButton* compute1Engine;  // Command3, hidden
    QPushButton* compute2Engine;  // Command5, hidden
    QLabel* stateLabel;           // Label2: 可以编辑 / 文本锁定
    QLabel* hintLabel;            // Label3
    QLabel* lengthLabel;          // Label4: 长度①： / 长度②：
    QLabel* callCountLabel;       // Label5
    QLabel* callCountCaption;     // Label7: 函数调用次数：
    QFrame* countFrame;           // Shape1
    QFrame* editFrame;            // Shape2
};

// Captions of labels that size themselves to their text, growing to the right.
void setAutoSizeCaption(QLabel* label, const QString& caption);

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 755;   // 11325 twips
    static constexpr int kClientHeight = 317;  // 4755 twips

    // With its own title strip above the controls where the platform calls for one.
    explicit MainWindow(bool ownTitleStrip = drawsOwnTitleStrip());
    ~MainWindow() override;

    const Controls& controls() const { return controls_; }
    TitleStrip* titleStrip() const { return titleStrip_; }

    // Shows the window centred on its screen.
    void showCentred();

signals:
    // Every request to close the window (退出, the close box, Alt+F4, the window
    // manager), before it is carried out; a receiver may ignore() the event to keep the
    // window open.
    void closing(QCloseEvent* event);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void setTabOrder();

    void addTitleStrip();
    // Back to the normal state and the window's own size, after a compositor's request.
    void keepOwnSize();

    static constexpr Qt::WindowStates kRefusedStates = Qt::WindowMaximized | Qt::WindowFullScreen;
    QSize fixedSize_{kClientWidth, kClientHeight};
    bool awaitingNormal_ = false;  // asked the compositor for the normal state, no answer yet
    Controls controls_{};
    TitleStrip* titleStrip_ = nullptr;
};

}  // namespace velmora
