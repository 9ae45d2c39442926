#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

struct AboutTexts;

// The links that the information box hands to the desktop. Every text taken from the user's
// language or template is percent-encoded as UTF-8, so "&", "?", "#", "%" or a letter outside
// ASCII arrives as written; the lines of the mail text are joined by an encoded CR LF. No link
// is cut, however long.

// The template lines joined by "%0D%0A".
QString MailBody(const QStringList& lines);
// mailto: feedback address, subject (prefix, program name, version text) and body.
QString MailLink(const AboutTexts& texts, const QStringList& lines, const QString& programName,
                 const QString& versionText);
// The publisher's web mail form with the program text and the body in its query.
QString WebFormLink(const AboutTexts& texts, const QUrl& publisher, const QStringList& lines,
                    const QString& programName, const QString& versionText);
// The publisher's home page in the user's language; empty without a valid publisher.
QString HomePageLink(const AboutTexts& texts, const QUrl& publisher);
// True when the mail-link command is the generic protocol handler, which takes no mail text:
// then the web form is used. The marker is matched exactly, letter case included.
bool UsesWebForm(const QString& mailHandlerCommand);
