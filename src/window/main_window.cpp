#include "window/main_window.h"

#include "window/crisp_outline.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <utility>

#include "window/accessibility.h"
#include "window/app_icon.h"
#include "window/fonts.h"

namespace velmora {
namespace {

constexpr int kTwipsPerPixel = 15;

QRect fromTwips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

template <class Widget>
Widget* place(QWidget* parent, const char* name, QRect geometry)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry, bool ownFont = true)
{
    auto* b = place<QPushButton>(parent, name, geometry);
    b->setText(caption);
    if (ownFont) b->setFont(makeFont(kSongti, 10.5));
    // Return and keypad Enter press a focused button, as Space does.
    b->setAutoDefault(true);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry, const QFont* font)
{
    auto* l = place<QLabel>(parent, name, geometry);
    if (font) l->setFont(*font);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(false);
    setAutoSizeCaption(l, caption);
    return l;
}

QFrame* shape(QWidget* parent, const char* name, QRect geometry)
{
    auto* frame = new OutlineShape(parent, QColor(0, 0, 255));
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(geometry);
    frame->lower();
    return frame;
}

}  // namespace

void setAutoSizeCaption(QLabel* label, const QString& caption)
{
    label->setText(caption);
    label->resize(label->sizeHint().width(), std::max(label->sizeHint().height(), label->height()));
}

MainWindow::MainWindow(bool ownTitleStrip)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(velmoraIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(fixedSize_);
    setFont(makeFont(kTahoma, 8.25));
    buildControls();
    setTabOrder();
    if (ownTitleStrip) addTitleStrip();
    makeAccessible(controls_);
}

