#include "platform/application.h"
#include "platform/programicon.h"
#include "platform/programicondrawing.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <QTest>
#include <QTimer>

#include <stdexcept>

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void errorFromHandlerIsShownAndLoopGoesOn_data();
    void errorFromHandlerIsShownAndLoopGoesOn();
    void laterHandlersStillRun();
    void everyWindowTakesTheProgramIcon();
    void windowsKeepTheirColoursUnderADarkTheme_data();
    void windowsKeepTheirColoursUnderADarkTheme();

private:
    QStringList Shown;
};

void TestApplication::init() {
    Shown.clear();
    Application::SetErrorReporter([this](const QString& message) { Shown << message; });
}

void TestApplication::cleanupTestCase() {
    Application::SetErrorReporter(nullptr);
}

void TestApplication::errorFromHandlerIsShownAndLoopGoesOn_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("runtime error") << 0 << "Failed to set data for 'MainTop'";
    QTest::newRow("logic error") << 1 << "division by zero";
    QTest::newRow("not an exception class") << 2 << "Onbekende fout";
}

void TestApplication::errorFromHandlerIsShownAndLoopGoesOn() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    QTimer failing;
    failing.setSingleShot(true);
    connect(&failing, &QTimer::timeout, this, [kind, message] {
        if (kind == 0)
            throw std::runtime_error(message.toStdString());
        if (kind == 1)
            throw std::logic_error(message.toStdString());
        throw 42;
    });
    failing.start(0);
    QTRY_COMPARE(Shown, QStringList{message});
}

void TestApplication::laterHandlersStillRun() {
    int ticks = 0;
    QTimer repeating;
    connect(&repeating, &QTimer::timeout, this, [&ticks] {
        ++ticks;
        throw std::runtime_error("tick " + std::to_string(ticks));
    });
    repeating.start(1);
    // Each tick fails, yet the timer keeps firing: the loop survived every failure.
    QTRY_VERIFY(ticks >= 3);
    repeating.stop();
    QCOMPARE(Shown.mid(0, 3), (QStringList{"tick 1", "tick 2", "tick 3"}));
}

void TestApplication::everyWindowTakesTheProgramIcon() {
    // The drawing itself: opaque in the middle, see-through in the rounded corners.
    for (const int size : {16, 256}) {
        const QImage icon = ProgramIconImage(size);
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    }
    QDialog dialog;
    QMessageBox box;
    for (const QWidget* window : {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(&box)}) {
        const QIcon icon = window->windowIcon();
        QCOMPARE(icon.availableSizes().first(), QSize(16, 16));
        QCOMPARE(icon.availableSizes().last(), QSize(256, 256));
    }
    // The pictures the program carries are the drawing at each size (made by qzrate-render).
    for (const int size : ProgramIconSizes)
        QCOMPARE(dialog.windowIcon().pixmap(size).toImage().convertToFormat(
                     QImage::Format_ARGB32_Premultiplied),
                 ProgramIconImage(size));
}

void TestApplication::windowsKeepTheirColoursUnderADarkTheme_data() {
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("window") << int(QPalette::Window) << QColor(240, 240, 240);
    QTest::newRow("window text") << int(QPalette::WindowText) << QColor(Qt::black);
    QTest::newRow("light 3D") << int(QPalette::Midlight) << QColor(227, 227, 227);
    QTest::newRow("edit box") << int(QPalette::Base) << QColor(Qt::white);
    QTest::newRow("edit text") << int(QPalette::Text) << QColor(Qt::black);
    QTest::newRow("button") << int(QPalette::Button) << QColor(240, 240, 240);
    QTest::newRow("button text") << int(QPalette::ButtonText) << QColor(Qt::black);
}

void TestApplication::windowsKeepTheirColoursUnderADarkTheme() {
    QFETCH(int, role);
    QFETCH(QColor, colour);
    const auto colourRole = QPalette::ColorRole(role);
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* button = new QPushButton(&dialog);
    for (const QWidget* widget : {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(edit),
                                  static_cast<QWidget*>(button)})
        QCOMPARE(widget->palette().color(QPalette::Active, colourRole), colour);
}

int main(int argc, char** argv) {
    // The desktop's theme is dark: light text on dark grey, in place before the program starts.
    const QColor grey(53, 53, 53);
    QApplication::setPalette(QPalette(Qt::white, grey, grey.lighter(150), grey.darker(150),
                                      grey.darker(120), Qt::white, Qt::white, QColor(42, 42, 42),
                                      grey));
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
