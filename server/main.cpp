#include "server/publisherserver.h"
#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "server/referenceserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

namespace {
bool ReadPort(const QCommandLineParser& parser, const QString& name, quint16& port) {
    bool ok = false;
    const uint value = parser.value(name).toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return false;
    port = quint16(value);
    return true;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qzrate-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the demo IEX and D2E rate pages, the demo reference-rate files "
                       "and with --publisher the publisher's web server, on 127.0.0.1."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("iex-port"), QStringLiteral("Port of the IEX page."),
                      QStringLiteral("port"), QStringLiteral("8451")});
    parser.addOption({QStringLiteral("d2e-port"), QStringLiteral("Port of the D2E page."),
                      QStringLiteral("port"), QStringLiteral("8452")});
    parser.addOption({QStringLiteral("reference-port"),
                      QStringLiteral("Port of the reference-rate files (under /eurofxref/)."),
                      QStringLiteral("port"), QStringLiteral("8454")});
    parser.addOption({QStringLiteral("bad-pages"),
                      QStringLiteral("For this many seconds from the start the IEX and D2E pages "
                                     "answer with a maintenance page that holds no rate."),
                      QStringLiteral("seconds"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("series"),
                      QStringLiteral("Rates (dollar in euros) to quote in turn, e.g. "
                                     "0,9230;0,9241; without it the rate wanders."),
                      QStringLiteral("rates")});
    parser.addOption({QStringLiteral("publisher"),
                      QStringLiteral("Folder whose files the publisher's web server serves "
                                     "(versions.dat, installers, index.php, index_n.php)."),
                      QStringLiteral("folder")});
    parser.addOption({QStringLiteral("publisher-port"),
                      QStringLiteral("Port of the publisher's web server."), QStringLiteral("port"),
                      QStringLiteral("8453")});
    parser.process(app);

    QTextStream err(stderr);
    quint16 iexPort = 0;
    quint16 d2ePort = 0;
    quint16 publisherPort = 0;
    quint16 referencePort = 0;
    if (!ReadPort(parser, QStringLiteral("iex-port"), iexPort) ||
        !ReadPort(parser, QStringLiteral("d2e-port"), d2ePort) ||
        !ReadPort(parser, QStringLiteral("publisher-port"), publisherPort) ||
        !ReadPort(parser, QStringLiteral("reference-port"), referencePort)) {
        err << "qzrate-server: a port must be a number from 1 to 65535\n";
        return 2;
    }
    bool secondsOk = false;
    const uint badSeconds = parser.value(QStringLiteral("bad-pages")).toUInt(&secondsOk);
    if (!secondsOk || badSeconds > 24 * 3600) {
        err << "qzrate-server: --bad-pages takes a number of seconds up to a day\n";
        return 2;
    }

    RateFeed feed(0.9230, QRandomGenerator::global()->generate());
    if (parser.isSet(QStringLiteral("series"))) {
        const auto series = ParseRateSeries(parser.value(QStringLiteral("series")));
        if (!series) {
            err << "qzrate-server: --series takes positive rates separated by ';'\n";
            return 2;
        }
        feed = RateFeed(*series);
    }

    RatePageServer iex(RatePageServer::Kind::IEX, feed);
    RatePageServer d2e(RatePageServer::Kind::D2E, feed);
    ReferenceServer reference([] { return QDate::currentDate(); });
    if (!iex.Listen(iexPort) || !d2e.Listen(d2ePort) || !reference.Listen(referencePort)) {
        err << "qzrate-server: cannot listen: " << iex.ErrorString() << d2e.ErrorString()
            << reference.ErrorString() << '\n';
        return 1;
    }
    iex.AnswerBadlyFor(int(badSeconds * 1000));
    d2e.AnswerBadlyFor(int(badSeconds * 1000));
    QTextStream out(stdout);
    out << "IEX page at " << iex.Url().toString() << "\nD2E page at " << d2e.Url().toString()
        << "\nReference rates at " << reference.FolderUrl().toString() << '\n';
    if (badSeconds > 0)
        out << "Both rate pages answer badly for " << badSeconds << " s\n";

    std::unique_ptr<PublisherServer> publisher;
    if (parser.isSet(QStringLiteral("publisher"))) {
        const QString folder = parser.value(QStringLiteral("publisher"));
        if (!QFileInfo(folder).isDir()) {
            err << "qzrate-server: --publisher needs a folder: " << folder << '\n';
            return 2;
        }
        publisher = std::make_unique<PublisherServer>(folder);
        if (!publisher->Listen(publisherPort)) {
            err << "qzrate-server: cannot listen: " << publisher->ErrorString() << '\n';
            return 1;
        }
        out << "Publisher at " << publisher->Url().toString() << " serving " << folder << '\n';
    }
    out.flush();
    return QCoreApplication::exec();
}
