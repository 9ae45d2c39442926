#include "info/aboutplacement.h"
#include "info/abouttexts.h"
#include "info/feedbacklinks.h"

#include <QTest>
#include <QUrl>

class TestFeedbackLinks : public QObject {
    Q_OBJECT

private slots:
    void links_data();
    void links();
    void bodyOfTheTemplate_data();
    void bodyOfTheTemplate();
    void longLinkIsNotCut();
    void linksSurviveUrlParsing();
    void noPublisherGivesNoLink();
    void route_data();
    void route();
    void mailNotSentLine_data();
    void mailNotSentLine();
    void keepOnScreen_data();
    void keepOnScreen();
};

namespace {

const QUrl kPublisher(QStringLiteral("http://127.0.0.1:8451/"));
const QString kProgram = QStringLiteral("qzRate");
const QString kVersion = QStringLiteral("versie 1.02");

} // namespace

void TestFeedbackLinks::links_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("mailLink");
    QTest::addColumn<QString>("webFormLink");
    QTest::addColumn<QString>("homePage");

    // A template line holding "&", "?", "é", "#" and "%" arrives intact.
    QTest::newRow("Dutch")
        << "NLD"
        << "mailto:feedback@qzrate.example?Subject=Programma%20qzRate%2C%20"
           "versie%201.02&Body=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/mailform_n_php.php?ProgNam=qzRate%2C%20"
           "versie%201.02&Contents=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/index_n.php";
    QTest::newRow("English")
        << "ENU"
        << "mailto:feedback@qzrate.example?Subject=Program%20qzRate%2C%20"
           "versie%201.02&Body=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/mailform_e_php.php?ProgNam=qzRate%2C%20"
           "versie%201.02&Contents=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/index.php";
    // Only "NLD" exactly speaks Dutch.
    QTest::newRow("lower-case nld")
        << "nld"
        << "mailto:feedback@qzrate.example?Subject=Program%20qzRate%2C%20"
           "versie%201.02&Body=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/mailform_e_php.php?ProgNam=qzRate%2C%20"
           "versie%201.02&Contents=Zo%20%26%20zo%3F%20caf%C3%A9%0D%0A%0D%0A%23%25"
        << "http://127.0.0.1:8451/index.php";
}

void TestFeedbackLinks::links() {
    QFETCH(QString, language);
    const AboutTexts texts = AboutTextsFor(language);
    const QStringList lines{QStringLiteral("Zo & zo? caf\u00e9"), QString(), QStringLiteral("#%")};
    QTEST(MailLink(texts, lines, kProgram, kVersion), "mailLink");
    QTEST(WebFormLink(texts, kPublisher, lines, kProgram, kVersion), "webFormLink");
    QTEST(HomePageLink(texts, kPublisher), "homePage");
}

void TestFeedbackLinks::bodyOfTheTemplate_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("body");

    QTest::newRow("one line") << QStringList{"Hallo daar"} << "Hallo%20daar";
    QTest::newRow("empty last line") << QStringList{"a", "", "b", ""} << "a%0D%0A%0D%0Ab%0D%0A";
    QTest::newRow("English template")
        << AboutTextsFor(QStringLiteral("ENU")).MailTemplate
        << "Hi%20Maarten%0D%0A%0D%0AOn%20your%20Home%20Page%20I%20found%20the%20program%20qzRate."
           "%0D%0AAbout%20this%20program%20I%20want%20to%20let%20you%20know%3A"
           "%0D%0A%0D%0A%0D%0A%0D%0A%0D%0A%0D%0AKind%20regards%2C%0D%0A";
}

void TestFeedbackLinks::bodyOfTheTemplate() {
    QFETCH(QStringList, lines);
    QTEST(MailBody(lines), "body");
}

void TestFeedbackLinks::longLinkIsNotCut() {
    const QStringList lines(40, QStringLiteral("Een lange regel tekst voor de auteur"));
    const QString link = MailLink(AboutTextsFor(QStringLiteral("NLD")), lines, kProgram, kVersion);
    QVERIFY(link.size() > 2000);
    QVERIFY(
        link.endsWith(QStringLiteral("%0D%0AEen%20lange%20regel%20tekst%20voor%20de%20auteur")));
    QCOMPARE(link.count(QStringLiteral("%0D%0A")), 39);
}

