#include "app/mainform.h"

#include "platform/screens.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QWindow>

// Dragging the window from any control, and the right-click menu.

void TMainForm::RouteMouseEvents() {
    AlarmSpot = new QWidget(ButtonMax->parentWidget());
    AlarmSpot->setCursor(Qt::PointingHandCursor);
    AlarmSpot->hide();
    // A widget on the desktop is seldom the active window; its tooltips show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QMenu*>(child))
            continue;
        // A press that a control leaves unhandled must not reach its panel as well.
        child->setAttribute(Qt::WA_NoMousePropagation);
        if (child != LabelWait)
            child->installEventFilter(this);
    }
}

void TMainForm::FormMouseDown(Qt::MouseButton button, int X, int Y, const QPoint& onScreen) {
    if (button == Qt::RightButton) {
        PopupMenu->popup(onScreen - QPoint(200, 200));
    } else if (button == Qt::LeftButton) {
        DragStartX = X;
        DragStartY = Y;
        Dragging = true;
    }
}

void TMainForm::FormMouseMove(int X, int Y) {
    if (Dragging)
        move(x() + X - DragStartX, y() + Y - DragStartY);
}

void TMainForm::FormMouseUp() {
    Dragging = false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    // Screen points only from the event itself: Qt's idea of where the window lies can be off.
    const QPoint onScreen = mouse->globalPosition().toPoint();
    const QPoint inWindow = static_cast<QWidget*>(watched)->mapTo(this, at);
    switch (type) {
    case QEvent::MouseButtonPress:
        // The arrows' spot counts in either phase of the blink, so a press on the panel
        // while the arrow is hidden is a press on the arrow too.
        PressAt = onScreen;
        PressInWindow = inWindow;
        PressSpot = mouse->button() == Qt::LeftButton ? ArrowSpot() : QRect();
        // Wayland lets no window place itself; the compositor moves it instead. Buttons, edit
        // boxes and the arrows' spot keep their press there, or they could not be clicked.
        if (mouse->button() == Qt::LeftButton && OnWayland() && windowHandle() &&
            !qobject_cast<QAbstractButton*>(watched) && !qobject_cast<QLineEdit*>(watched) &&
            !PressSpot.contains(inWindow)) {
            windowHandle()->startSystemMove();
            return true;
        }
        FormMouseDown(mouse->button(), at.x(), at.y(), onScreen);
        break;
    case QEvent::MouseMove:
        FormMouseMove(at.x(), at.y());
        break;
    default:
        FormMouseUp();
        if (mouse->button() == Qt::LeftButton &&
            IsArrowClick(PressSpot, PressInWindow, PressAt, onScreen))
            SilenceAlarm();
        break;
    }
    return false;
}

QRect TMainForm::ArrowSpot() const {
    return QRect(ButtonMax->mapTo(this, QPoint(0, 0)), ButtonMax->size());
}
