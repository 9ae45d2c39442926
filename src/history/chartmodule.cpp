// The chart on Qt Charts, built as a module that the program loads when the chart first opens.
#include "history/chartplot.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

namespace {

const QColor RateColour(0, 70, 170);
const QColor BandColour(120, 160, 220);
const QColor ReferenceColour(225, 120, 0);
const QColor LowerColour(0, 140, 0);
const QColor UpperColour(200, 0, 0);
const QColor GridColour(215, 215, 215);
const QColor CrossColour(90, 90, 90);

// A text on a pale box, so that it reads over the lines.
QGraphicsRectItem* TextBox(QGraphicsItem* parent, const QBrush& colour) {
    auto* box = new QGraphicsRectItem(parent);
    box->setPen(QPen(QColor(170, 170, 170), 1));
    box->setBrush(QColor(255, 255, 255, 230));
    auto* text = new QGraphicsSimpleTextItem(box);
    text->setBrush(colour);
    text->setPos(4, 1);
    return box;
}

void SetBoxText(QGraphicsRectItem* box, const QString& text) {
    auto* label = static_cast<QGraphicsSimpleTextItem*>(box->childItems().first());
    label->setText(text);
    const QRectF size = label->boundingRect();
    box->setRect(0, 0, size.width() + 8, size.height() + 2);
}

class ChartView : public QChartView, public ChartPlot {
public:
    ChartView(QWidget* parent, const ChartTexts& texts, HoverFinder hover)
        // Given at once: a chart set later would leave the view's own default chart behind.
        : QChartView(new QChart, parent), Texts(texts), Hover(std::move(hover)) {
        setRenderHint(QPainter::Antialiasing);
        setMouseTracking(true);
        Chart = chart();
        Chart->setMargins(QMargins(4, 4, 12, 4));
        Chart->legend()->setAlignment(Qt::AlignBottom);
        // The time axis's marks and labels are drawn here, on the places they belong to; the
        // axis keeps labels of its own, unseen, for their room.
        Time = new QDateTimeAxis;
        Time->setFormat(QStringLiteral("HH"));
        Time->setTickCount(2);
        Time->setGridLineVisible(false);
        Time->setLabelsBrush(Qt::transparent);
        Rate = new QValueAxis;
        Rate->setLabelFormat(QStringLiteral("%.4f"));
        Rate->setTickType(QValueAxis::TicksDynamic);
        Rate->setTickAnchor(0);
        // The rate's labels with the user's decimal separator, as everywhere else.
        Chart->setLocalizeNumbers(true);
        Chart->addAxis(Time, Qt::AlignBottom);
        Chart->addAxis(Rate, Qt::AlignLeft);
        Message = new QGraphicsSimpleTextItem(Chart);
        QFont big = Message->font();
        big.setPointSizeF(big.pointSizeF() * 1.5);
        Message->setFont(big);
        const QPen cross(CrossColour, 1, Qt::DotLine);
        Vertical = new QGraphicsLineItem(Chart);
        Horizontal = new QGraphicsLineItem(Chart);
        Vertical->setPen(cross);
        Horizontal->setPen(cross);
        // The reading snapped to: a dot, or a bar from its lowest to its highest.
        Spot = new QGraphicsLineItem(Chart);
        Spot->setPen(QPen(QColor(90, 90, 90, 170), 6, Qt::SolidLine, Qt::RoundCap));
        HoverLabel = TextBox(Chart, Qt::black);
        for (QGraphicsItem* item : CrossItems())
            item->setZValue(10);
        connect(Chart, &QChart::plotAreaChanged, this, [this] { Place(); });
        HideCrosshair();
    }

    QWidget* Widget() override { return this; }

    int PlotWidth() const override {
        const int plot = int(Chart->plotArea().width());
        return plot > 10 ? plot : std::max(100, width() - 80);
    }

