#include "server/ratepages.h"

#include <QString>

namespace {
QByteArray DutchNumber(double x, int decimals) {
    return QByteArray::number(x, 'f', decimals).replace('.', ',');
}

QByteArray Page(const QByteArray& title, const QByteArray& content) {
    return "<!DOCTYPE html>\n<html lang=\"nl\">\n<head>\n<meta charset=\"iso-8859-1\">\n<title>" +
           title +
           "</title>\n<style>body{font-family:sans-serif;margin:2em}td{padding:0 1em}</style>\n"
           "</head>\n<body>\n<h1>" +
           title + "</h1>\n" + content +
           "<p class=\"disclaimer\">Koersen zijn indicatief en vertraagd. Demopagina op "
           "127.0.0.1.</p>\n</body>\n</html>\n";
}
} // namespace

QByteArray IEXRatePage(double eurUsd, double relativeDifferencePercent) {
    const QByteArray change = (relativeDifferencePercent >= 0 ? "+" : "") +
                              DutchNumber(relativeDifferencePercent, 2) + '%';
    return Page(
        "Valuta - EUR/USD",
        "<table class=\"quotes\">\n<tr><th>Fonds</th><th>Laatst</th><th>Verschil</th></tr>\n"
        "<tr><td><a href=\"/koers/eur-usd\">EUR/USD</a></td>\n"
        "<td><span id=\"190143785LastPrice\" class=\"price\">" +
            DutchNumber(eurUsd, 4) +
            "</span></td>\n"
            "<td><span id=\"190143785RelativeDifference\" class=\"change\">" +
            change + "</span></td></tr>\n</table>\n");
}

QByteArray D2ERatePage(double usdEur) {
    return Page("Wisselkoersen", "<div class=\"rates\">\n<div class=\"ratesC1\">1 USD =</div>\n"
                                 "<div id=\"ratesC1Value\" class=\"value\">" +
                                     DutchNumber(usdEur, 4) +
                                     "</div>\n<div class=\"ratesC2\">EUR</div>\n</div>\n");
}

QByteArray MaintenancePage() {
    return Page("Onderhoud", "<p>Deze pagina is tijdelijk niet beschikbaar. Probeer het later "
                             "opnieuw.</p>\n");
}
