// Heap growth per 1000 readings: the main window reads the local rate pages as fast as they
// answer, every step of a reading included; after a warm-up the heap in use is sampled at the
// start and at the end.
#include "app/mainform.h"
#include "app/windows.h"
#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <cstdio>

namespace {
// Bytes the allocator has handed out and not got back, small blocks and mapped ones alike.
qint64 HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    QApplication app(argc, argv);
    const int warmUp = 200;
    const int measured = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    RateFeed feed(0.9230, 7);
    RatePageServer iex(RatePageServer::Kind::IEX, feed);
    RatePageServer d2e(RatePageServer::Kind::D2E, feed);
    if (!iex.Listen() || !d2e.Listen())
        return 1;
    qputenv("QZRATE_IEX_URL", iex.Url().toString().toUtf8());
    qputenv("QZRATE_D2E_URL", d2e.Url().toString().toUtf8());

    Windows windows(SettingsStore::AtPath(folder.filePath("store.ini")));
    TMainForm& main = *windows.MainForm;
    main.show();
    // Only the readings asked for here.
    main.TimerStart.stop();
    main.DownloadTimer.stop();
    main.StartPending = false;

    int done = 0;
    qint64 atStart = 0;
    QObject::connect(&main.Refresh, &RefreshCycle::idle, &app, [&] {
        ++done;
        if (done == warmUp)
            atStart = HeapInUse();
        if (done == warmUp + measured) {
            const double growth = double(HeapInUse() - atStart) / 1024.0 / measured * 1000.0;
            std::printf("growth_kb_per_1000 %.2f kB\n", growth);
            app.quit();
            return;
        }
        // From the event loop, as a timer tick would ask.
        QTimer::singleShot(0, &main, &TMainForm::RefreshRate);
    });
    main.RefreshRate();
    return app.exec();
}
