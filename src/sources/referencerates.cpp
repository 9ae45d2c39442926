#include "sources/referencerates.h"

#include "support/texthelpers.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <map>

namespace {
const QString EnvelopeNamespace = QStringLiteral("http://www.gesmes.org/xml/2002-08-01");
const QString CubeNamespace = QStringLiteral("http://www.ecb.int/vocabulary/2002-08-01/eurofxref");
// Far outside anything the euro has seen: a rate beyond them is a broken file.
constexpr double MinUsdPerEuro = 0.2;
constexpr double MaxUsdPerEuro = 5.0;

bool IsCube(const QXmlStreamReader& xml) {
    return xml.name() == u"Cube" && xml.namespaceUri() == CubeNamespace;
}

// Digits with at most one point between digits: no sign, exponent, comma or blank.
bool IsPlainDecimal(QStringView text) {
    return !text.isEmpty() && text.front().isDigit() && text.back().isDigit() &&
           text.count(u'.') <= 1 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || c == u'.';
           });
}

std::optional<double> UsdPerEuro(QStringView text) {
    if (!IsPlainDecimal(text))
        return std::nullopt;
    const double rate = text.toDouble();
    if (rate < MinUsdPerEuro || rate > MaxUsdPerEuro)
        return std::nullopt;
    return rate;
}

// Reads the currency Cubes of one dated Cube: its USD rate, when it gives exactly one usable.
std::optional<double> ReadDay(QXmlStreamReader& xml) {
    int usdRates = 0;
    std::optional<double> usd;
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes attributes = xml.attributes();
        if (IsCube(xml) && attributes.value(QLatin1StringView("currency")) == u"USD") {
            ++usdRates;
            usd = UsdPerEuro(attributes.value(QLatin1StringView("rate")));
        }
        xml.skipCurrentElement();
    }
    return usdRates == 1 ? usd : std::nullopt;
}
} // namespace

std::optional<QList<ReferenceDay>> ReadReferenceRates(QByteArrayView data, const QDate& today) {
    QXmlStreamReader xml(QByteArray::fromRawData(data.data(), data.size()));
    // A DTD could declare entities that swell the document or reach outside it.
    while (xml.readNext() != QXmlStreamReader::StartElement) {
        if (xml.atEnd() || xml.tokenType() == QXmlStreamReader::DTD)
            return std::nullopt;
    }
    if (xml.name() != u"Envelope" || xml.namespaceUri() != EnvelopeNamespace)
        return std::nullopt;

    // Per date its USD rate; a date that comes twice is marked unusable.
    std::map<QDate, std::optional<double>> days;
    const QDate latest = today.addDays(1);
    while (xml.readNextStartElement()) {
        if (!IsCube(xml)) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (!IsCube(xml) || !attributes.hasAttribute(QLatin1StringView("time"))) {
                xml.skipCurrentElement();
                continue;
            }
            const QDate date = QDate::fromString(
                attributes.value(QLatin1StringView("time")).toString(), u"yyyy-MM-dd");
            const std::optional<double> usd = ReadDay(xml);
            if (!date.isValid() || date > latest)
                continue;
            const auto [day, added] = days.try_emplace(date, usd);
            if (!added)
                day->second.reset();
        }
    }
    // Everything after the Envelope must be well-formed too.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return std::nullopt;

    QList<ReferenceDay> usable;
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        if (day->second)
            usable.append({day->first, *day->second});
    }
    return usable;
}

double ReferenceRate(const ReferenceDay& day) {
    return RoundTo4(1.0 / day.UsdPerEuro);
}

QString ReferenceRateText(const ReferenceDay& day, QChar decimalSeparator) {
    return FormatFixed(0, 4, ReferenceRate(day), decimalSeparator);
}
