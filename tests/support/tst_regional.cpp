#include "support/regional.h"
#include "support/texthelpers.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

class TestRegional : public QObject {
    Q_OBJECT

private slots:
    void fromLocale_data();
    void fromLocale();
    void timeWithoutZoneEverywhere();
    void numbersReadBackEverywhere();
};

void TestRegional::fromLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<QChar>("group");
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<QString>("time");

    QTest::newRow("nl_NL") << "nl_NL" << QChar(u',') << QChar(u'.') << "07-12-2026 14:05:09"
                           << "14:05:09";
    QTest::newRow("en_US") << "en_US" << QChar(u'.') << QChar(u',') << "12/7/26 2:05:09 PM"
                           << "2:05:09 PM";
    QTest::newRow("zone first") << "zh_CN" << QChar(u'.') << QChar(u',') << ""
                                << "14:05:09";
    // Arabic decimal separators give way to ones that numbers read back with.
    QTest::newRow("zone in brackets") << "fa_IR" << QChar(u',') << QChar(u'.') << ""
                                      << "۱۴:۰۵:۰۹";
    QTest::newRow("Arabic separator") << "ar_EG" << QChar(u',') << QChar(u'.') << ""
                                      << "";
}

void TestRegional::fromLocale() {
    QFETCH(QString, locale);
    QFETCH(QChar, decimal);
    QFETCH(QChar, group);
    QFETCH(QString, dateTime);
    QFETCH(QString, time);

    const QLocale l(locale);
    const RegionalSettings settings = RegionalSettingsFrom(l);
    QCOMPARE(settings.decimalSeparator, decimal);
    QCOMPARE(settings.groupSeparator, group);
    const QDateTime moment(QDate(2026, 12, 7), QTime(14, 5, 9));
    if (!dateTime.isEmpty())
        QVERIFY(l.toString(moment, settings.dateTimeFormat).startsWith(dateTime));
    if (!time.isEmpty())
        QCOMPARE(l.toString(moment.time(), settings.timeFormat), time);
}

// Whatever the locale, a rate the program writes reads back as the same number.
void TestRegional::numbersReadBackEverywhere() {
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale& locale : locales) {
        const RegionalSettings settings = RegionalSettingsFrom(locale);
        QVERIFY2(ParseNumber(FormatFixed(2, 4, 0.9230, settings.decimalSeparator)) == 0.923 &&
                     settings.groupSeparator != settings.decimalSeparator,
                 qPrintable(locale.name()));
    }
}

// No locale's time of a reading carries a zone name or loose blanks.
void TestRegional::timeWithoutZoneEverywhere() {
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    const QDateTime moment(QDate(2026, 1, 7), QTime(14, 5, 9), Qt::UTC);
    for (const QLocale& locale : locales) {
        const RegionalSettings settings = RegionalSettingsFrom(locale);
        QCOMPARE(settings.dateTimeFormat, locale.dateFormat(QLocale::ShortFormat) + u' ' +
                                              locale.timeFormat(QLocale::LongFormat));
        const QString shown = locale.toString(moment, settings.timeFormat);
        QVERIFY2(!shown.isEmpty() && shown == shown.trimmed() && !shown.contains(u"UTC") &&
                     !shown.contains(u"()") && !shown.contains(u"  "),
                 qPrintable(locale.name() + QStringLiteral(": ") + shown));
    }
}

QTEST_APPLESS_MAIN(TestRegional)
#include "tst_regional.moc"