    void Show(const ChartLines& lines, const ChartFrame& frame) override {
        Chart->removeAllSeries();
        Lines = lines;
        Frame = frame;
        bool named = AddLines(lines.Lines, RateColour, Texts.Rate);
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
        AddLines(lines.Steps, ReferenceColour, Texts.Reference);
        for (const auto& [mark, name, colour] :
             {std::tuple{frame.Lower, Texts.LowerLimit, LowerColour},
              std::tuple{frame.Upper, Texts.UpperLimit, UpperColour}}) {
            if (!mark || mark->Where != LimitMark::Inside)
                continue;
            auto* line = new QLineSeries;
            line->setPen(QPen(colour, 1.5, Qt::DashLine));
            line->append(qreal(lines.Span.FromMs), mark->Level);
            line->append(qreal(lines.Span.ToMs), mark->Level);
            Add(line, name);
        }
        Time->setRange(QDateTime::fromMSecsSinceEpoch(lines.Span.FromMs),
                       QDateTime::fromMSecsSinceEpoch(lines.Span.ToMs));
        Time->setVisible(true);
        // Nothing to fit the rate to: no rate axis.
        Rate->setVisible(frame.RateStep > 0);
        if (frame.RateStep > 0) {
            Rate->setRange(frame.RateLow, frame.RateHigh);
            Rate->setTickInterval(frame.RateStep);
        }
        Chart->legend()->setVisible(true);
        Message->setText(lines.Empty() ? Texts.NoReadings : QString());
        MakeMarks();
        Place();
        HideCrosshair();
    }