// The controls keep their places relative to each other, one strip lower.
void MainWindow::addTitleStrip()
{
    // Frameless alone: with a close-button hint Qt would put its own frame back.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    for (QObject* object : children())
        if (auto* control = qobject_cast<QWidget*>(object))
            control->move(control->pos() + QPoint(0, TitleStrip::kHeight));
    fixedSize_ = QSize(kClientWidth, kClientHeight + TitleStrip::kHeight);
    // A Wayland compositor may maximise a window it was told is of fixed size (weston's
    // Super+Shift+M does), and a maximised surface must then fill the size it is given, or
    // the connection ends with a protocol error. So the window declares only its minimum
    // there, takes a size it is given, and returns to its own at once.
    setMinimumSize(fixedSize_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(fixedSize_);
    titleStrip_ = new TitleStrip(this);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The first size after asking to be normal is the compositor's answer; only from then
    // on is a size of the window's own choosing a valid one to commit.
    const bool answered = std::exchange(awaitingNormal_, false);
    if (size() != fixedSize_ && (answered || !(windowState() & kRefusedStates)))
        QTimer::singleShot(0, this, &MainWindow::keepOwnSize);
}

void MainWindow::changeEvent(QEvent* event)
{
    // A window of fixed size is never maximised or made full screen, whoever asks.
    if (event->type() == QEvent::WindowStateChange && (windowState() & kRefusedStates))
        QTimer::singleShot(0, this, &MainWindow::keepOwnSize);
    QWidget::changeEvent(event);
}

// While the compositor holds the window maximised, its size is the compositor's: the
// window asks to be normal again, and takes its own size back once it is.
void MainWindow::keepOwnSize()
{
    if (windowState() & kRefusedStates) {
        setWindowState(windowState() & ~kRefusedStates);
        awaitingNormal_ = true;
    } else if (!awaitingNormal_ && !(windowState() & Qt::WindowMinimized) && size() != fixedSize_) {
        resize(fixedSize_);
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    Controls& c = controls_;
    const QFont boxFont = makeFont(kSongti, 15.75, true);
    const QFont countFont = makeFont(kSongti, 10.5);
    const QFont lengthFont = makeFont(kKaiti, 14.25);
    const QFont stateFont = makeFont(kKaiti, 12);

    c.editFrame = shape(this, "Shape2", fromTwips(4650, 3945, 3435, 660));
    c.countFrame = shape(this, "Shape1", fromTwips(120, 3945, 4500, 660));
    c.compute2Button = button(this, "Command6", QStringLiteral("计算2"), fromTwips(9210, 4080, 795, 375));
    c.compute2Engine = button(this, "Command5", QStringLiteral("Command5"), fromTwips(4815, 2595, 990, 360), false);
    c.editButton = button(this, "Command1", QStringLiteral("编辑文本"), fromTwips(5910, 4080, 1155, 360));
    c.lowerBox = place<RichTextBox>(this, "RT2", fromTwips(75, 1410, 11085, 1065));
    c.upperBox = place<RichTextBox>(this, "RT1", fromTwips(75, 105, 11085, 1065));
    c.clearButton = button(this, "Command4", QStringLiteral("清除"), fromTwips(7200, 4080, 765, 360));
    c.compute1Engine = button(this, "Command3", QStringLiteral("Command3"), fromTwips(8220, 2595, 1095, 360), false);
    c.exitButton = button(this, "Cmd_exit", QStringLiteral("退出"), fromTwips(10335, 4050, 795, 375));
    c.compute1Button = button(this, "Cmd_dz", QStringLiteral("计算1"), fromTwips(8205, 4080, 795, 375));
    c.resultBox = place<ResultBox>(this, "RT3", fromTwips(75, 2670, 11085, 690));
    c.hintLabel = label(this, "Label3", QStringLiteral("计算后，可在三个窗口里任意选中一个黑色字符......"),
                        fromTwips(225, 3540, 4140, 195), nullptr);
    c.callCountCaption =
        label(this, "Label7", QStringLiteral("函数调用次数："), fromTwips(2160, 4170, 1470, 210), &countFont);
    c.callCountLabel = label(this, "Label5", QString(), fromTwips(3720, 4170, 105, 210), &countFont);
    c.lengthLabel = label(this, "Label4", QString(), fromTwips(240, 4140, 150, 285), &lengthFont);
    c.stateLabel = label(this, "Label2", QStringLiteral("可以编辑"), fromTwips(4770, 4140, 960, 240), &stateFont);

    for (QWidget* box :
         {static_cast<QWidget*>(c.upperBox), static_cast<QWidget*>(c.lowerBox), static_cast<QWidget*>(c.resultBox)})
        box->setFont(boxFont);
    // Texts are studied character by character: lines wrap at any character, which also
    // keeps a long text without spaces quick to lay out.
    c.upperBox->setWordWrapMode(QTextOption::WrapAnywhere);
    c.lowerBox->setWordWrapMode(QTextOption::WrapAnywhere);
    // Tab walks the controls in their tab order instead of typing a tab character.
    c.upperBox->setTabChangesFocus(true);
    c.lowerBox->setTabChangesFocus(true);
    c.resultBox->setTabChangesFocus(true);
    QPalette resultPalette = c.resultBox->palette();
    resultPalette.setColor(QPalette::Base, QColor(224, 224, 224));
    c.resultBox->setPalette(resultPalette);
    c.resultBox->setLocked(true);                          // the result box never takes typing
    c.resultBox->setLineWrapMode(QPlainTextEdit::NoWrap);  // a long result scrolls sideways, as in a one-line box
    // Lines further down are scrolled into view whole by a selection; a scroll bar in a
    // box of one line would only hide part of it.
    c.resultBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Nor does a horizontal one, which would cover half of the one line: a long result
    // scrolls along with the caret, the selection, the keys and the wheel.
    c.resultBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    c.editButton->setEnabled(false);
    QPalette grey = c.editButton->palette();
    grey.setColor(QPalette::Button, QColor(224, 224, 224));
    c.editButton->setPalette(grey);
    c.editButton->setAutoFillBackground(true);
    c.compute1Engine->setVisible(false);
    c.compute2Engine->setVisible(false);
}

// Focus order of the tab indices: RT3, 计算1, 退出, 编辑文本, 清除, RT1, RT2, 计算2.
void MainWindow::setTabOrder()
{
    const Controls& c = controls_;
    QWidget* order[] = {c.resultBox,   c.compute1Button, c.exitButton, c.editButton,
                        c.clearButton, c.upperBox,       c.lowerBox,   c.compute2Button};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void MainWindow::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred; a window larger than its screen keeps its title bar and close box on it.
        const QRect available = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(available.center());
        frame.moveLeft(std::max(frame.left(), available.left()));
        frame.moveTop(std::max(frame.top(), available.top()));
        move(frame.topLeft());
    }
    show();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closing(event);
}

}  // namespace velmora
