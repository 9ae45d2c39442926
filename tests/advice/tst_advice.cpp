#include "advice/advice.h"
#include "advice/advicelog.h"

#include <QTest>

namespace {

const QStringList DesignEdits = {"2,45", "2,35",    "0,84",   "0,76",
                                 "0,22", "1534,71", "0,9027", "1852"};

// The design edits with D, U, f, v, R and N replaced where given.
QStringList Edits(const QString& R, const QString& N, const QString& f = "0",
                  const QString& v = "0") {
    return {"2,45", "2,35", f, v, "0,22", R, "0,9027", N};
}

ParameterTexts Texts(const QStringList& list) {
    ParameterTexts texts;
    std::copy(list.begin(), list.end(), texts.begin());
    return texts;
}

} // namespace

class TestAdvice : public QObject {
    Q_OBJECT

private slots:
    void designLevels();
    void factors_data();
    void factors();
    void advice_data();
    void advice();
    void noAdvice_data();
    void noAdvice();
    void typedAggressionCountsAtOnce();
};

void TestAdvice::designLevels() {
    TradingParameters p;
    p.AdviceQuantity = 7;
    SetTradingLevels(p, Texts(DesignEdits));
    QCOMPARE(p.BuyFactor, 6.25);
    QCOMPARE(qRound64(p.SellFactor * 1e4), 41667);
    QCOMPARE(p.BuyLevel, 0.8084);
    QCOMPARE(p.SellLevel, 0.8482);
    QCOMPARE(p.BuyQuantity, 290.7007);
    QCOMPARE(p.SellQuantity, 177.1678);
    QCOMPARE(p.CostPercentage, 0.22);
    QCOMPARE(p.AdviceQuantity, 7.0);

    // A holding below 0.0001 gives no levels, whatever they were.
    SetTradingLevels(p, Texts(Edits("1534,71", "0,00009")));
    QCOMPARE(p.BuyLevel, 0.0);
    QCOMPARE(p.SellLevel, 0.0);
    QCOMPARE(p.BuyQuantity, 0.0);
    QCOMPARE(p.SellQuantity, 0.0);
    SetTradingLevels(p, Texts(Edits("1534,71", "0,0001")));
    QVERIFY(p.BuyLevel > 0 && p.SellLevel > 0);
    // (1 - 0.01 D) * R / N in that order: R / N first gives 1,3975 and 1,6025 here.
    SetTradingLevels(p, Texts({"6,83", "6,83", "0", "0", "0", "4618,5", "0", "3079"}));
    QCOMPARE(p.BuyLevel, 1.3976);
    QCOMPARE(p.SellLevel, 1.6024);
    // A buy threshold of 100 % or more puts the buy level at or below 0: no quantities.
    QStringList high = DesignEdits;
    high[0] = "100";
    SetTradingLevels(p, Texts(high));
    QCOMPARE(p.BuyLevel, 0.0);
    QVERIFY(p.SellLevel > 0);
    QCOMPARE(p.SellQuantity, 0.0);
    high = DesignEdits;
    high[1] = "-100";
    SetTradingLevels(p, Texts(high));
    QCOMPARE(p.SellLevel, 0.0);
    QCOMPARE(p.BuyQuantity, 0.0);
}

void TestAdvice::factors_data() {
    QTest::addColumn<double>("aggression");
    QTest::addColumn<double>("factor");
    QTest::newRow("0") << 0.0 << 1.0;
    QTest::newRow("0.84") << 0.84 << 6.25;
    QTest::newRow("0.9999") << 0.9999 << 10000.0;
    QTest::newRow("0.99999") << 0.99999 << 1.0;
    QTest::newRow("1") << 1.0 << 1.0;
    QTest::newRow("2") << 2.0 << 1.0;
}

void TestAdvice::factors() {
    QFETCH(double, aggression);
    QFETCH(double, factor);
    QCOMPARE(qRound64(AggressionFactor(aggression) * 1e6), qRound64(factor * 1e6));
}

