#include "app/mainform.h"
#include "app/messageform.h"
#include "app/windowset.h"
#include "info/aboutbox.h"
#include "recordingshell.h"
#include "settings/programidentity.h"
#include "settings/settingsstore.h"
#include "testkit/windowfixture.h"
#include "update/versionsform.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

struct Message {
    QRect Reference;
    QString Line1;
    QString Line2;
    int IntervalMs = 0;
};

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void formCreateSizes();
    void texts_data();
    void texts();
    void storedPositionIsKeptOnScreen();
    void laterShowingsKeepTheTexts();
    void authorPageAndBack_data();
    void authorPageAndBack();
    void refusals_data();
    void refusals();
    void acceptedLinkShowsNothing();
    void menuOpensTheBoxModally();

private:
    void CreateBox(const QString& language);

    QTemporaryDir Folder;
    QString IniPath;
    RecordingShell Recorder;
    QWidget MainWindow;
    QList<Message> Messages;
    std::unique_ptr<TAboutBox> Box;
};

void TestAboutBox::initTestCase() {
    QVERIFY(Folder.isValid());
    // No mail program registered: the mailto route, read through xdg-mime.
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "DESKTOP_SESSION"})
        qunsetenv(name);
    for (const char* name :
         {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
        qputenv(name, Folder.filePath(QString::fromLatin1(name)).toUtf8());
    IniPath = Folder.filePath(QStringLiteral("qzRate.ini"));
    MainWindow.setWindowTitle(QStringLiteral("qzRate, versie 1.02"));
}

void TestAboutBox::init() {
    QFile::remove(IniPath);
    QDir(Folder.filePath(QStringLiteral("XDG_CONFIG_HOME"))).removeRecursively();
    Recorder = RecordingShell();
    Messages.clear();
}

void TestAboutBox::cleanup() {
    Box.reset();
}

void TestAboutBox::CreateBox(const QString& language) {
    Box = std::make_unique<TAboutBox>(SettingsStore::AtPath(IniPath));
    Box->Desktop = &Recorder;
    Box->Language = language;
    Box->Publisher = QUrl(QStringLiteral("http://127.0.0.1:8451/"));
    Box->ScreenSize = [] { return QSize(1920, 1080); };
    Box->MainForm = &MainWindow;
    Box->ShowTimed = [this](int top, int left, int height, int width, const QString& line1,
                            const QString& line2, int intervalMs) {
        Messages.append({QRect(left, top, width, height), line1, line2, intervalMs});
    };
    Box->FormCreate();
}

void TestAboutBox::formCreateSizes() {
    CreateBox(QStringLiteral("NLD"));
    QCOMPARE(Box->size(), QSize(437, 285));
    QCOMPARE(Box->NameLabel->width(), 437);
    QCOMPARE(Box->VersionLabel->width(), 437);
    QCOMPARE(Box->HomeBtn->x(), 289);
    QCOMPARE(Box->OKBtn->x(), 180);
    QCOMPARE(Box->OKBtn1->x(), 180);
    QCOMPARE(Box->pos(), QPoint(300, 150));
}

void TestAboutBox::texts_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("texts"); // caption, Label1, Label2, four hints
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("closing");

    QTest::newRow("Dutch") << "NLD"
                           << QStringList{"qzRate - Informatie",
                                          "qzRate is een eenvoudig programma om",
                                          "de koers van de USD-index te volgen.",
                                          "Verlaat Info-venster",
                                          "Stuur e-mail naar auteur",
                                          "Toon Home Page in Browser",
                                          "Verlaat Informatie-scherm"}
                           << "Hallo Maarten"
                           << "Het programma qzRate is geschreven door"
                           << "Schrijf, bel of mail voor nadere informatie!";
    QTest::newRow("English") << "ENU"
                             << QStringList{"qzRate - About",
                                            "qzRate is a simple program to follow",
                                            "the prices of the USD/EUR index.",
                                            "Close About Window",
                                            "Send e-mail to the author",
                                            "Show Home Page in Browser",
                                            "Close About Window"}
                             << "Hi Maarten"
                             << "qzRate has been written by:"
                             << "Write, Phone or Mail for more information.";
}

