#pragma once
// The window's own title strip, for desktops where the window draws its title bar
// itself (Wayland without a compositor's decorations). Qt's drawn title bar would offer
// a maximise button, and a maximised window of fixed size is a protocol error on some
// compositors. This strip moves and closes the window, nothing else: a minimised window
// cannot be brought back on a compositor without a task bar.

#include <QToolButton>
#include <QWidget>

namespace velmora {

// Whether the window draws its own title strip on this platform.
bool drawsOwnTitleStrip();

class TitleStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 26;

    explicit TitleStrip(QWidget* window);

    QToolButton* closeButton() const { return close_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QToolButton* close_;
};

}  // namespace velmora
