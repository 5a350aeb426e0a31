#include "window/title_strip.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace velmora {
namespace {

constexpr int kButtonWidth = 28;
constexpr int kIconSize = 16;
constexpr int kMargin = 5;

QToolButton* stripButton(QWidget* strip, const char* name, const QString& glyph, const QString& caption)
{
    auto* b = new QToolButton(strip);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(glyph);
    b->setToolTip(caption);
    b->setAccessibleName(caption);
    b->setAutoRaise(true);
    // Off the tab order: the window's own controls keep theirs, and Enter can never
    // reach the close button by walking.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

bool drawsOwnTitleStrip() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

TitleStrip::TitleStrip(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("TitleStrip"));
    setGeometry(0, 0, window->width(), kHeight);
    setAccessibleName(QStringLiteral("标题栏"));
    close_ = stripButton(this, "CloseButton", QStringLiteral("×"), QStringLiteral("关闭"));
    close_->setGeometry(width() - kButtonWidth - 2, 1, kButtonWidth, kHeight - 2);
    connect(close_, &QToolButton::clicked, window, &QWidget::close);
}

void TitleStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool active = window()->isActiveWindow();
    painter.fillRect(rect(), active ? QColor(212, 212, 212) : QColor(232, 232, 232));
    painter.setPen(QColor(160, 160, 160));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    const QIcon icon = window()->windowIcon();
    if (!icon.isNull()) icon.paint(&painter, QRect(kMargin, (height() - kIconSize) / 2, kIconSize, kIconSize));
    painter.setPen(palette().color(active ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect titleArea(close_->width(), 0, close_->x() - close_->width(), height());
    painter.drawText(titleArea, Qt::AlignCenter, window()->windowTitle());
}

void TitleStrip::mousePressEvent(QMouseEvent* event)
{
    // The compositor moves the window; a double click maximises nothing.
    if (event->button() == Qt::LeftButton && window()->windowHandle()) window()->windowHandle()->startSystemMove();
    event->accept();
}

bool TitleStrip::event(QEvent* event)
{
    // The window passes its activation on to its children; the title's colour follows it.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) update();
    return QWidget::event(event);
}

}  // namespace velmora
