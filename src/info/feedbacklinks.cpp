#include "info/feedbacklinks.h"

#include "info/abouttexts.h"
#include "info/authordetails.h"

namespace {

const QString kLineSeparator = QStringLiteral("%0D%0A");

QString Encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString ProgramText(const QString& programName, const QString& versionText) {
    return programName + QStringLiteral(", ") + versionText;
}

// The publisher's base address without its closing '/', so that a path can follow; empty when
// no valid publisher is configured.
QString PublisherRoot(const QUrl& publisher) {
    if (!publisher.isValid() || publisher.host().isEmpty())
        return {};
    QString root = QString::fromLatin1(publisher.toEncoded());
    if (root.endsWith(u'/'))
        root.chop(1);
    return root;
}

} // namespace

QString MailBody(const QStringList& lines) {
    QStringList encoded;
    for (const QString& line : lines)
        encoded.append(Encoded(line));
    return encoded.join(kLineSeparator);
}

QString MailLink(const AboutTexts& texts, const QStringList& lines, const QString& programName,
                 const QString& versionText) {
    const QString subject = texts.SubjectPrefix + ProgramText(programName, versionText);
    return QStringLiteral("mailto:") + FeedbackAddress + QStringLiteral("?Subject=") +
           Encoded(subject) + QStringLiteral("&Body=") + MailBody(lines);
}

QString WebFormLink(const AboutTexts& texts, const QUrl& publisher, const QStringList& lines,
                    const QString& programName, const QString& versionText) {
    const QString root = PublisherRoot(publisher);
    if (root.isEmpty())
        return {};
    return root + texts.WebFormPath + Encoded(ProgramText(programName, versionText)) +
           QStringLiteral("&Contents=") + MailBody(lines);
}

QString HomePageLink(const AboutTexts& texts, const QUrl& publisher) {
    const QString root = PublisherRoot(publisher);
    return root.isEmpty() ? QString() : root + texts.HomePath;
}

bool UsesWebForm(const QString& mailHandlerCommand) {
    return mailHandlerCommand.contains(QStringLiteral("MailToProtocolHandler"), Qt::CaseSensitive);
}
