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

// What the null sink plays, recorded from its monitor as 44100 Hz mono samples.
class PulseRecorder {
public:
    ~PulseRecorder() {
        Recorder.terminate();
        if (!Recorder.waitForFinished(5000))
            Recorder.kill();
    }

    // Once PULSE_SERVER names the daemon; true once the first tenth of a second came in.
    bool Start() {
        Recorder.start("parec", {"-d", "null.monitor", "--format=s16le", "--rate=44100",
                                 "--channels=1", "--raw", "--latency-msec=20"});
        if (!Recorder.waitForStarted(10000))
            return false;
        QObject::connect(&Recorder, &QProcess::readyReadStandardOutput,
                         [this] { Recorded += Recorder.readAllStandardOutput(); });
        return QTest::qWaitFor([this] { return Count() > 4410; }, 10000);
    }

    void Clear() { Recorded.clear(); }
    const qint16* Samples() const { return reinterpret_cast<const qint16*>(Recorded.constData()); }
    qsizetype Count() const { return Recorded.size() / 2; }

private:
    QProcess Recorder;
    QByteArray Recorded;
};
