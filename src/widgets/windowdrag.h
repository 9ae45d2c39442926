#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>

class QWidget;

// Drags a frameless window from its bare surface and from any of its controls, and reports a
// right press (the window's menu) and a left release (a click on a spot of the window's). It
// watches the window and its children, leaving every event to its control as well. Wayland lets
// no window place itself: there the compositor moves it, except from buttons, edit boxes and
// the spot the window keeps for its own clicks.
class WindowDrag : public QObject {
    Q_OBJECT
public:
    // keptSpot: where in the window a left press stays with its control on Wayland too; asked
    // at each press.
    WindowDrag(QWidget& window, std::function<QRect()> keptSpot);

    // Watches the window and its children but menus and passOver. A press that a child leaves
    // unhandled does not reach its parent as well, passOver's neither.
    void Watch(const QWidget* passOver);

    // X and Y are in the coordinates of the control that got the event, onScreen the press on
    // the screen.
    void FormMouseDown(Qt::MouseButton button, int X, int Y, const QPoint& onScreen);
    void FormMouseMove(int X, int Y);
    void FormMouseUp();

    bool Dragging = false;
    int DragStartX = 0;
    int DragStartY = 0;

signals:
    void RightPressed(const QPoint& onScreen);
    // The kept spot as it was at the left press, the press in the window and on the screen, and
    // the release on the screen: the window may have moved in between.
    void LeftReleased(const QRect& spot, const QPoint& pressInWindow, const QPoint& pressOnScreen,
                      const QPoint& releaseOnScreen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& Window;
    std::function<QRect()> KeptSpot;
    // The last press on the screen and in the window, and the kept spot then.
    QPoint PressAt;
    QPoint PressInWindow;
    QRect PressSpot;
};
