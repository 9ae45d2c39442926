#pragma once

#include <QString>
#include <QStringList>

// Who made the program and where feedback goes. The names, address and numbers are made up:
// the domain lies under the reserved .example top-level domain and the telephone number in a
// range kept free for fiction.
// Always on the publisher's own domain, whatever host the configuration points at.
inline const QString FeedbackAddress = QStringLiteral("feedback@qzrate.example");
inline const QString AuthorFirstName = QStringLiteral("Maarten");
// Name, street, postcode and town, telephone, e-mail, web address.
inline const QStringList AuthorContactLines = {
    QStringLiteral("Maarten Ellenbroek"),     QStringLiteral("Voorbeeldweg 12"),
    QStringLiteral("1234 AB Ergensdorp"),     QStringLiteral("Tel. +44 20 7946 0147"),
    QStringLiteral("maarten@qzrate.example"), QStringLiteral("www.qzrate.example"),
};
