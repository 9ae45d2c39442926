#pragma once

#include "info/abouttexts.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

class Shell;

// Sends the user's feedback without sending mail itself: it hands one link to the desktop,
// a mailto link for the user's mail program, or the publisher's web mail form when the
// registered mail command is the generic protocol handler. Never waits for the desktop.
class FeedbackMail : public QObject {
    Q_OBJECT

public:
    // Result codes of Finished.
    static constexpr int Handed = 0;
    static constexpr int MailLinkRefused = 1;
    static constexpr int WebFormRefused = 2;

    FeedbackMail(Shell& shell, const QUrl& publisher, const QString& languageCode,
                 QObject* parent = nullptr);

    // Reads the registered mail command anew and sends by its route.
    void SendFeedbackMail(const QStringList& lines, const QString& programName,
                          const QString& versionText);
    void SendByMailLink(const QStringList& lines, const QString& programName,
                        const QString& versionText);
    void SendByWebForm(const QStringList& lines, const QString& programName,
                       const QString& versionText);

signals:
    // Handed, MailLinkRefused or WebFormRefused, once per send.
    void Finished(int code);

private:
    void Open(const QString& link, int refusedCode);

    Shell& Desktop;
    QUrl Publisher;
    AboutTexts Texts;
};
