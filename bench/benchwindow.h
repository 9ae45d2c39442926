#pragma once

#include "server/ratefeed.h"
#include "server/ratepageserver.h"

#include <QTemporaryDir>

#include <memory>

class TMainForm;
class Windows;

// Settings and data of the benchmark's own, in a temporary folder: made before the application
// object, so every path the program asks for lies there.
class BenchHome {
public:
    BenchHome();
    // The settings file the windows use.
    QString Ini() const;

    QTemporaryDir Folder;
};

// The program's windows reading rate pages that this process serves, the main window shown,
// with no timer of its own: only the readings asked for come.
class BenchWindow {
public:
    explicit BenchWindow(const BenchHome& home);
    ~BenchWindow();

    bool Listening() const { return Listens; }

    RateFeed Feed{0.9230, 7};
    RatePageServer Iex{RatePageServer::Kind::IEX, Feed};
    RatePageServer D2e{RatePageServer::Kind::D2E, Feed};
    std::unique_ptr<Windows> Set;
    TMainForm* Main;

private:
    bool Listens;
};

// Runs a real event loop for ms, so that a StallMeter goes on measuring.
void RunEventLoop(int ms);
