#include "support/texthelpers.h"

#include <QTest>

class TestTextHelpers : public QObject {
    Q_OBJECT

private slots:
    void cutting_data();
    void cutting();
    void filters_data();
    void filters();
    void longTexts();
    void parseNumber_data();
    void parseNumber();
    void formatFixed_data();
    void formatFixed();
    void formatGrouped_data();
    void formatGrouped();
    void roundTo4_data();
    void roundTo4();
};

namespace {

enum class Cut { Before, After, AfterLast, BeforeSub, AfterSub };

QString Apply(Cut cut, const QString& at, const QString& text) {
    switch (cut) {
    case Cut::Before:
        return TextBefore(at.front(), text);
    case Cut::After:
        return TextAfter(at.front(), text);
    case Cut::AfterLast:
        return TextAfterLast(at.front(), text);
    case Cut::BeforeSub:
        return TextBeforeSub(at, text);
    case Cut::AfterSub:
        return TextAfterSub(at, text);
    }
    return {};
}

} // namespace

void TestTextHelpers::cutting_data() {
    QTest::addColumn<Cut>("cut");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("before rate") << Cut::Before << "<"
                                 << "0,9230</span>"
                                 << "0,9230";
    QTest::newRow("before version") << Cut::Before << "."
                                    << "2.20a"
                                    << "2";
    QTest::newRow("before absent") << Cut::Before << "."
                                   << "abc"
                                   << "";
    QTest::newRow("before at first") << Cut::Before << "<"
                                     << "<Delta>"
                                     << "";
    QTest::newRow("before tag end") << Cut::Before << ">"
                                    << "<Delta>"
                                    << "<Delta";
    QTest::newRow("before empty") << Cut::Before << "."
                                  << ""
                                  << "";
    QTest::newRow("after tag") << Cut::After << ">"
                               << "<Aantal>1852</Aantal>"
                               << "1852</Aantal>";
    QTest::newRow("after absent") << Cut::After << "."
                                  << "abc"
                                  << "";
    QTest::newRow("after at end") << Cut::After << ">"
                                  << "a>"
                                  << "";
    QTest::newRow("after last time") << Cut::AfterLast << " "
                                     << "07-12-2026 14:05:33"
                                     << "14:05:33";
    QTest::newRow("after last of three") << Cut::AfterLast << "/"
                                         << "a/b/c"
                                         << "c";
    QTest::newRow("after last empty") << Cut::AfterLast << " "
                                      << ""
                                      << "";
    QTest::newRow("after last absent") << Cut::AfterLast << " "
                                       << "14:05:33"
                                       << "";
    QTest::newRow("before sub whole") << Cut::BeforeSub << "ms"
                                      << "ms"
                                      << "";
    QTest::newRow("before sub ping") << Cut::BeforeSub << "ms"
                                     << "23ms"
                                     << "23";
    QTest::newRow("before sub first") << Cut::BeforeSub << "ms"
                                      << "23ms 40ms"
                                      << "23";
    QTest::newRow("before sub absent") << Cut::BeforeSub << "ms"
                                       << "23 s"
                                       << "";
    QTest::newRow("before sub empty") << Cut::BeforeSub << ""
                                      << "23ms"
                                      << "";
    QTest::newRow("after sub") << Cut::AfterSub << "<b>"
                               << "x<b>0,9</b><b>1</b>"
                               << "0,9</b><b>1</b>";
    QTest::newRow("after sub at end") << Cut::AfterSub << "</b>"
                                      << "x</b>"
                                      << "";
    QTest::newRow("after sub absent") << Cut::AfterSub << "<i>"
                                      << "x<b>0,9"
                                      << "";
    QTest::newRow("after sub empty") << Cut::AfterSub << ""
                                     << "x<b>0,9"
                                     << "";
}

void TestTextHelpers::cutting() {
    QFETCH(Cut, cut);
    QFETCH(QString, at);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Apply(cut, at, text), expected);
}

