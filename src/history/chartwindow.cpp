#include "history/chartwindow.h"

#include "history/chartplot.h"
#include "history/historylog.h"
#include "history/historyservice.h"
#include "support/modules.h"
#include "support/regional.h"
#include "support/systeminfo.h"
#include "support/texthelpers.h"

#include <QAbstractScrollArea>
#include <QButtonGroup>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QString Group = QStringLiteral("Koersverloop");

} // namespace

ChartWindow::ChartWindow(HistoryService& history, const QString& iniPath, QWidget* parent)
    : QWidget(parent, Qt::Window), History(history), IniPath(iniPath),
      Regional(SystemRegionalSettings()),
      // The time axis speaks the window's language.
      Language(LanguageCode() == u"NLD" ? QLocale(QLocale::Dutch, QLocale::Netherlands)
                                        : QLocale(QLocale::English)) {
    setWindowTitle(Text("qzRate - Koersverloop", "qzRate - Rate history"));
    Texts = {Text("Koers", "Rate"),
             Text("Hoogste en laagste per kwartier", "Highest and lowest per quarter hour"),
             Text("ECB-referentiekoers", "ECB reference rate"),
             Text("Ondergrens", "Lower limit"),
             Text("Bovengrens", "Upper limit"),
             Text("Nog geen koersen", "No readings yet")};
    resize(800, 480);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    Ranges = new QButtonGroup(this);
    const std::pair<const char*, const char*> names[] = {
        {"Dag", "Day"}, {"Week", "Week"}, {"Maand", "Month"}, {"Jaar", "Year"}, {"Alles", "All"}};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QPushButton(Text(names[i].first, names[i].second), this);
        button->setCheckable(true);
        Ranges->addButton(button, i);
        bar->addWidget(button);
    }
    bar->addStretch();
    // How far a long export is; shown only while one runs.
    ExportShare = new QProgressBar(this);
    ExportShare->setRange(0, 100);
    ExportShare->setMaximumWidth(120);
    ExportShare->hide();
    bar->addWidget(ExportShare);
    ExportButton = new QPushButton(Text("Exporteer...", "Export..."), this);
    bar->addWidget(ExportButton);
    layout->addLayout(bar);
    Notice = new QLabel(this);
    Notice->setAlignment(Qt::AlignCenter);
    // However long, it never widens the window.
    Notice->setWordWrap(true);
    Notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Notice->hide();
    layout->addWidget(Notice);
    Body = new QVBoxLayout;
    layout->addLayout(Body, 1);

    QSettings settings(IniPath, QSettings::IniFormat);
    settings.beginGroup(Group);
    CurrentRange = ChartRange(std::clamp(settings.value(QStringLiteral("Bereik")).toInt(), 0, 4));
    restoreGeometry(settings.value(QStringLiteral("Geometrie")).toByteArray());
    Ranges->button(int(CurrentRange))->setChecked(true);

    AskExportPath = [this] {
        return QFileDialog::getSaveFileName(
            this, Text("Exporteer koersverloop", "Export rate history"),
            QStringLiteral("koersverloop.csv"), QStringLiteral("CSV (*.csv)"));
    };
    ShowExportError = [this](const QString& error) {
        QMessageBox::warning(this, windowTitle(), error);
    };

    ResizeSettled.setSingleShot(true);
    ResizeSettled.setInterval(150);
    connect(&ResizeSettled, &QTimer::timeout, this, &ChartWindow::Ask);
    connect(Ranges, &QButtonGroup::idClicked, this, [this](int id) { SetRange(ChartRange(id)); });
    connect(ExportButton, &QPushButton::clicked, this, &ChartWindow::ExportClick);
    connect(&History, &HistoryService::Answered, this, &ChartWindow::Answer);
    connect(&History, &HistoryService::Exported, this, &ChartWindow::Exported);
    connect(&History, &HistoryService::ExportProgress, ExportShare, &QProgressBar::setValue);
    // New readings as they come, while the window is open.
    connect(&History, &HistoryService::Kept, this, [this] {
        if (isVisible())
            Ask();
    });
}

ChartWindow::~ChartWindow() {
    if (ExportCancel)
        ExportCancel->store(true);
    if (ModuleLoader)
        ModuleLoader->wait();
}

QString ChartWindow::Text(const char* dutch, const char* english) const {
    return QString::fromUtf8(LanguageCode() == u"NLD" ? dutch : english);
}

void ChartWindow::Open() {
    const bool wasOpen = isVisible();
    show();
    raise();
    activateWindow();
    if (wasOpen)
        return;
    // The question and the module's loading go on side by side.
    Ask();
    LoadModule();
}

