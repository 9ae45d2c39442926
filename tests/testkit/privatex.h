#pragma once

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QtGlobal>

// An X server of the test's own, and a window manager on it when asked; DISPLAY names the server
// once it runs. Both end with the object.
class PrivateX {
public:
    PrivateX() = default;
    PrivateX(const PrivateX&) = delete;
    PrivateX& operator=(const PrivateX&) = delete;
    ~PrivateX() {
        for (QProcess* process : {&Manager, &Server}) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

    bool Start() {
        // Xvfb picks a free display and writes its number on the given descriptor.
        Server.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        QByteArray number;
        while (Server.waitForReadyRead(10000) && !(number += Server.readAll()).contains('\n')) {
        }
        if (!number.contains('\n'))
            return false;
        qputenv("DISPLAY", ":" + number.trimmed());
        return true;
    }

    // Openbox, the window manager of LXQt and LXDE: it frames every window in one of its own.
    // Ready once it has announced itself on the root window.
    bool StartOpenbox() {
        Manager.start("openbox", {"--sm-disable"});
        if (!Manager.waitForStarted(10000))
            return false;
        for (int tries = 0; tries < 100; ++tries) {
            QProcess root;
            root.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            if (root.waitForFinished(5000) && root.readAll().contains("window id"))
                return true;
            QThread::msleep(100);
        }
        return false;
    }

private:
    QProcess Server;
    QProcess Manager;
};

// A test's main: the test's windows on an X server of its own, under openbox when asked.
template <class Test> int ExecOnPrivateX(int argc, char** argv, bool openbox) {
    PrivateX x;
    if (!x.Start() || (openbox && !x.StartOpenbox())) {
        qCritical("Xvfb or openbox cannot start here");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
