#include "info/feedbackmail.h"

#include "info/feedbacklinks.h"
#include "info/schemehandler.h"
#include "info/shell.h"

#include <QPointer>

FeedbackMail::FeedbackMail(Shell& shell, const QUrl& publisher, const QString& languageCode,
                           QObject* parent)
    : QObject(parent), Desktop(shell), Publisher(publisher), Texts(AboutTextsFor(languageCode)) {}

void FeedbackMail::SendFeedbackMail(const QStringList& lines, const QString& programName,
                                    const QString& versionText) {
    ReadMailHandlerCommand(this, [this, lines, programName, versionText](const QString& command) {
        if (UsesWebForm(command))
            SendByWebForm(lines, programName, versionText);
        else
            SendByMailLink(lines, programName, versionText);
    });
}

void FeedbackMail::SendByMailLink(const QStringList& lines, const QString& programName,
                                  const QString& versionText) {
    Open(MailLink(Texts, lines, programName, versionText), MailLinkRefused);
}

void FeedbackMail::SendByWebForm(const QStringList& lines, const QString& programName,
                                 const QString& versionText) {
    Open(WebFormLink(Texts, Publisher, lines, programName, versionText), WebFormRefused);
}

void FeedbackMail::Open(const QString& link, int refusedCode) {
    // The shell may answer after this object is gone.
    Desktop.Open(link, [self = QPointer(this), refusedCode](bool accepted) {
        if (self)
            emit self->Finished(accepted ? Handed : refusedCode);
    });
}
