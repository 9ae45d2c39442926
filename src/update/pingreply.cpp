#include "update/pingreply.h"

#include <QRegularExpression>

#include <cmath>

int ReadPingReply(const QString& output) {
    // "=" or "<" directly before a number, then "ms": the reply line. Summary lines such as
    // "time 0ms" or "= 0.045/0.045/0.045/0.000 ms" do not have that shape.
    static const QRegularExpression reply(QStringLiteral(R"([=<] ?(\d+(?:[.,]\d+)?) ?ms\b)"));
    const QRegularExpressionMatch match = reply.match(output);
    if (!match.hasMatch())
        return 0;
    QString number = match.captured(1);
    number.replace(u',', u'.');
    const double ms = number.toDouble();
    return std::max(1, int(std::ceil(ms)));
}
