#include "bench/benchwindow.h"

#include <QEventLoop>
#include <QTimer>

BenchWindow::BenchWindow(TestHome& home) : Listens(Iex.Listen() && D2e.Listen()) {
    home.ServeRates(Iex.Url(), D2e.Url());
    Window = std::make_unique<WindowFixture>(home.Ini());
    Set = Window->Set.get();
    Main = Window->Main;
    Window->Show();
    Window->Quiet();
}

BenchWindow::~BenchWindow() = default;

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
