#include "widgets/windowdrag.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

class TestWindowDrag : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void draggingFromAnyControl_data();
    void draggingFromAnyControl();
    void middleButtonDoesNotDrag();

private:
    // A frameless window with a control of each kind the main window has, named as there.
    std::unique_ptr<QWidget> Window;
    std::unique_ptr<WindowDrag> Drag;
};

void TestWindowDrag::init() {
    Window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    Window->setGeometry(400, 100, 340, 300);
    auto* panel = new QFrame(Window.get());
    panel->setObjectName("PanelAdvies");
    panel->setGeometry(0, 20, 340, 120);
    const auto place = [](QWidget* control, const char* name, const QRect& rect) {
        control->setObjectName(name);
        control->setGeometry(rect);
    };
    place(new QLabel("1,0852", panel), "Label2", {10, 10, 80, 20});
    place(new QLabel("Aantal", panel), "Label4", {100, 10, 80, 20});
    place(new QLineEdit("1852", panel), "Edit1", {190, 10, 90, 20});
    place(new QLabel(Window.get()), "ImageDelta", {6, 150, 300, 24});
    place(new QToolButton(Window.get()), "ButtonMax", {30, 180, 22, 24});
    Drag = std::make_unique<WindowDrag>(*Window, [] { return QRect(30, 180, 22, 24); });
    Drag->Watch(nullptr);
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
}

void TestWindowDrag::cleanup() {
    Drag.reset();
    Window.reset();
}

void TestWindowDrag::draggingFromAnyControl_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("bare window surface") << "";
    QTest::newRow("rate label") << "Label2";
    QTest::newRow("parameter label") << "Label4";
    QTest::newRow("edit box") << "Edit1";
    QTest::newRow("panel") << "PanelAdvies";
    QTest::newRow("change marks") << "ImageDelta";
    QTest::newRow("alarm button") << "ButtonMax";
}

void TestWindowDrag::draggingFromAnyControl() {
    QFETCH(QString, control);
    QWidget* target = control.isEmpty() ? Window.get() : Window->findChild<QWidget*>(control);
    // The bare surface: the top row, above the panel.
    const QPoint press = control.isEmpty() ? QPoint(170, 0) : QPoint(5, 5);
    if (!control.isEmpty())
        QCOMPARE(Window->childAt(target->mapTo(Window.get(), press)), target);
    else
        QCOMPARE(Window->childAt(press), nullptr);

    const QPoint start = Window->pos();
    QTest::mousePress(target, Qt::LeftButton, {}, press);
    QVERIFY(Drag->Dragging);
    QTest::mouseMove(target, press + QPoint(20, 10));
    QCOMPARE(Window->pos(), start + QPoint(20, 10));
    QTest::mouseRelease(target, Qt::LeftButton, {}, press);
    QVERIFY(!Drag->Dragging);
}

void TestWindowDrag::middleButtonDoesNotDrag() {
    QWidget* label = Window->findChild<QWidget*>("Label2");
    QSignalSpy menu(Drag.get(), &WindowDrag::RightPressed);
    const QPoint start = Window->pos();
    QTest::mousePress(label, Qt::MiddleButton, {}, QPoint(5, 5));
    QVERIFY(!Drag->Dragging);
    QTest::mouseMove(label, QPoint(40, 20));
    QCOMPARE(Window->pos(), start);
    QTest::mouseRelease(label, Qt::MiddleButton, {}, QPoint(40, 20));
    QCOMPARE(menu.count(), 0);
}

QTEST_MAIN(TestWindowDrag)
#include "tst_windowdrag.moc"