void ChartWindow::LoadModule() {
    if (Plot || ModuleLoader || !ModuleError.isEmpty())
        return;
    // Mapping Qt Charts takes longer than a frame: it happens on a thread of its own.
    ModuleLoader = QThread::create([this] {
        Module = LoadModuleAs<ChartModule>(QStringLiteral(QZRATE_CHART_MODULE), &ModuleError);
    });
    connect(ModuleLoader, &QThread::finished, this, &ChartWindow::ModuleLoaded);
    ModuleLoader->start();
}

void ChartWindow::ModuleLoaded() {
    ModuleLoader->deleteLater();
    ModuleLoader = nullptr;
    if (!Module) {
        qCWarning(lcHistory).noquote() << "chart module not loaded:" << ModuleError;
        Notice->setText(
            Text("De grafiek kan niet worden geladen: ", "The chart cannot be loaded: ") +
            ModuleError);
        Notice->show();
        return;
    }
    Plot = Module->CreatePlot(this, Texts, [this](qint64 ms) {
        return Lines && !Unreadable ? HoverAt(*Lines, ms, Regional) : std::nullopt;
    });
    Body->addWidget(Plot->Widget());
    // The plot paints on its viewport.
    if (auto* view = qobject_cast<QAbstractScrollArea*>(Plot->Widget()))
        view->viewport()->installEventFilter(this);
    ShowLines();
}

void ChartWindow::SetRange(ChartRange range) {
    CurrentRange = range;
    Ranges->button(int(range))->setChecked(true);
    SaveState();
    Ask();
}

void ChartWindow::Ask() {
    // One question at a time: what comes meanwhile is asked once the answer is in.
    if (Asked) {
        AskAgain = true;
        return;
    }
    AskAgain = false;
    Asked = History.Ask(CurrentRange, Plot ? Plot->PlotWidth() : std::max(100, width() - 100));
}

void ChartWindow::Answer(quint64 ticket, const ChartLines& lines, const QString& error) {
    if (ticket != Asked)
        return;
    Asked = 0;
    // The window says what failed in its own words; the log, once, in the database's.
    if (!error.isEmpty() && error != LastError)
        qCWarning(lcHistory).noquote() << "chart: the history cannot be read:" << error;
    LastError = error;
    Unreadable = !error.isEmpty() && lines.Empty();
    if (!error.isEmpty()) {
        Notice->setText(Unreadable ? Text("Het koersverloop kan niet worden gelezen",
                                          "The rate history cannot be read")
                                   : Text("Een deel van het koersverloop kan niet worden gelezen",
                                          "Part of the rate history cannot be read"));
        Notice->show();
    } else if (ModuleError.isEmpty()) {
        Notice->hide();
    }
    Lines = lines;
    ShowLines();
    if (AskAgain)
        Ask();
}

void ChartWindow::ShowLines() {
    if (!Plot || !Lines)
        return;
    PaintPending = true;
    if (Unreadable) {
        Plot->Clear();
        return;
    }
    const auto [buy, sell] = Levels();
    ChartFrame frame = FrameChart(*Lines, buy, sell, Plot->PlotWidth(), Language);
    // A level beyond the rate axis is named on its marker.
    for (auto& [mark, name] :
         {std::pair{&frame.Lower, Texts.LowerLimit}, std::pair{&frame.Upper, Texts.UpperLimit}})
        if (*mark)
            (*mark)->Label =
                name + u' ' + FormatFixed(1, 4, (*mark)->Level, Regional.decimalSeparator);
    Plot->Show(*Lines, frame);
}

bool ChartWindow::eventFilter(QObject* watched, QEvent* event) {
    if (PaintPending && Lines && event->type() == QEvent::Paint) {
        PaintPending = false;
        // Once this paint has been done.
        QMetaObject::invokeMethod(this, &ChartWindow::Painted, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void ChartWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        ResizeSettled.start();
}

void ChartWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    SaveState();
}

void ChartWindow::SaveState() const {
    QSettings settings(IniPath, QSettings::IniFormat);
    settings.beginGroup(Group);
    settings.setValue(QStringLiteral("Bereik"), int(CurrentRange));
    settings.setValue(QStringLiteral("Geometrie"), saveGeometry());
}

void ChartWindow::ExportClick() {
    if (ExportCancel) {
        ExportCancel->store(true);
        return;
    }
    const QString path = AskExportPath();
    if (path.isEmpty())
        return;
    ExportCancel = History.Export(path, CurrentRange);
    ExportButton->setText(Text("Annuleer", "Cancel"));
    ExportShare->setValue(0);
    ExportShare->show();
}

void ChartWindow::Exported(const ExportResult& result) {
    if (!ExportCancel)
        return;
    ExportCancel.reset();
    ExportShare->hide();
    ExportButton->setText(Text("Exporteer...", "Export..."));
    if (!result.Ok && !result.Cancelled)
        ShowExportError(Text("Exporteren mislukt: ", "Export failed: ") + result.Error);
}