void TestAboutBox::texts() {
    QFETCH(QString, language);
    QFETCH(QStringList, texts);
    CreateBox(language);
    Box->show();
    QCOMPARE((QStringList{Box->windowTitle(), Box->Label1->text(), Box->Label2->text(),
                          Box->OKBtn->toolTip(), Box->MailBtn->toolTip(), Box->HomeBtn->toolTip(),
                          Box->OKBtn1->toolTip()}),
             texts);
    QCOMPARE(Box->NameLabel->text(), QStringLiteral("qzRate"));
    QCOMPARE(Box->VersionLabel->text(), QStringLiteral("versie 1.02"));
    QCOMPARE(Box->CopyrightLabel->text(), CopyrightText);
    const QStringList mail = Box->MailMemo->toPlainText().split(u'\n');
    QCOMPARE(mail.size(), 11);
    QTEST(mail.first(), "greeting");
    const QStringList author = Box->Memo1->toPlainText().split(u'\n');
    QCOMPARE(author.size(), 11);
    QTEST(author.at(1), "heading");
    QTEST(author.at(10), "closing");
}

void TestAboutBox::storedPositionIsKeptOnScreen() {
    {
        SettingsStore store = SettingsStore::AtPath(IniPath);
        store.WriteInteger(QStringLiteral("About-Top"), 900);
        store.WriteInteger(QStringLiteral("About-Left"), -20);
    }
    CreateBox(QStringLiteral("ENU"));
    Box->show();
    const QRect frame = Box->frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint(2, 1080 - frame.height() - 45));
    Box.reset();
    // The adjusted position is the one stored at the end.
    const SettingsStore store = SettingsStore::AtPath(IniPath);
    QCOMPARE(store.ReadInteger(QStringLiteral("About-Left"), 0), 2);
    QCOMPARE(store.ReadInteger(QStringLiteral("About-Top"), 0), 1080 - frame.height() - 45);
}

void TestAboutBox::laterShowingsKeepTheTexts() {
    CreateBox(QStringLiteral("NLD"));
    Box->show();
    Box->hide();
    Box->Language = QStringLiteral("ENU");
    Box->move(-50, 40);
    Box->show();
    QCOMPARE(Box->windowTitle(), QStringLiteral("qzRate - Informatie"));
    QCOMPARE(Box->pos(), QPoint(-50, 40));
}

void TestAboutBox::authorPageAndBack_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("Dutch") << "NLD";
    QTest::newRow("English") << "ENU";
}

void TestAboutBox::authorPageAndBack() {
    QFETCH(QString, language);
    CreateBox(language);
    Box->show();
    QTest::mouseClick(Box->BtnAutor, Qt::LeftButton);
    QVERIFY(!Box->MainPanel->isVisible());
    QVERIFY(Box->Memo1->isVisible());
    QCOMPARE(Box->windowTitle(), QStringLiteral("qzRate - Informatie"));
    QTest::mouseClick(Box->OKBtn1, Qt::LeftButton);
    QCOMPARE(Box->windowTitle(), QStringLiteral("qzRate, versie 1.02 - Informatie"));
    QVERIFY(!Box->isVisible());
    QCOMPARE(Box->result(), int(QDialog::Accepted));
    Box->show();
    QVERIFY(Box->MainPanel->isVisible());
    // Escape on the author page also returns to the main page.
    QTest::mouseClick(Box->BtnAutor, Qt::LeftButton);
    QTest::keyClick(Box.get(), Qt::Key_Escape);
    QVERIFY(!Box->isVisible());
    QVERIFY(Box->MainPanel->isVisibleTo(Box.get()));
}

