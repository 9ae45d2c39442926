#include "history/historyservice.h"

#include "history/historyworker.h"
#include "history/referencebackfill.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <malloc.h>

HistoryService::HistoryService(const QString& path, std::function<QDateTime()> clock,
                               QObject* parent)
    : QObject(parent), Path(path), Clock(std::move(clock)), Worker(new HistoryWorker(path, Clock)) {
    qRegisterMetaType<ChartLines>();
    qRegisterMetaType<ExportResult>();
    QDir().mkpath(QFileInfo(path).absolutePath());
    Thread.setObjectName(QStringLiteral("history"));
    Worker->moveToThread(&Thread);
    connect(&Thread, &QThread::finished, Worker, &QObject::deleteLater);
    connect(Worker, &HistoryWorker::Kept, this, &HistoryService::Kept);
    connect(Worker, &HistoryWorker::Answered, this, &HistoryService::Answered);
    connect(Worker, &HistoryWorker::ReferenceHeld, this, &HistoryService::ReferenceHeld);
    connect(Worker, &HistoryWorker::ReferenceRead, this, &HistoryService::StartBackfill);
    BackfillThread.setObjectName(QStringLiteral("reference backfill"));
}

HistoryService::~HistoryService() {
    if (ExportCancel)
        ExportCancel->store(true);
    // A fetch still running is dropped; what it brought is fetched again at a later start.
    BackfillThread.quit();
    BackfillThread.wait();
    if (!Early.isEmpty())
        Start();
    if (Thread.isRunning()) {
        // After every reading already on its way.
        QMetaObject::invokeMethod(Worker, [worker = Worker] {
            worker->Finish();
            QThread::currentThread()->quit();
        });
        Thread.wait();
    } else {
        delete Worker;
    }
    if (ExportJob)
        ExportJob->wait();
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
    if (ExportJob)
        return ExportCancel;
    auto cancel = ExportCancel = std::make_shared<std::atomic_bool>(false);
    ExportJob.reset(QThread::create([this, path, range, cancel, now = Clock()] {
        const ExportResult result =
            ExportHistoryFile(Path, range, now, path, cancel.get(), [this](int percent) {
                QMetaObject::invokeMethod(this, [this, percent] { emit ExportProgress(percent); });
            });
        // What the export's reading took goes back to the system.
        malloc_trim(0);
        QMetaObject::invokeMethod(this, [this, result] {
            ExportJob->wait();
            ExportJob.reset();
            ExportCancel.reset();
            emit Exported(result);
        });
    }));
    ExportJob->setObjectName(QStringLiteral("history export"));
    ExportJob->start();
    return cancel;
}

void HistoryService::KeepReference(const QList<ReferenceDay>& days) {
    Start();
    QMetaObject::invokeMethod(Worker, [worker = Worker, days] { worker->KeepReference(days, {}); });
}

void HistoryService::Backfill(const QUrl& base) {
    if (base.isEmpty() || BackfillThread.isRunning())
        return;
    BackfillBase = base;
    Start();
    // Asked of the history's thread once it is open, so the plan sees what the file holds.
    QMetaObject::invokeMethod(Worker, &HistoryWorker::ReadReference);
}

void HistoryService::StartBackfill(const ReferenceState& state) {
    const QList<ReferenceFile> plan = BackfillPlan(state, Clock().date());
    if (plan.isEmpty() || BackfillThread.isRunning())
        return;
    auto* backfill = new ReferenceBackfill(BackfillBase, plan, Clock);
    backfill->moveToThread(&BackfillThread);
    connect(&BackfillThread, &QThread::finished, backfill, &QObject::deleteLater);
    connect(backfill, &ReferenceBackfill::Fetched, Worker,
            [worker = Worker](const QList<ReferenceDay>& days, const ReadingStore::Marks& marks) {
                if (!days.isEmpty() || !marks.isEmpty())
                    worker->KeepReference(days, marks);
            });
    connect(backfill, &ReferenceBackfill::Finished, this, [this] {
        BackfillThread.quit();
        // What the files' reading took goes back to the system.
        malloc_trim(0);
    });
    BackfillThread.start();
    QMetaObject::invokeMethod(backfill, &ReferenceBackfill::Run);
}
