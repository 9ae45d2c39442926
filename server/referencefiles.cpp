#include "server/referencefiles.h"

#include <QRandomGenerator>

#include <cmath>

namespace {
const QDate FirstDay(1999, 1, 4);

bool IsWorkingDay(const QDate& date) {
    const int day = date.day();
    const int month = date.month();
    return date.dayOfWeek() <= 5 && !(month == 1 && day == 1) && !(month == 5 && day == 1) &&
           !(month == 12 && (day == 25 || day == 26));
}

QByteArray Fixed(double x, int decimals) {
    return QByteArray::number(x, 'f', decimals);
}
} // namespace

QByteArray ReferenceDocument(const QByteArray& dayCubes) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gesmes:Envelope xmlns:gesmes=\"http://www.gesmes.org/xml/2002-08-01\" "
           "xmlns=\"http://www.ecb.int/vocabulary/2002-08-01/eurofxref\">\n"
           "\t<gesmes:subject>Reference rates</gesmes:subject>\n"
           "\t<gesmes:Sender>\n\t\t<gesmes:name>European Central Bank</gesmes:name>\n"
           "\t</gesmes:Sender>\n\t<Cube>\n" +
           dayCubes + "\t</Cube>\n</gesmes:Envelope>\n";
}

QByteArray ReferenceDayCube(const QByteArray& time, const CurrencyRates& rates) {
    QByteArray cube = "\t\t<Cube time='" + time + "'>\n";
    for (const auto& [currency, rate] : rates)
        cube += "\t\t\t<Cube currency='" + currency + "' rate='" + rate + "'/>\n";
    return cube + "\t\t</Cube>\n";
}

QList<DemoReferenceDay> DemoReferenceDays(const QDate& until) {
    QList<DemoReferenceDay> days;
    QRandomGenerator random(19990104);
    double rate = 1.1789;
    for (QDate date = FirstDay; date <= until; date = date.addDays(1)) {
        if (!IsWorkingDay(date))
            continue;
        // A walk of at most 60 pips a day, drawn back towards 1.15 so that it stays near.
        const double step = (random.generateDouble() - 0.5) * 0.012 + (1.15 - rate) * 0.002;
        rate = std::round((rate + step) * 10000.0) / 10000.0;
        days.append({date, rate});
    }
    return days;
}

QByteArray DemoReferenceFile(const QByteArray& name, const QList<DemoReferenceDay>& days) {
    const QDate last = days.isEmpty() ? FirstDay : days.last().date;
    QDate since;
    if (name == "eurofxref-daily.xml")
        since = last;
    else if (name == "eurofxref-hist-90d.xml")
        since = last.addDays(-89);
    else if (name == "eurofxref-hist.xml")
        since = FirstDay;
    else
        return {};
    QByteArray cubes;
    for (auto day = days.rbegin(); day != days.rend() && day->date >= since; ++day) {
        // Other currencies as the bank lists them, in made-up proportion to the dollar.
        const double usd = day->usdPerEuro;
        cubes += ReferenceDayCube(day->date.toString(Qt::ISODate).toLatin1(),
                                  {{"USD", Fixed(usd, 4)},
                                   {"JPY", Fixed(usd * 131.7, 2)},
                                   {"GBP", Fixed(usd * 0.7421, 5)},
                                   {"CHF", Fixed(usd * 0.9534, 4)}});
    }
    return ReferenceDocument(cubes);
}
