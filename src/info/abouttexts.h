#pragma once

#include <QString>
#include <QStringList>

// Every text of the information box and the feedback mail in the user's language: Dutch when
// the language code is exactly "NLD", English otherwise.
struct AboutTexts {
    QString CaptionSuffix;
    QString Label1;
    QString Label2;
    QString OKBtnHint;
    QString MailBtnHint;
    QString HomeBtnHint;
    QString OKBtn1Hint;
    QString HomePath;
    QString BrowserNotOpened;
    QString MailNotSentSecondLine;
    QString SubjectPrefix;
    QString WebFormPath; // with its first query key
    QStringList MailTemplate;
    QStringList AuthorPage;

    QString MailNotSentFirstLine(int code) const;

private:
    QString MailNotSentPattern; // %1 stands for the code
    friend AboutTexts AboutTextsFor(const QString& languageCode);
};

bool IsDutch(const QString& languageCode);
AboutTexts AboutTextsFor(const QString& languageCode);