void TestAboutBox::refusals_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("mail");    // else the home page
    QTest::addColumn<bool>("webForm"); // the desktop's mail handler is the generic one
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<int>("intervalMs");

    QTest::newRow("mail, Dutch")
        << "NLD" << true << false
        << "mailto:feedback@qzrate.example?Subject=Programma%20qzRate%2C%20versie%201.02&Body="
           "Hallo%20Maarten%0D%0A%0D%0AIk%20vond%20op%20je%20Home%20Page%20het%20programma%"
           "20qzRate."
           "%0D%0AHierover%20wil%20ik%20het%20volgende%20opmerken%3A%0D%0A%0D%0A%0D%0A%0D%0A%0D%0A"
           "%0D%0AMet%20vriendelijke%20groet%2C%0D%0A"
        << "Het verzenden van de mail is niet gelukt (Fout 1)."
        << "Verstuur de mail op een andere manier s.v.p." << 5000;
    QTest::newRow("mail, English")
        << "ENU" << true << false
        << "mailto:feedback@qzrate.example?Subject=Program%20qzRate%2C%20versie%201.02&Body="
           "Hi%20Maarten%0D%0A%0D%0AOn%20your%20Home%20Page%20I%20found%20the%20program%20qzRate."
           "%0D%0AAbout%20this%20program%20I%20want%20to%20let%20you%20know%3A%0D%0A%0D%0A%0D%0A"
           "%0D%0A%0D%0A%0D%0AKind%20regards%2C%0D%0A"
        << "Sending mail didn't succeed (Error 1)."
        << "Send the mail in an other way please." << 5000;
    QTest::newRow("web form, English")
        << "ENU" << true << true
        << "http://127.0.0.1:8451/mailform_e_php.php?ProgNam=qzRate%2C%20versie%201.02&Contents="
           "Hi%20Maarten%0D%0A%0D%0AOn%20your%20Home%20Page%20I%20found%20the%20program%20qzRate."
           "%0D%0AAbout%20this%20program%20I%20want%20to%20let%20you%20know%3A%0D%0A%0D%0A%0D%0A"
           "%0D%0A%0D%0A%0D%0AKind%20regards%2C%0D%0A"
        << "Sending mail didn't succeed (Error 2)."
        << "Send the mail in an other way please." << 5000;
    QTest::newRow("home, Dutch") << "NLD" << false << false << "http://127.0.0.1:8451/index_n.php"
                                 << "Browser niet geopend."
                                 << "" << 3000;
    QTest::newRow("home, English") << "ENU" << false << false << "http://127.0.0.1:8451/index.php"
                                   << "Browser not opened."
                                   << "" << 3000;
}

void TestAboutBox::refusals() {
    QFETCH(QString, language);
    QFETCH(bool, mail);
    QFETCH(bool, webForm);
    if (webForm) {
        const QString config = Folder.filePath(QStringLiteral("XDG_CONFIG_HOME"));
        const QString data = Folder.filePath(QStringLiteral("XDG_DATA_HOME/applications"));
        QVERIFY(QDir().mkpath(config) && QDir().mkpath(data));
        QFile list(config + QStringLiteral("/mimeapps.list"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("[Default Applications]\nx-scheme-handler/mailto=webmail.desktop\n");
        QFile entry(data + QStringLiteral("/webmail.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Web mail\n"
                    "Exec=/bin/true url.dll,MailToProtocolHandler %u\n");
    }
    CreateBox(language);
    Box->show();
    QTest::mouseClick(mail ? Box->MailBtn : Box->HomeBtn, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(Messages.size(), 1, 20000);
    QTEST(Recorder.Links.value(0), "link");
    QCOMPARE(Recorder.Links.size(), 1);
    const Message& message = Messages.first();
    QCOMPARE(message.Reference, Box->frameGeometry());
    QTEST(message.Line1, "line1");
    QTEST(message.Line2, "line2");
    QTEST(message.IntervalMs, "intervalMs");
    QVERIFY(Box->isVisible());
    QVERIFY(Box->MailBtn->isEnabled());
}

void TestAboutBox::acceptedLinkShowsNothing() {
    CreateBox(QStringLiteral("ENU"));
    Recorder.Accepts = true;
    Box->show();
    QTest::mouseClick(Box->MailBtn, Qt::LeftButton);
    QVERIFY(!Box->MailBtn->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(Box->MailBtn->isEnabled(), 20000);
    QTest::mouseClick(Box->HomeBtn, Qt::LeftButton);
    QCOMPARE(Recorder.Links.size(), 2);
    QVERIFY(Messages.isEmpty());
}

void TestAboutBox::menuOpensTheBoxModally() {
    const WindowFixture fixture(IniPath);
    WindowSet& windows = *fixture.Set;
    TAboutBox& box = *windows.AboutBox;
    box.Desktop = &Recorder;
    box.Language = QStringLiteral("ENU");
    bool seen = false;
    // Runs inside the modal showing; a refused home page goes to the message window.
    QTimer::singleShot(0, &box, [&] {
        seen = box.isVisible() && box.isModal();
        QTest::mouseClick(box.HomeBtn, Qt::LeftButton);
        QTest::mouseClick(box.OKBtn, Qt::LeftButton);
    });
    windows.MainForm->OverqzRate->trigger();
    QVERIFY(seen);
    // Without a configured publisher both take the same fallback.
    QCOMPARE(windows.VersionsForm->Publisher, QUrl(QStringLiteral("https://www.qzrate.example/")));
    QCOMPARE(box.Publisher, windows.VersionsForm->Publisher);
    QVERIFY(!box.isVisible());
    QVERIFY(windows.MessageForm->isVisible());
    QCOMPARE(windows.MessageForm->MessageMemo->toPlainText(),
             QStringLiteral("\nBrowser not opened."));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
