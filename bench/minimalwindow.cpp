// The yardstick: a bare Qt Widgets window with one line of text (a window without any text
// would never load a font), which says on standard error when it first paints.
#include <QApplication>
#include <QEvent>
#include <QLabel>

#include <cstdio>

namespace {
class Window : public QLabel {
public:
    using QLabel::QLabel;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            std::fputs("first paint\n", stderr);
        }
        return QLabel::event(event);
    }

private:
    bool painted = false;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window(QStringLiteral("USD: 0,9230 @ 14:05:09"));
    window.resize(340, 125);
    window.show();
    return app.exec();
}
