#include "window/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "window/box_accessible.h"
#include "window/main_window.h"

namespace velmora {
namespace {

const QString kUpperName = QStringLiteral("第一段文本");
const QString kLowerName = QStringLiteral("第二段文本");
const QString kUpperDescription = QStringLiteral("上方文本框，计算1以它为准");
const QString kLowerDescription = QStringLiteral("下方文本框，计算2以它为准");

// The window as a frame, whose children are its visible controls only: the two hidden
// engine buttons are no buttons a user can press.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(shown().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = shown();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(shown().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> shown() const
    {
        QList<QWidget*> children;
        for (QObject* object : widget()->children())
            if (auto* child = qobject_cast<QWidget*>(object); child && !child->isWindow() && !child->isHidden())
                children << child;
        return children;
    }
};

QAccessibleInterface* windowFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("velmora::MainWindow") && object->isWidgetType())
        return new WindowAccessible(static_cast<QWidget*>(object));
    if (className == QLatin1String("velmora::RichTextBox") && object->isWidgetType())
        return new BoxAccessible(static_cast<RichTextBox*>(object));
    return nullptr;
}

int unmatched(const RichTextBox* box)
{
    int count = 0;
    for (const RichTextBox::Run& run : box->gapRuns()) count += run.length;
    return count;
}

}  // namespace

void makeAccessible(const Controls& c)
{
    static const bool installed = (QAccessible::installFactory(windowFactory), true);
    (void)installed;
    c.upperBox->setAccessibleName(kUpperName);
    c.lowerBox->setAccessibleName(kLowerName);
    c.resultBox->setAccessibleName(QStringLiteral("结果"));
    c.resultBox->setAccessibleDescription(QStringLiteral("计算找到的公共子序列"));
    c.stateLabel->setAccessibleDescription(QStringLiteral("状态：可以编辑或文本锁定"));
    c.lengthLabel->setAccessibleDescription(QStringLiteral("结果的长度"));
    // Label5 keeps its caption, the count, as its name; the description says what it counts.
    c.callCountLabel->setAccessibleDescription(QStringLiteral("长度函数被调用的次数"));
    describeUnmatched(c, false);
}

void describeUnmatched(const Controls& c, bool computed)
{
    const auto describe = [computed](RichTextBox* box, const QString& base) {
        box->setAccessibleDescription(
            computed ? base + QStringLiteral("；未匹配的字符 %1 个，以浅绿色标出").arg(unmatched(box)) : base);
    };
    describe(c.upperBox, kUpperDescription);
    describe(c.lowerBox, kLowerDescription);
}

}  // namespace velmora