void TestTextHelpers::filters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("withoutSpaces");
    QTest::addColumn<QString>("withoutDigits");
    QTest::addColumn<QString>("numberChars");

    QTest::newRow("grouped number") << "1 852"
                                    << "1852"
                                    << " "
                                    << "1852";
    QTest::newRow("tab stays") << "1\t852 "
                               << "1\t852"
                               << "\t "
                               << "1852";
    QTest::newRow("version") << "versie 2,20a"
                             << "versie2,20a"
                             << "versie ,a"
                             << "2,20";
    QTest::newRow("points and commas") << "1.234,5 EUR"
                                       << "1.234,5EUR"
                                       << "., EUR"
                                       << "1.234,5";
    QTest::newRow("signs dropped") << "-0,25%"
                                   << "-0,25%"
                                   << "-,%"
                                   << "0,25";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void TestTextHelpers::filters() {
    QFETCH(QString, text);
    QFETCH(QString, withoutSpaces);
    QFETCH(QString, withoutDigits);
    QFETCH(QString, numberChars);
    QCOMPARE(RemoveSpaces(text), withoutSpaces);
    QCOMPARE(DropDigits(text), withoutDigits);
    QCOMPARE(KeepNumberChars(text), numberChars);
}

// Texts beyond the old string type's 255 and 65535 characters are handled whole.
void TestTextHelpers::longTexts() {
    const QString digits = QString(300, u'7');
    QCOMPARE(KeepNumberChars(QStringLiteral("x") + digits + u'y'), digits);
    QCOMPARE(DropDigits(QStringLiteral("x") + digits + u'y'), QStringLiteral("xy"));
    const QString page = QString(70000, u'a') + QStringLiteral(" b>rate");
    QCOMPARE(RemoveSpaces(page).size(), 70006);
    QCOMPARE(TextAfter(u'>', page), QStringLiteral("rate"));
}

void TestTextHelpers::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("whole"); // well formed, no fallback

    QTest::newRow("comma") << "2,45" << 2.45 << true;
    QTest::newRow("dutch rate") << "0,9027" << 0.9027 << true;
    QTest::newRow("point rate") << "0.9027" << 0.9027 << true;
    QTest::newRow("blanks") << " 1852 " << 1852.0 << true;
    QTest::newRow("inner blank") << "1 234,5" << 1234.5 << true;
    QTest::newRow("leading point") << ".5" << 0.5 << true;
    QTest::newRow("leading comma") << ",5" << 0.5 << true;
    QTest::newRow("minus point") << "-.5" << -0.5 << true;
    QTest::newRow("trailing comma") << "5," << 5.0 << true;
    QTest::newRow("whole") << "7" << 7.0 << true;
    QTest::newRow("plus") << "+0,25" << 0.25 << true;
    QTest::newRow("minus") << "-12,5" << -12.5 << true;
    QTest::newRow("negative zero") << "-0,0000" << 0.0 << true;
    QTest::newRow("empty") << "" << 0.0 << true;
    QTest::newRow("blanks only") << "   " << 0.0 << true;
    QTest::newRow("sign only") << "-" << 0.0 << true;
    QTest::newRow("plus only") << "+" << 0.0 << true;
    QTest::newRow("percent") << "0,9027%" << 0.0 << false;
    QTest::newRow("percent hundred") << "100,00%" << 0.0 << false;
    QTest::newRow("exponent") << "12e3" << 0.0 << false;
    QTest::newRow("tab") << "\t1" << 0.0 << false;
    QTest::newRow("second comma") << "1,5,0" << 0.0 << false;
    QTest::newRow("grouped dutch") << "1.234,56" << 1234.0 << false;
    QTest::newRow("two points") << "-1.2.3" << 12.0 << false;
    QTest::newRow("second point after a bare first") << "-.5.3" << 5.0 << false;
    QTest::newRow("double minus") << "--1" << 0.0 << false;
    QTest::newRow("inner minus") << "12-3" << 12.0 << false;
    QTest::newRow("trailing sign") << "1,5-" << 15.0 << false;
}

void TestTextHelpers::parseNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ParseNumber(text), expected);
    QFETCH(bool, whole);
    QCOMPARE(ParseWholeNumber(text), whole ? std::optional<double>(expected) : std::nullopt);
}

