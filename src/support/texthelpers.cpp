#include "support/texthelpers.h"

#include <QByteArray>

#include <charconv>
#include <cmath>

QString TextBefore(QChar ch, const QString& text) {
    const qsizetype at = text.indexOf(ch);
    return at < 0 ? QString() : text.left(at);
}

QString TextAfter(QChar ch, const QString& text) {
    const qsizetype at = text.indexOf(ch);
    return at < 0 ? QString() : text.mid(at + 1);
}

QString TextAfterLast(QChar ch, const QString& text) {
    const qsizetype at = text.lastIndexOf(ch);
    return at < 0 ? QString() : text.mid(at + 1);
}

QString TextBeforeSub(const QString& sub, const QString& text) {
    const qsizetype at = sub.isEmpty() ? -1 : text.indexOf(sub);
    return at < 0 ? QString() : text.left(at);
}

QString TextAfterSub(const QString& sub, const QString& text) {
    const qsizetype at = sub.isEmpty() ? -1 : text.indexOf(sub);
    return at < 0 ? QString() : text.mid(at + sub.size());
}

namespace {

template <typename Keep> QString Filtered(const QString& text, Keep keep) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (keep(c))
            result.append(c);
    }
    return result;
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Digits only, so the conversion cannot fail; an empty text is 0.
double DigitsValue(const QByteArray& digits) {
    double value = 0.0;
    std::from_chars(digits.constData(), digits.constData() + digits.size(), value);
    return value;
}

} // namespace

QString RemoveSpaces(const QString& text) {
    return Filtered(text, [](QChar c) { return c != u' '; });
}

QString DropDigits(const QString& text) {
    return Filtered(text, [](QChar c) { return !IsDigit(c); });
}

QString KeepNumberChars(const QString& text) {
    return Filtered(text, [](QChar c) { return IsDigit(c) || c == u',' || c == u'.'; });
}

namespace {
struct NumberReading {
    double value = 0.0;
    bool whole = false; // the text was a well-formed number
};

NumberReading ReadNumber(const QString& text) {
    QString t = RemoveSpaces(text);
    const qsizetype comma = t.indexOf(u',');
    if (comma >= 0)
        t[comma] = u'.';
    if (t.isEmpty())
        t = QStringLiteral("0.0");
    for (const QChar c : t) {
        if (!IsDigit(c) && c != u'+' && c != u'-' && c != u'.')
            return {};
    }
    if (!t.contains(u'.'))
        t.append(u'.');
    if (t.startsWith(u'.'))
        t.prepend(u'0');
    if (t.indexOf(u'.') == t.size() - 1)
        t.append(u'0');

    // Only [+-]digits.digits is well formed; at the first character that breaks that
    // pattern the digits read so far count as a whole number, without point or sign.
    QByteArray digits;
    qsizetype pointAt = -1;
    bool negative = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (IsDigit(c)) {
            digits.append(char(c.unicode()));
        } else if (c == u'.' && pointAt < 0) {
            pointAt = digits.size();
        } else if ((c == u'+' || c == u'-') && i == 0) {
            negative = c == u'-';
        } else {
            return {DigitsValue(digits), false};
        }
    }
    digits.insert(pointAt, '.');
    const double value = DigitsValue(digits);
    return {negative ? -value : value, true};
}
} // namespace

double ParseNumber(const QString& text) {
    return ReadNumber(text).value;
}

std::optional<double> ParseWholeNumber(const QString& text) {
    const NumberReading reading = ReadNumber(text);
    return reading.whole ? std::optional<double>(reading.value) : std::nullopt;
}

QString FormatFixed(int width, int decimals, double x, QChar decimalSeparator) {
    // The sign is written apart so that a negative value that rounds to zero keeps it.
    QString t = QString::number(std::fabs(x), 'f', std::max(decimals, 0));
    if (std::signbit(x))
        t.prepend(u'-');
    if (t.size() < width)
        t = t.rightJustified(width, u' ');
    if (decimalSeparator != u'.') {
        const qsizetype point = t.indexOf(u'.');
        if (point >= 0)
            t[point] = decimalSeparator;
    }
    return t;
}

QString FormatGrouped(int width, int decimals, double x, QChar decimalSeparator,
                      QChar groupSeparator) {
    const QString t = FormatFixed(width, decimals, x, decimalSeparator);
    // Without decimals there is no separator to cut at: the whole text is the integer part.
    const bool hasFraction = decimals > 0;
    QString integerPart = RemoveSpaces(hasFraction ? TextBefore(decimalSeparator, t) : t);
    QString sign;
    if (t.contains(u'-')) {
        sign = QStringLiteral("-");
        integerPart.remove(0, 1);
    }
    for (const int groupEnd : {3, 7, 11}) {
        if (integerPart.size() > groupEnd)
            integerPart.insert(integerPart.size() - groupEnd, groupSeparator);
    }
    if (!hasFraction)
        return sign + integerPart;
    return sign + integerPart + decimalSeparator + TextAfter(decimalSeparator, t);
}

double RoundTo4(double x) {
    // Extended precision as the scaling, ties to even as the default rounding mode does.
    const long double scaled = std::nearbyint(static_cast<long double>(x) * 10000.0L);
    return static_cast<double>(scaled * 0.0001L);
}
