#pragma once

#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"

#include <memory>

class TMainForm;
class WindowSet;

// The program's windows reading rate pages that this process serves, the main window shown,
// with no timer of its own: only the readings asked for come.
class BenchWindow {
public:
    explicit BenchWindow(TestHome& home);
    ~BenchWindow();

    bool Listening() const { return Listens; }

    RateFeed Feed{0.9230, 7};
    RatePageServer Iex{RatePageServer::Kind::IEX, Feed};
    RatePageServer D2e{RatePageServer::Kind::D2E, Feed};
    WindowSet* Set = nullptr;
    TMainForm* Main = nullptr;

private:
    bool Listens;
    // Made once the pages are served: the windows read their addresses at their creation.
    std::unique_ptr<WindowFixture> Window;
};

// Runs a real event loop for ms, so that a StallMeter goes on measuring.
void RunEventLoop(int ms);