void TestTextHelpers::formatFixed_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("x");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const QChar comma = u',';
    const QChar point = u'.';
    QTest::newRow("rate comma") << 2 << 4 << 0.92301 << comma << "0,9230";
    QTest::newRow("rate point") << 2 << 4 << 0.92301 << point << "0.9230";
    QTest::newRow("rounds up") << 2 << 4 << 0.92305001 << comma << "0,9231";
    QTest::newRow("negative comma") << 2 << 2 << -0.25 << comma << "-0,25";
    QTest::newRow("negative point") << 2 << 2 << -0.25 << point << "-0.25";
    QTest::newRow("tiny negative") << 2 << 4 << -0.00001 << point << "-0.0000";
    QTest::newRow("small negative comma") << 2 << 4 << -0.00004 << comma << "-0,0000";
    QTest::newRow("small negative point") << 2 << 4 << -0.00004 << point << "-0.0000";
    QTest::newRow("zero") << 2 << 2 << 0.0 << comma << "0,00";
    QTest::newRow("negated zero") << 2 << 2 << -0.0 << comma << "-0,00";
    QTest::newRow("no grouping") << 2 << 2 << 1234567.5 << comma << "1234567,50";
    QTest::newRow("no decimals") << 2 << 0 << 12.6 << comma << "13";
    QTest::newRow("padded") << 8 << 2 << 1.5 << comma << "    1,50";
    QTest::newRow("padded negative") << 6 << 2 << -1.5 << point << " -1.50";
    QTest::newRow("padded whole") << 5 << 0 << 3.0 << point << "    3";
    QTest::newRow("other separator") << 2 << 1 << 2.24 << QChar(u'\'') << "2'2";
}

void TestTextHelpers::formatFixed() {
    QFETCH(int, width);
    QFETCH(int, decimals);
    QFETCH(double, x);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(FormatFixed(width, decimals, x, separator), expected);
}

void TestTextHelpers::formatGrouped_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("dutch");
    QTest::addColumn<QString>("english");

    QTest::newRow("millions") << 2 << 4 << 1234567.891 << "1.234.567,8910"
                              << "1,234,567.8910";
    QTest::newRow("negative thousands") << 2 << 2 << -1234.5 << "-1.234,50"
                                        << "-1,234.50";
    QTest::newRow("below thousand") << 2 << 4 << 999.5 << "999,5000"
                                    << "999.5000";
    QTest::newRow("negative hundreds") << 2 << 2 << -999.0 << "-999,00"
                                       << "-999.00";
    QTest::newRow("thousand") << 2 << 4 << 1000.0 << "1.000,0000"
                              << "1,000.0000";
    QTest::newRow("negative zero") << 2 << 4 << -0.00004 << "-0,0000"
                                   << "-0.0000";
    QTest::newRow("twelve digits") << 2 << 2 << 123456789012.0 << "123.456.789.012,00"
                                   << "123,456,789,012.00";
    QTest::newRow("thirteen digits") << 2 << 2 << 1234567890123.0 << "1234.567.890.123,00"
                                     << "1234,567,890,123.00";
    QTest::newRow("padding dropped") << 12 << 2 << -1234.5 << "-1.234,50"
                                     << "-1,234.50";
    QTest::newRow("no decimals") << 2 << 0 << 1234567.0 << "1.234.567"
                                 << "1,234,567";
    QTest::newRow("one decimal") << 2 << 1 << 1234.5 << "1.234,5"
                                 << "1,234.5";
}

void TestTextHelpers::formatGrouped() {
    QFETCH(int, width);
    QFETCH(int, decimals);
    QFETCH(double, x);
    QFETCH(QString, dutch);
    QFETCH(QString, english);
    QCOMPARE(FormatGrouped(width, decimals, x, u',', u'.'), dutch);
    QCOMPARE(FormatGrouped(width, decimals, x, u'.', u','), english);
}

void TestTextHelpers::roundTo4_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");

    QTest::newRow("up") << 1.23456789 << 1.2346;
    QTest::newRow("down") << 0.92301 << 0.923;
    QTest::newRow("half to even below") << 0.03125 << 0.0312;
    QTest::newRow("half to even above") << 0.09375 << 0.0938;
    QTest::newRow("negative half") << -0.03125 << -0.0312;
    QTest::newRow("whole") << 5.0 << 5.0;
}

void TestTextHelpers::roundTo4() {
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(RoundTo4(x), expected);
}

QTEST_APPLESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
