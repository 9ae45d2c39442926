#include "update/pingreply.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

int ReadPingReply(const QString& output) {
    // "=" or "<" directly before a number, then "ms": the reply line. Summary lines such as
    // "time 0ms" or "= 0.045/0.045/0.045/0.000 ms" do not have that shape.
    static const QRegularExpression reply(QStringLiteral(R"([=<] ?(\d+(?:[.,]\d+)?) ?ms\b)"));
    const QRegularExpressionMatch match = reply.match(output);
    if (!match.hasMatch())
        return 0;
    QString number = match.captured(1);
    number.replace(u',', u'.');
    // A time too long for an int still counts as a reply: the longest there is.
    const double ms = std::ceil(number.toDouble());
    return int(std::clamp(ms, 1.0, double(std::numeric_limits<int>::max())));
}
