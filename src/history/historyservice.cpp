#include "history/historyservice.h"

#include "history/historyworker.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

HistoryService::HistoryService(const QString& path, std::function<QDateTime()> clock,
                               QObject* parent)
    : QObject(parent), Worker(new HistoryWorker(path, std::move(clock))) {
    qRegisterMetaType<ChartLines>();
    qRegisterMetaType<ExportResult>();
    QDir().mkpath(QFileInfo(path).absolutePath());
    Thread.setObjectName(QStringLiteral("history"));
    Worker->moveToThread(&Thread);
    connect(&Thread, &QThread::finished, Worker, &QObject::deleteLater);
    connect(Worker, &HistoryWorker::Kept, this, &HistoryService::Kept);
    connect(Worker, &HistoryWorker::Answered, this, &HistoryService::Answered);
    connect(Worker, &HistoryWorker::Exported, this, &HistoryService::Exported);
}

HistoryService::~HistoryService() {
    if (ExportCancel)
        ExportCancel->store(true);
    if (Thread.isRunning()) {
        Thread.quit();
        Thread.wait();
    } else {
        delete Worker;
    }
}

QString HistoryService::UserPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/qzRate/history.sqlite");
}

void HistoryService::Start() {
    if (Thread.isRunning())
        return;
    Thread.start();
    QMetaObject::invokeMethod(Worker, &HistoryWorker::Open);
    for (const StoredReading& reading : std::exchange(Early, {}))
        Keep(reading);
}

void HistoryService::Keep(const StoredReading& reading) {
    if (!Thread.isRunning()) {
        Early.append(reading);
        return;
    }
    QMetaObject::invokeMethod(Worker, [worker = Worker, reading] { worker->Keep(reading); });
}

quint64 HistoryService::Ask(ChartRange range, int pixels) {
    const quint64 ticket = ++LastTicket;
    Start();
    QMetaObject::invokeMethod(
        Worker, [worker = Worker, ticket, range, pixels] { worker->Ask(ticket, range, pixels); });
    return ticket;
}

std::shared_ptr<std::atomic_bool> HistoryService::Export(const QString& path,
                                                         std::optional<ChartRange> range) {
    Start();
    ExportCancel = std::make_shared<std::atomic_bool>(false);
    QMetaObject::invokeMethod(Worker, [worker = Worker, path, range, cancel = ExportCancel] {
        worker->Export(path, range, cancel);
    });
    return ExportCancel;
}
