// The chart on Qt Charts, built as a module that the program loads when the chart first opens.
#include "history/chartplot.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

namespace {

constexpr qint64 HourMs = 60 * 60 * 1000;
const QColor RateColour(0, 70, 170);
const QColor BandColour(120, 160, 220);
const QColor LowerColour(0, 140, 0);
const QColor UpperColour(200, 0, 0);

// Labels that suit the span: hours within two days, days within two months, else months.
QString TimeFormat(qint64 spanMs) {
    if (spanMs <= 48 * HourMs)
        return QStringLiteral("HH:mm");
    if (spanMs <= 62 * 24 * HourMs)
        return QStringLiteral("dd-MM");
    return QStringLiteral("MM-yyyy");
}

class ChartView : public QChartView, public ChartPlot {
public:
    ChartView(QWidget* parent, const ChartTexts& texts,
              std::function<QString(qint64, double)> hoverText)
        // Given at once: a chart set later would leave the view's own default chart behind.
        : QChartView(new QChart, parent), Texts(texts), HoverText(std::move(hoverText)) {
        setRenderHint(QPainter::Antialiasing);
        setMouseTracking(true);
        Chart = chart();
        Chart->setMargins(QMargins(4, 4, 4, 4));
        Chart->legend()->setAlignment(Qt::AlignBottom);
        Time = new QDateTimeAxis;
        Rate = new QValueAxis;
        Rate->setLabelFormat(QStringLiteral("%.4f"));
        // The rate's labels with the user's decimal separator, as everywhere else.
        Chart->setLocalizeNumbers(true);
        Chart->addAxis(Time, Qt::AlignBottom);
        Chart->addAxis(Rate, Qt::AlignLeft);
        Message = new QGraphicsSimpleTextItem(Chart);
        QFont big = Message->font();
        big.setPointSizeF(big.pointSizeF() * 1.5);
        Message->setFont(big);
        const QPen cross(QColor(90, 90, 90), 1, Qt::DotLine);
        Vertical = new QGraphicsLineItem(Chart);
        Horizontal = new QGraphicsLineItem(Chart);
        Vertical->setPen(cross);
        Horizontal->setPen(cross);
        HoverLabel = new QGraphicsSimpleTextItem(Chart);
        HideCrosshair();
    }

    QWidget* Widget() override { return this; }

    int PlotWidth() const override {
        const int plot = int(Chart->plotArea().width());
        return plot > 10 ? plot : std::max(100, width() - 80);
    }

    void Show(const ChartLines& lines, double buyLevel, double sellLevel) override {
        Chart->removeAllSeries();
        Lines = lines;
        bool named = false;
        for (const QList<QPointF>& stretch : lines.Lines) {
            auto* series = new QLineSeries;
            series->setPen(QPen(RateColour, 1.5));
            series->replace(stretch);
            Add(series, named ? QString() : Texts.Rate);
            named = true;
        }
        if (!lines.Dots.isEmpty()) {
            auto* dots = new QScatterSeries;
            dots->setMarkerSize(7);
            dots->setColor(RateColour);
            dots->setBorderColor(RateColour);
            dots->replace(lines.Dots);
            Add(dots, named ? QString() : Texts.Rate);
        }
        named = false;
        for (qsizetype i = 0; i < lines.BandHighs.size(); ++i) {
            // Its edges belong to the band, which the chart deletes with its series.
            auto* band = new QAreaSeries;
            auto* high = new QLineSeries(band);
            auto* low = new QLineSeries(band);
            high->replace(lines.BandHighs.at(i));
            low->replace(lines.BandLows.at(i));
            band->setUpperSeries(high);
            band->setLowerSeries(low);
            band->setPen(QPen(BandColour, 1));
            band->setBrush(BandColour.lighter(130));
            Add(band, named ? QString() : Texts.Band);
            named = true;
        }
        double low = lines.Low;
        double high = lines.High;
        const bool empty = lines.Empty();
        for (const auto& [level, name, colour] :
             {std::tuple{buyLevel, Texts.LowerLimit, LowerColour},
              std::tuple{sellLevel, Texts.UpperLimit, UpperColour}}) {
            if (level < 0.0001)
                continue;
            auto* line = new QLineSeries;
            line->setPen(QPen(colour, 1.5, Qt::DashLine));
            line->append(qreal(lines.Span.FromMs), level);
            line->append(qreal(lines.Span.ToMs), level);
            Add(line, name);
            low = empty ? level : std::min(low, level);
            high = empty ? level : std::max(high, level);
        }
        Time->setFormat(TimeFormat(lines.Span.ToMs - lines.Span.FromMs));
        Time->setRange(QDateTime::fromMSecsSinceEpoch(lines.Span.FromMs),
                       QDateTime::fromMSecsSinceEpoch(lines.Span.ToMs));
        const double margin = std::max((high - low) * 0.08, 0.0005);
        Rate->setRange(low - margin, high + margin);
        Time->setVisible(true);
        Rate->setVisible(true);
        Chart->legend()->setVisible(true);
        Message->setText(empty ? Texts.NoReadings : QString());
        PlaceMessage();
        HideCrosshair();
    }

