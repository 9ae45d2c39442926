// The yardsticks: a bare Qt Widgets window with one line of text (a window without any text
// would never load a font), which says on standard error when it first paints. With --curl it
// is the floor of a Qt program that fetches through libcurl: once painted, it loads libcurl
// off its thread and initialises it, as the program does.
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QThreadPool>

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdio>

namespace {
void LoadCurl() {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    auto* init =
        library ? reinterpret_cast<decltype(&curl_global_init)>(dlsym(library, "curl_global_init"))
                : nullptr;
    if (!init || init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        std::fputs("libcurl not loaded\n", stderr);
}

class Window : public QLabel {
public:
    Window(const QString& text, bool curl) : QLabel(text), Curl(curl) {}

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            // Its font loaded first, as any window that lays out its text has done by the time
            // it paints (qzRate has, measuring its labels): otherwise the stamp would come before
            // the loading of the font database, which this paint is about to do.
            QFontMetrics(font()).height();
            std::fputs("first paint\n", stderr);
            if (Curl)
                QThreadPool::globalInstance()->start(LoadCurl);
        }
        return QLabel::event(event);
    }

private:
    bool Curl;
    bool painted = false;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window(QStringLiteral("USD: 0,9230 @ 14:05:09"), app.arguments().contains("--curl"));
    window.resize(340, 125);
    window.show();
    return app.exec();
}