    void Clear() override {
        Chart->removeAllSeries();
        Lines = {};
        Frame = {};
        Time->setVisible(false);
        Rate->setVisible(false);
        Chart->legend()->setVisible(false);
        Message->setText(QString());
        MakeMarks();
        HideCrosshair();
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        QChartView::mouseMoveEvent(event);
        const QPointF at = Chart->mapFromScene(mapToScene(event->position().toPoint()));
        const QRectF area = Chart->plotArea();
        const std::optional<ChartHover> hover =
            area.contains(at) ? Hover(qint64(TimeAt(at.x()))) : std::nullopt;
        if (!hover) {
            HideCrosshair();
            return;
        }
        const qreal x = XOf(hover->Ms);
        const qreal low = YOf(hover->Low);
        const qreal high = YOf(hover->High);
        Vertical->setLine(x, area.top(), x, area.bottom());
        Horizontal->setLine(area.left(), (low + high) / 2, area.right(), (low + high) / 2);
        Spot->setLine(x, low, x, high);
        SetBoxText(HoverLabel, hover->Text);
        // Beside the reading, on its right unless that leaves the plot, and kept inside it.
        const QRectF box = HoverLabel->rect();
        const qreal left = x + 8 + box.width() > area.right() ? x - 8 - box.width() : x + 8;
        HoverLabel->setPos(std::max(left, area.left()),
                           std::max(high - box.height() - 4, area.top()));
        for (QGraphicsItem* item : CrossItems())
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

    // A series per stretch, named once; whether there was one.
    bool AddLines(const QList<QList<QPointF>>& stretches, const QColor& colour,
                  const QString& name) {
        for (const QList<QPointF>& stretch : stretches) {
            auto* series = new QLineSeries;
            series->setPen(QPen(colour, 1.5));
            series->replace(stretch);
            Add(series, &stretch == &stretches.first() ? name : QString());
        }
        return !stretches.isEmpty();
    }

    // The time axis's grid lines and labels, and the markers of levels beyond the rate axis.
    void MakeMarks() {
        for (const Mark& mark : std::as_const(Marks)) {
            delete mark.Line;
            delete mark.Label;
        }
        Marks.clear();
        for (const TimeTick& tick : std::as_const(Frame.Ticks)) {
            auto* line = new QGraphicsLineItem(Chart);
            line->setPen(QPen(GridColour, 1));
            // Under the series, with the rate axis's grid.
            line->setZValue(2);
            auto* label = new QGraphicsSimpleTextItem(tick.Label, Chart);
            label->setBrush(Rate->labelsBrush());
            label->setFont(Rate->labelsFont());
            Marks.append({line, label, tick.Ms, LimitMark::Inside});
        }
        for (const auto& [mark, colour] :
             {std::pair{Frame.Lower, LowerColour}, std::pair{Frame.Upper, UpperColour}}) {
            if (!mark || mark->Where == LimitMark::Inside)
                continue;
            const QString arrow = mark->Where == LimitMark::Above ? QStringLiteral("\u25B2 ")
                                                                  : QStringLiteral("\u25BC ");
            QGraphicsRectItem* label = TextBox(Chart, colour);
            SetBoxText(label, arrow + mark->Label);
            label->setZValue(5);
            Marks.append({nullptr, label, 0, mark->Where});
        }
    }

    // Puts the marks, the message and the levels' markers where the plot area now is.
    void Place() {
        const QRectF area = Chart->plotArea();
        const QRectF box = Message->boundingRect();
        Message->setPos(area.center() - QPointF(box.width() / 2, box.height() / 2));
        // Right-aligned at the edge the level lies beyond, one under the other.
        qreal above = area.top() + 2;
        qreal below = area.bottom() - 2;
        for (const Mark& mark : std::as_const(Marks)) {
            const QRectF text = mark.Label->boundingRect();
            if (mark.Line) {
                const qreal x = XOf(mark.Ms);
                mark.Line->setLine(x, area.top(), x, area.bottom() + 4);
                mark.Label->setPos(
                    std::clamp(x - text.width() / 2, 0.0, Chart->size().width() - text.width()),
                    area.bottom() + 5);
            } else if (mark.Where == LimitMark::Above) {
                mark.Label->setPos(area.right() - text.width() - 4, above);
                above += text.height();
            } else {
                below -= text.height();
                mark.Label->setPos(area.right() - text.width() - 4, below);
            }
        }
    }

    qreal XOf(qint64 ms) const {
        const QRectF area = Chart->plotArea();
        const qint64 length = std::max<qint64>(Lines.Span.ToMs - Lines.Span.FromMs, 1);
        return area.left() + area.width() * qreal(ms - Lines.Span.FromMs) / qreal(length);
    }

    qreal TimeAt(qreal x) const {
        const QRectF area = Chart->plotArea();
        return qreal(Lines.Span.FromMs) +
               (x - area.left()) / area.width() * qreal(Lines.Span.ToMs - Lines.Span.FromMs);
    }

    qreal YOf(double rate) const {
        const QRectF area = Chart->plotArea();
        return area.bottom() -
               area.height() * (rate - Frame.RateLow) / (Frame.RateHigh - Frame.RateLow);
    }

    QList<QGraphicsItem*> CrossItems() const { return {Vertical, Horizontal, Spot, HoverLabel}; }

    void HideCrosshair() {
        for (QGraphicsItem* item : CrossItems())
            item->hide();
    }

    // A time mark (its grid line and label at a time), or a level's marker (no line).
    struct Mark {
        QGraphicsLineItem* Line;
        QGraphicsItem* Label;
        qint64 Ms;
        LimitMark::Place Where;
    };

    ChartTexts Texts;
    HoverFinder Hover;
    ChartLines Lines;
    ChartFrame Frame;
    QChart* Chart;
    QDateTimeAxis* Time;
    QValueAxis* Rate;
    QGraphicsSimpleTextItem* Message;
    QGraphicsLineItem* Vertical;
    QGraphicsLineItem* Horizontal;
    QGraphicsLineItem* Spot;
    QGraphicsRectItem* HoverLabel;
    QList<Mark> Marks;
};

class ChartsModule : public QObject, public ChartModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ChartModule_iid)
    Q_INTERFACES(ChartModule)

public:
    ChartPlot* CreatePlot(QWidget* parent, const ChartTexts& texts, HoverFinder hover) override {
        return new ChartView(parent, texts, std::move(hover));
    }
};

} // namespace

#include "chartmodule.moc"
