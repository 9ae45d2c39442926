#pragma once

#include <QFile>
#include <QProcess>
#include <QTest>

// A PulseAudio daemon of the test's own in a private runtime folder, with one null sink
// ("null") whose monitor ("null.monitor") records what is played.
class PrivatePulse {
public:
    explicit PrivatePulse(const QString& runtimeFolder) : Folder(runtimeFolder) {}
    ~PrivatePulse() {
        Daemon.terminate();
        if (!Daemon.waitForFinished(5000))
            Daemon.kill();
    }

    // False when pulseaudio cannot start on this machine.
    bool Start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", Folder);
        Daemon.setProcessEnvironment(env);
        Daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Daemon.start("pulseaudio",
                     {"-n", "-L", "module-null-sink", "-L", "module-native-protocol-unix",
                      "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                      "--log-target=stderr", "--log-level=0"});
        if (!Daemon.waitForStarted(10000))
            return false;
        const QString socket = Folder + "/pulse/native";
        return QTest::qWaitFor([&] { return QFile::exists(socket); }, 10000);
    }

    // What PULSE_SERVER names for the clients.
    QString Server() const { return "unix:" + Folder + "/pulse/native"; }

private:
    QString Folder;
    QProcess Daemon;
};
