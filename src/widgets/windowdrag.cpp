#include "widgets/windowdrag.h"

#include "platform/screens.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDrag::WindowDrag(QWidget& window, std::function<QRect()> keptSpot)
    : Window(window), KeptSpot(std::move(keptSpot)) {}

void WindowDrag::Watch(const QWidget* passOver) {
    Window.installEventFilter(this);
    for (QWidget* child : Window.findChildren<QWidget*>()) {
        if (qobject_cast<QMenu*>(child))
            continue;
        child->setAttribute(Qt::WA_NoMousePropagation);
        if (child != passOver)
            child->installEventFilter(this);
    }
}

void WindowDrag::FormMouseDown(Qt::MouseButton button, int X, int Y, const QPoint& onScreen) {
    if (button == Qt::RightButton) {
        emit RightPressed(onScreen);
    } else if (button == Qt::LeftButton) {
        DragStartX = X;
        DragStartY = Y;
        Dragging = true;
    }
}

void WindowDrag::FormMouseMove(int X, int Y) {
    if (Dragging)
        Window.move(Window.x() + X - DragStartX, Window.y() + Y - DragStartY);
}

void WindowDrag::FormMouseUp() {
    Dragging = false;
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    // Screen points only from the event itself: Qt's idea of where the window lies can be off.
    const QPoint onScreen = mouse->globalPosition().toPoint();
    const QPoint inWindow = static_cast<QWidget*>(watched)->mapTo(&Window, at);
    switch (type) {
    case QEvent::MouseButtonPress:
        PressAt = onScreen;
        PressInWindow = inWindow;
        PressSpot = mouse->button() == Qt::LeftButton ? KeptSpot() : QRect();
        // Buttons, edit boxes and the kept spot keep their press, or they could not be clicked.
        if (mouse->button() == Qt::LeftButton && OnWayland() && Window.windowHandle() &&
            !qobject_cast<QAbstractButton*>(watched) && !qobject_cast<QLineEdit*>(watched) &&
            !PressSpot.contains(inWindow)) {
            Window.windowHandle()->startSystemMove();
            return true;
        }
        FormMouseDown(mouse->button(), at.x(), at.y(), onScreen);
        break;
    case QEvent::MouseMove:
        FormMouseMove(at.x(), at.y());
        break;
    default:
        FormMouseUp();
        if (mouse->button() == Qt::LeftButton)
            emit LeftReleased(PressSpot, PressInWindow, PressAt, onScreen);
        break;
    }
    return false;
}
