#include "support/regional.h"

#include <QLocale>

namespace {

QChar SingleChar(const QString& text, QChar fallback) {
    return text.size() == 1 ? text.front() : fallback;
}

// The time of a reading is shown without a zone name: drop every unquoted run of 't' (with
// brackets directly around it) and the blanks beside it, keeping one blank when the run
// stood between two other parts.
QString WithoutZone(const QString& format) {
    const qsizetype n = format.size();
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            result.append(c);
            continue;
        }
        qsizetype next = i;
        while (next < n && format[next] == u't')
            ++next;
        if (result.endsWith(u'(') && next < n && format[next] == u')') {
            result.chop(1);
            ++next;
        }
        const bool blankBefore = !result.isEmpty() && result.back().isSpace();
        while (!result.isEmpty() && result.back().isSpace())
            result.chop(1);
        const bool blankAfter = next < n && format[next].isSpace();
        while (next < n && format[next].isSpace())
            ++next;
        if (blankBefore && blankAfter && !result.isEmpty() && next < n)
            result.append(u' ');
        i = next - 1;
    }
    return result;
}

} // namespace

RegionalSettings RegionalSettingsFrom(const QLocale& locale) {
    RegionalSettings settings;
    // Numbers the program writes must read back, and only ',' and '.' do: another decimal
    // separator (U+066B in Arabic, Persian, Pashto) gives way to the Dutch pair.
    const QChar decimal = SingleChar(locale.decimalPoint(), u',');
    const bool readable = decimal == u',' || decimal == u'.';
    settings.decimalSeparator = readable ? decimal : u',';
    const QChar otherMark = settings.decimalSeparator == u',' ? u'.' : u',';
    settings.groupSeparator = readable ? SingleChar(locale.groupSeparator(), otherMark) : otherMark;
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    settings.dateTimeFormat = locale.dateFormat(QLocale::ShortFormat) + u' ' + longTime;
    settings.timeFormat = WithoutZone(longTime);
    settings.locale = locale;
    return settings;
}

RegionalSettings SystemRegionalSettings() {
    return RegionalSettingsFrom(QLocale::system());
}