void TestAdvice::advice_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("separators"); // decimal, group
    QTest::addColumn<QString>("advies");
    QTest::addColumn<bool>("firm");
    QTest::addColumn<QString>("koop");
    QTest::addColumn<QString>("verkoop");
    QTest::addColumn<QString>("limits"); // boven onder

    const QString koop = " Bij 0,8084 Kopen: 291 (290,7007) stuks";
    const QString verkoop = " Bij 0,8482 Verkopen: 177 (177,1678) stuks";
    QTest::newRow("firm sale") << DesignEdits << 0.9027 << ",."
                               << " Handel-advies: Verkopen: 633 (632,7794) stuks" << true << koop
                               << verkoop << "0,8482 0,8084";
    QTest::newRow("sale too small") << DesignEdits << 0.8480 << ",."
                                    << " Verandering te klein;  Verkopen: 176 (175,84) stuks"
                                    << false << koop << verkoop << "0,8482 0,8084";
    QTest::newRow("firm buy") << DesignEdits << 0.8000 << ",."
                              << " Handel-advies: Kopen: 415 (414,9219) stuks" << true << koop
                              << verkoop << "0,8482 0,8084";
    QTest::newRow("buy too small") << DesignEdits << 0.8100 << ",."
                                   << " Verandering te klein;  Kopen: 267 (266,90) stuks" << false
                                   << koop << verkoop << "0,8482 0,8084";
    QTest::newRow("english separators") << DesignEdits << 0.9027 << ".,"
                                        << " Handel-advies: Verkopen: 633 (632.7794) stuks" << true
                                        << " Bij 0.8084 Kopen: 291 (290.7007) stuks"
                                        << " Bij 0.8482 Verkopen: 177 (177.1678) stuks"
                                        << "0.8482 0.8084";
    QTest::newRow("small buy: two decimals, not rounded to four first")
        << DesignEdits << 0.8161 << ",."
        << " Verandering te klein;  Kopen: 178 (178,39) stuks" << false << koop << verkoop
        << "0,8482 0,8084";
    QStringList noBuyLevel = DesignEdits;
    noBuyLevel[0] = "100";
    QTest::newRow("no buy level: no level lines")
        << noBuyLevel << 0.9027 << ",."
        << " Handel-advies: Verkopen: 633 (632,7794) stuks" << true << ""
        << ""
        << "0,8482 0,0000";
    QTest::newRow("levels of exactly 0.0001 are shown")
        << QStringList{"0", "0", "0", "0", "0", "0,0001", "0", "1"} << 1.0 << ",."
        << " Handel-advies: Verkopen: 1 (0,9999) stuks" << true
        << " Bij 0,0001 Kopen: 0 (0,0000) stuks"
        << " Bij 0,0001 Verkopen: 0 (0,0000) stuks"
        << "0,0001 0,0001";
    QTest::newRow("buy of exactly the buy quantity is firm")
        << QStringList{"50", "50", "0", "0", "0", "2", "0", "2"} << 0.5 << ",."
        << " Handel-advies: Kopen: 2 (2,0000) stuks" << true
        << " Bij 0,5000 Kopen: 2 (2,0000) stuks"
        << " Bij 1,5000 Verkopen: 1 (0,6667) stuks"
        << "1,5000 0,5000";
    // q is exactly 0.0001 here; a buy quantity of 0,0009 is not reached, one of 0,0001 is.
    QTest::newRow("buy of 0.0001 below the buy quantity")
        << QStringList{"90", "-90", "0", "0", "0", "0,0002", "0", "0,0001"} << 1.0 << ",."
        << " Verandering te klein;  Kopen: 0 (0,00) stuks" << false
        << " Bij 0,2000 Kopen: 0 (0,0009) stuks"
        << " Bij 0,2000 Verkopen: 0 (-0,0009) stuks"
        << "0,2000 0,2000";
    QTest::newRow("buy of 0.0001 at the buy quantity")
        << QStringList{"50", "-90", "0", "0", "0", "0,0002", "0", "0,0001"} << 1.0 << ",."
        << " Handel-advies: Kopen: 0 (0,00) stuks" << true << " Bij 1,0000 Kopen: 0 (0,0001) stuks"
        << " Bij 0,2000 Verkopen: 0 (-0,0009) stuks"
        << "0,2000 1,0000";
    QTest::newRow("no change at all is firm")
        << Edits("0", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 0 (0,00) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("rate 0.1 is advised") << DesignEdits << 0.1 << ",."
                                         << " Handel-advies: Kopen: 84344 (84.344,3750) stuks"
                                         << true << koop << verkoop << "0,8482 0,8084";
    QTest::newRow("tiny firm buy without levels")
        << Edits("0,0005", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 0 (0,00) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("grouped exact, plain whole")
        << Edits("1234,5678", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 1235 (1.234,5678) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("half rounds to even, down")
        << Edits("-2,5", "0") << 1.0 << ",."
        << " Handel-advies: Verkopen: 2 (2,5000) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("half rounds to even, up")
        << Edits("3,5", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 4 (3,5000) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("shortfall of exactly 0.0001 takes the buy factor")
        << Edits("0,0001", "0", "0,99", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 0 (0,0100) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("buy of exactly 0.001") << Edits("0,001", "0") << 1.0 << ",."
                                          << " Handel-advies: Kopen: 0 (0,0010) stuks" << true << ""
                                          << ""
                                          << "0,0000 0,0000";
    QTest::newRow("tiny sale keeps the sign of its exact part only")
        << Edits("-0,0004", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 0 (-0,00) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("absurd quantity: the whole number as calculated")
        << Edits("1534,71", "99999999999999999999") << 0.9027 << ",."
        << " Handel-advies: Verkopen: 100000000000000000000 (100000000000.000.000.000,0000) stuks"
        << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("sale of exactly 0.001")
        << Edits("-0,001", "0") << 1.0 << ",."
        << " Handel-advies: Verkopen: 0 (0,0010) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("sale with sell aggression")
        << Edits("-2", "0", "0", "0,5") << 1.0 << ",."
        << " Handel-advies: Verkopen: 4 (4,0000) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
    QTest::newRow("buy with buy aggression")
        << Edits("2", "0", "0,5", "0") << 1.0 << ",."
        << " Handel-advies: Kopen: 4 (4,0000) stuks" << true << ""
        << ""
        << "0,0000 0,0000";
}

void TestAdvice::advice() {
    QFETCH(QStringList, edits);
    QFETCH(double, rate);
    QFETCH(QString, separators);
    QFETCH(QString, advies);
    QFETCH(bool, firm);
    QFETCH(QString, koop);
    QFETCH(QString, verkoop);
    QFETCH(QString, limits);

    TradingParameters p;
    SetTradingLevels(p, Texts(edits));
    const std::optional<AdviceTexts> texts =
        AdviceAt(p, rate, edits[2], edits[3], separators[0], separators[1]);
    QVERIFY(texts);
    QCOMPARE(texts->AdviesLabel, advies);
    QCOMPARE(texts->AdviesColour, firm ? QColor(0, 0, 255) : QColor(255, 0, 0));
    QCOMPARE(texts->KoopLabel, koop);
    QCOMPARE(texts->VerkoopLabel, verkoop);
    QCOMPARE(texts->LabelBoven + " " + texts->LabelOnder, limits);
    QCOMPARE(AdviceLogLine(*texts),
             QStringLiteral("advice \"%1\" \"%2\" \"%3\"").arg(advies, koop, verkoop));
}

void TestAdvice::noAdvice_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<double>("rate");
    QTest::newRow("rate 0.0999") << DesignEdits << 0.0999;
    QTest::newRow("result code") << DesignEdits << -1.0;
    QTest::newRow("reference value 1e8") << Edits("100000000", "1852") << 0.9;
    QTest::newRow("reference value -1e8") << Edits("-100000000", "1852") << 0.9;
}

void TestAdvice::noAdvice() {
    QFETCH(QStringList, edits);
    QFETCH(double, rate);
    TradingParameters p;
    SetTradingLevels(p, Texts(edits));
    p.AdviceQuantity = 7;
    QVERIFY(!AdviceAt(p, rate, edits[2], edits[3], u',', u'.'));
    QCOMPARE(p.AdviceQuantity, 7.0);
}

// The aggressions are read as typed now; the level quantities keep their computed factors.
void TestAdvice::typedAggressionCountsAtOnce() {
    TradingParameters p;
    SetTradingLevels(p, Texts(DesignEdits));
    const std::optional<AdviceTexts> sale = AdviceAt(p, 0.9027, "0,5", "0,5", u',', u'.');
    const std::optional<AdviceTexts> buy = AdviceAt(p, 0.81, "0,5", "0,5", u',', u'.');
    QVERIFY(sale && buy);
    QCOMPARE(sale->AdviesLabel, QStringLiteral(" Handel-advies: Verkopen: 304 (303,7341) stuks"));
    QCOMPARE(buy->AdviesLabel, QStringLiteral(" Verandering te klein;  Kopen: 85 (85,41) stuks"));
    QCOMPARE(sale->VerkoopLabel, QStringLiteral(" Bij 0,8482 Verkopen: 177 (177,1678) stuks"));
}

QTEST_APPLESS_MAIN(TestAdvice)
#include "tst_advice.moc"
