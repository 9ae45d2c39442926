#include "info/abouttexts.h"

#include "info/authordetails.h"

bool IsDutch(const QString& languageCode) {
    return languageCode == u"NLD";
}

QString AboutTexts::MailNotSentFirstLine(int code) const {
    return MailNotSentPattern.arg(code);
}

namespace {

// Eleven lines: greeting, empty, two opening lines, five empty lines for the user's words,
// the closing and an empty line.
QStringList MailTemplate(const QString& greeting, const QString& found, const QString& remark,
                         const QString& closing) {
    return {greeting + AuthorFirstName,
            QString(),
            found,
            remark,
            QString(),
            QString(),
            QString(),
            QString(),
            QString(),
            closing,
            QString()};
}

QStringList AuthorPage(const QString& heading, const QString& closing) {
    return QStringList{QString(), heading, QString()} + AuthorContactLines +
           QStringList{QString(), closing};
}

} // namespace

AboutTexts AboutTextsFor(const QString& languageCode) {
    AboutTexts texts;
    if (IsDutch(languageCode)) {
        texts.CaptionSuffix = QStringLiteral(" - Informatie");
        texts.Label1 = QStringLiteral("qzRate is een eenvoudig programma om");
        texts.Label2 = QStringLiteral("de koers van de USD-index te volgen.");
        texts.OKBtnHint = QStringLiteral("Verlaat Info-venster");
        texts.MailBtnHint = QStringLiteral("Stuur e-mail naar auteur");
        texts.HomeBtnHint = QStringLiteral("Toon Home Page in Browser");
        texts.OKBtn1Hint = QStringLiteral("Verlaat Informatie-scherm");
        texts.HomePath = QStringLiteral("/index_n.php");
        texts.BrowserNotOpened = QStringLiteral("Browser niet geopend.");
        texts.MailNotSentPattern =
            QStringLiteral("Het verzenden van de mail is niet gelukt (Fout %1).");
        texts.MailNotSentSecondLine =
            QStringLiteral("Verstuur de mail op een andere manier s.v.p.");
        texts.SubjectPrefix = QStringLiteral("Programma ");
        texts.WebFormPath = QStringLiteral("/mailform_n_php.php?ProgNam=");
        texts.MailTemplate =
            MailTemplate(QStringLiteral("Hallo "),
                         QStringLiteral("Ik vond op je Home Page het programma qzRate."),
                         QStringLiteral("Hierover wil ik het volgende opmerken:"),
                         QStringLiteral("Met vriendelijke groet,"));
        texts.AuthorPage =
            AuthorPage(QStringLiteral("Het programma qzRate is geschreven door"),
                       QStringLiteral("Schrijf, bel of mail voor nadere informatie!"));
    } else {
        texts.CaptionSuffix = QStringLiteral(" - About");
        texts.Label1 = QStringLiteral("qzRate is a simple program to follow");
        texts.Label2 = QStringLiteral("the prices of the USD/EUR index.");
        texts.OKBtnHint = QStringLiteral("Close About Window");
        texts.MailBtnHint = QStringLiteral("Send e-mail to the author");
        texts.HomeBtnHint = QStringLiteral("Show Home Page in Browser");
        texts.OKBtn1Hint = QStringLiteral("Close About Window");
        texts.HomePath = QStringLiteral("/index.php");
        texts.BrowserNotOpened = QStringLiteral("Browser not opened.");
        texts.MailNotSentPattern = QStringLiteral("Sending mail didn't succeed (Error %1).");
        texts.MailNotSentSecondLine = QStringLiteral("Send the mail in an other way please.");
        texts.SubjectPrefix = QStringLiteral("Program ");
        texts.WebFormPath = QStringLiteral("/mailform_e_php.php?ProgNam=");
        texts.MailTemplate = MailTemplate(
            QStringLiteral("Hi "), QStringLiteral("On your Home Page I found the program qzRate."),
            QStringLiteral("About this program I want to let you know:"),
            QStringLiteral("Kind regards,"));
        texts.AuthorPage = AuthorPage(QStringLiteral("qzRate has been written by:"),
                                      QStringLiteral("Write, Phone or Mail for more information."));
    }
    return texts;
}