    void Clear() override {
        Chart->removeAllSeries();
        Lines = {};
        Time->setVisible(false);
        Rate->setVisible(false);
        Chart->legend()->setVisible(false);
        Message->setText(QString());
        HideCrosshair();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QChartView::resizeEvent(event);
        PlaceMessage();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        QChartView::mouseMoveEvent(event);
        const QPointF at = Chart->mapFromScene(mapToScene(event->position().toPoint()));
        const QRectF area = Chart->plotArea();
        if (!area.contains(at) || Lines.Empty()) {
            HideCrosshair();
            return;
        }
        const QPointF value = Chart->mapToValue(at, Chart->series().value(0));
        Vertical->setLine(at.x(), area.top(), at.x(), area.bottom());
        Horizontal->setLine(area.left(), at.y(), area.right(), at.y());
        HoverLabel->setText(HoverText(qint64(value.x()), value.y()));
        // Beside the cursor, kept inside the plot.
        const QRectF box = HoverLabel->boundingRect();
        HoverLabel->setPos(std::min(at.x() + 8, area.right() - box.width()),
                           std::max(at.y() - box.height() - 4, area.top()));
        for (QGraphicsItem* item :
             {static_cast<QGraphicsItem*>(Vertical), static_cast<QGraphicsItem*>(Horizontal),
              static_cast<QGraphicsItem*>(HoverLabel)})
            item->show();
    }

    void leaveEvent(QEvent* event) override {
        QChartView::leaveEvent(event);
        HideCrosshair();
    }

private:
    void Add(QAbstractSeries* series, const QString& name) {
        series->setName(name);
        Chart->addSeries(series);
        series->attachAxis(Time);
        series->attachAxis(Rate);
        // One legend entry per kind, not one per stretch between gaps.
        if (name.isEmpty()) {
            for (QLegendMarker* marker : Chart->legend()->markers(series))
                marker->setVisible(false);
        }
    }

    void PlaceMessage() {
        const QRectF area = Chart->plotArea();
        const QRectF box = Message->boundingRect();
        Message->setPos(area.center() - QPointF(box.width() / 2, box.height() / 2));
    }

    void HideCrosshair() {
        Vertical->hide();
        Horizontal->hide();
        HoverLabel->hide();
    }

    ChartTexts Texts;
    std::function<QString(qint64, double)> HoverText;
    ChartLines Lines;
    QChart* Chart;
    QDateTimeAxis* Time;
    QValueAxis* Rate;
    QGraphicsSimpleTextItem* Message;
    QGraphicsLineItem* Vertical;
    QGraphicsLineItem* Horizontal;
    QGraphicsSimpleTextItem* HoverLabel;
};

class ChartsModule : public QObject, public ChartModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ChartModule_iid)
    Q_INTERFACES(ChartModule)

public:
    ChartPlot* CreatePlot(QWidget* parent, const ChartTexts& texts,
                          std::function<QString(qint64, double)> hoverText) override {
        return new ChartView(parent, texts, std::move(hoverText));
    }
};

} // namespace

#include "chartmodule.moc"
