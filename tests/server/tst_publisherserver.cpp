#include "server/publisherserver.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class TestPublisherServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void demoListOffersTheStandInInstaller();

private:
    QByteArray Get(const QByteArray& target);

    QTemporaryDir dir;
    std::unique_ptr<PublisherServer> server;
};

void TestPublisherServer::initTestCase() {
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkdir("sub");
    const QList<std::pair<QString, QByteArray>> files{
        {"versions.dat", "qzRate,qzRate103.exe,b,1400\r\n"},
        {"qzRate103.exe", QByteArray("MZ\0\x01", 4)},
        {".hidden", "secret"},
        {"sub/inner.txt", "inner"},
        {"index.php", "<html>home</html>"}};
    for (const auto& [name, bytes] : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    server = std::make_unique<PublisherServer>(dir.filePath("sub/.."));
    QVERIFY(server->Listen());
}

QByteArray TestPublisherServer::Get(const QByteArray& target) {
    QTcpSocket socket;
    QByteArray received;
    connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
    QSignalSpy closed(&socket, &QTcpSocket::disconnected);
    socket.connectToHost(QHostAddress::LocalHost, server->Port());
    socket.write("GET " + target + " HTTP/1.1\r\nHost: p\r\n\r\n");
    if (!closed.wait(5000))
        return "no close";
    return received + socket.readAll();
}

void TestPublisherServer::answers_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("version list") << QByteArray("/versions.dat") << 200
                                  << QByteArray("qzRate,qzRate103.exe,b,1400\r\n");
    QTest::newRow("installer bytes")
        << QByteArray("/qzRate103.exe") << 200 << QByteArray("MZ\0\x01", 4);
    QTest::newRow("home page") << QByteArray("/index.php") << 200
                               << QByteArray("<html>home</html>");
    QTest::newRow("missing file") << QByteArray("/qzRate104.exe") << 404 << QByteArray();
    QTest::newRow("folder root") << QByteArray("/") << 404 << QByteArray();
    QTest::newRow("hidden file") << QByteArray("/.hidden") << 404 << QByteArray();
    QTest::newRow("sub-folder") << QByteArray("/sub/inner.txt") << 404 << QByteArray();
    QTest::newRow("encoded way up") << QByteArray("/..%2Fetc%2Fpasswd") << 404 << QByteArray();
    QTest::newRow("encoded separator") << QByteArray("/sub%2Finner.txt") << 404 << QByteArray();
    QTest::newRow("a folder itself") << QByteArray("/sub") << 404 << QByteArray();
    QTest::newRow("mail form, escaped")
        << QByteArray("/mailform_e_php.php?ProgNam=qzRate,%20versie%201.02&Contents=%3Cb%3Ehi")
        << 200 << QByteArray("&lt;b&gt;hi");
    QTest::newRow("Dutch mail form")
        << QByteArray("/mailform_n_php.php?ProgNam=qzRate") << 200 << QByteArray("Bedankt");
}

void TestPublisherServer::answers() {
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    const QByteArray answer = Get(target);
    QVERIFY2(answer.startsWith("HTTP/1.1 " + QByteArray::number(status)), answer.constData());
    const QByteArray received = answer.mid(answer.indexOf("\r\n\r\n") + 4);
    if (status == 200 && !target.startsWith("/mailform"))
        QCOMPARE(received, body);
    else
        QVERIFY(received.contains(body));
}

void TestPublisherServer::demoListOffersTheStandInInstaller() {
    // The demo folder's list names an installer that the folder holds, with its size.
    const QString demo = QStringLiteral(QZRATE_SOURCE_DIR "/server/publisher/");
    QFile list(demo + "versions.dat");
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QByteArray text = list.readAll();
    const qsizetype at = text.indexOf("\r\nqzRate,");
    QVERIFY(at > 0);
    const QList<QByteArray> fields =
        text.mid(at + 2, text.indexOf('\r', at + 2) - at - 2).split(',');
    QFileInfo installer(demo + QString::fromLatin1(fields[1]));
    QVERIFY(installer.isExecutable());
    QCOMPARE(fields[3].toLongLong(), (installer.size() + 1023) / 1024);
}

QTEST_GUILESS_MAIN(TestPublisherServer)
#include "tst_publisherserver.moc"
