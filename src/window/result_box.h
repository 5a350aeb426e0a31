#pragma once
// RT3: the plain result box. It reports a released mouse button after the box has set its
// selection from the mouse, and shows its selection even without the focus.

#include <QPlainTextEdit>

namespace velmora {

class ResultBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ResultBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setLocked(bool locked);
    bool isLocked() const { return isReadOnly(); }

signals:
    void mouseReleased(int button);
    // A selection made with Shift and the arrow, Home or End keys in the locked box.
    void keySelectionMade();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // A result with line breaks shows whole lines only: the visible height is cut to a
    // whole number of lines, and the box scrolls line by line.
    void fitWholeLines();
};

}  // namespace velmora