void TestFeedbackLinks::linksSurviveUrlParsing() {
    // The desktop gets the link as a URL: parsing must neither decode nor re-encode a piece.
    const AboutTexts texts = AboutTextsFor(QStringLiteral("ENU"));
    const QStringList lines{QStringLiteral("a&b=c?d#e%41 \u00e9\u20ac+")};
    for (const QString& link : {MailLink(texts, lines, kProgram, kVersion),
                                WebFormLink(texts, kPublisher, lines, kProgram, kVersion)}) {
        const QUrl url = QUrl::fromEncoded(link.toUtf8(), QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(link));
        QCOMPARE(QString::fromUtf8(url.toEncoded()), link);
    }
}

void TestFeedbackLinks::noPublisherGivesNoLink() {
    const AboutTexts texts = AboutTextsFor(QStringLiteral("ENU"));
    QCOMPARE(HomePageLink(texts, QUrl()), QString());
    QCOMPARE(HomePageLink(texts, QUrl(QStringLiteral("file:///srv/"))), QString());
    QCOMPARE(WebFormLink(texts, QUrl(), {QStringLiteral("x")}, kProgram, kVersion), QString());
    // A base with a folder keeps it.
    QCOMPARE(HomePageLink(texts, QUrl(QStringLiteral("https://h.example/pub/"))),
             QStringLiteral("https://h.example/pub/index.php"));
}

void TestFeedbackLinks::route_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("webForm");

    QTest::newRow("marker") << "rundll32.exe url.dll,MailToProtocolHandler %l" << true;
    QTest::newRow("marker alone") << "MailToProtocolHandler" << true;
    QTest::newRow("lower case") << "mailtoprotocolhandler %u" << false;
    QTest::newRow("mail program") << "thunderbird -compose %u" << false;
    QTest::newRow("no handler") << "" << false;
}

void TestFeedbackLinks::route() {
    QFETCH(QString, command);
    QTEST(UsesWebForm(command), "webForm");
}

void TestFeedbackLinks::mailNotSentLine_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("line");

    QTest::newRow("Dutch, link") << "NLD" << 1
                                 << "Het verzenden van de mail is niet gelukt (Fout 1).";
    QTest::newRow("English, form") << "ENU" << 2 << "Sending mail didn't succeed (Error 2).";
}

void TestFeedbackLinks::mailNotSentLine() {
    QFETCH(QString, language);
    QFETCH(int, code);
    QTEST(AboutTextsFor(language).MailNotSentFirstLine(code), "line");
}

void TestFeedbackLinks::keepOnScreen_data() {
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QPoint>("placed");

    // On a 1920 x 1080 screen, a box of 437 x 285.
    QTest::newRow("fits") << QRect(300, 150, 437, 285) << QPoint(300, 150);
    QTest::newRow("bottom just fits") << QRect(300, 750, 437, 285) << QPoint(300, 750);
    QTest::newRow("bottom within 45") << QRect(300, 751, 437, 285) << QPoint(300, 750);
    QTest::newRow("right edge on screen") << QRect(1483, 150, 437, 285) << QPoint(1483, 150);
    QTest::newRow("right edge off screen") << QRect(1484, 150, 437, 285) << QPoint(1480, 150);
    QTest::newRow("left of the screen") << QRect(-20, 150, 437, 285) << QPoint(2, 150);
    QTest::newRow("above the screen") << QRect(300, -1, 437, 285) << QPoint(300, 2);
    QTest::newRow("top 0 stays") << QRect(0, 0, 437, 285) << QPoint(0, 0);
    // Taller than the screen: moved up, then back to 2.
    QTest::newRow("taller than the screen") << QRect(300, 150, 437, 1100) << QPoint(300, 2);
}

void TestFeedbackLinks::keepOnScreen() {
    QFETCH(QRect, box);
    QTEST(KeepAboutBoxOnScreen(box, QSize(1920, 1080)), "placed");
}

QTEST_APPLESS_MAIN(TestFeedbackLinks)
#include "tst_feedbacklinks.moc"
