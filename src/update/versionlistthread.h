#pragma once

#include <QThread>
#include <QUrl>

// The worker of the version check: downloads the version list on its own thread and hands
// the result to the thread that started it through a queued signal.
class TThread1 : public QThread {
    Q_OBJECT
public:
    explicit TThread1(const QUrl& listUrl, QObject* parent = nullptr);
    // Stops a running download and waits for the thread.
    ~TThread1() override;

    // Ends the download at once; no result follows.
    void Cancel();

    static constexpr int ReceiveTimeoutMs = 20000;
    static constexpr int Attempts = 2;

signals:
    // The list's text, or "1" (no text in two attempts) or "2" (no usable list).
    void resultReady(const QString& text);

protected:
    void run() override;

private:
    QString DownloadVersionList();

    QUrl listUrl;
};
