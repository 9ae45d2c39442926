#include "support/systeminfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <array>

QString LanguageCodeForId(int languageId) {
    switch (languageId) {
    case 1043: // Dutch, Netherlands
    case 2067: // Dutch, Belgium
    case 1078: // Afrikaans
        return QStringLiteral("NLD");
    default:
        return QStringLiteral("ENU");
    }
}

namespace {

struct LanguageId {
    QLocale::Language language;
    QLocale::Territory territory; // AnyTerritory: the language's usual id
    int id;
};

// Territory-specific rows come before the row that serves the rest of the language.
constexpr std::array kLanguageIds{
    LanguageId{QLocale::Dutch, QLocale::Belgium, 2067},
    LanguageId{QLocale::Dutch, QLocale::AnyTerritory, 1043},
    LanguageId{QLocale::Afrikaans, QLocale::AnyTerritory, 1078},
    LanguageId{QLocale::WesternFrisian, QLocale::AnyTerritory, 1122},
    LanguageId{QLocale::English, QLocale::UnitedKingdom, 2057},
    LanguageId{QLocale::English, QLocale::Australia, 3081},
    LanguageId{QLocale::English, QLocale::Canada, 4105},
    LanguageId{QLocale::English, QLocale::NewZealand, 5129},
    LanguageId{QLocale::English, QLocale::Ireland, 6153},
    LanguageId{QLocale::English, QLocale::SouthAfrica, 7177},
    LanguageId{QLocale::English, QLocale::India, 16393},
    LanguageId{QLocale::English, QLocale::AnyTerritory, 1033},
    LanguageId{QLocale::German, QLocale::Switzerland, 2055},
    LanguageId{QLocale::German, QLocale::Austria, 3079},
    LanguageId{QLocale::German, QLocale::Luxembourg, 4103},
    LanguageId{QLocale::German, QLocale::AnyTerritory, 1031},
    LanguageId{QLocale::French, QLocale::Belgium, 2060},
    LanguageId{QLocale::French, QLocale::Canada, 3084},
    LanguageId{QLocale::French, QLocale::Switzerland, 4108},
    LanguageId{QLocale::French, QLocale::Luxembourg, 5132},
    LanguageId{QLocale::French, QLocale::AnyTerritory, 1036},
    LanguageId{QLocale::Italian, QLocale::Switzerland, 2064},
    LanguageId{QLocale::Italian, QLocale::AnyTerritory, 1040},
    LanguageId{QLocale::Spanish, QLocale::Mexico, 2058},
    LanguageId{QLocale::Spanish, QLocale::AnyTerritory, 3082},
    LanguageId{QLocale::Portuguese, QLocale::Brazil, 1046},
    LanguageId{QLocale::Portuguese, QLocale::AnyTerritory, 2070},
    LanguageId{QLocale::Swedish, QLocale::Finland, 2077},
    LanguageId{QLocale::Swedish, QLocale::AnyTerritory, 1053},
    LanguageId{QLocale::Chinese, QLocale::Taiwan, 1028},
    LanguageId{QLocale::Chinese, QLocale::HongKong, 3076},
    LanguageId{QLocale::Chinese, QLocale::AnyTerritory, 2052},
    LanguageId{QLocale::Danish, QLocale::AnyTerritory, 1030},
    LanguageId{QLocale::NorwegianBokmal, QLocale::AnyTerritory, 1044},
    LanguageId{QLocale::Finnish, QLocale::AnyTerritory, 1035},
    LanguageId{QLocale::Polish, QLocale::AnyTerritory, 1045},
    LanguageId{QLocale::Czech, QLocale::AnyTerritory, 1029},
    LanguageId{QLocale::Hungarian, QLocale::AnyTerritory, 1038},
    LanguageId{QLocale::Greek, QLocale::AnyTerritory, 1032},
    LanguageId{QLocale::Turkish, QLocale::AnyTerritory, 1055},
    LanguageId{QLocale::Russian, QLocale::AnyTerritory, 1049},
    LanguageId{QLocale::Japanese, QLocale::AnyTerritory, 1041},
    LanguageId{QLocale::Korean, QLocale::AnyTerritory, 1042},
};

constexpr int kEnglishUnitedStates = 1033;

struct SupportFacts {
    bool started = false;
    QString languageCode;
    QString programFolder;
    QString downloadFolder;
};

SupportFacts& Facts() {
    static SupportFacts facts;
    return facts;
}

QString RunningProgramFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString UserDownloadFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!folder.isEmpty())
        return folder;
    return QDir::homePath() + QStringLiteral("/Downloads");
}

} // namespace

int WindowsLanguageId(const QLocale& locale) {
    for (const LanguageId& row : kLanguageIds) {
        if (row.language == locale.language() &&
            (row.territory == QLocale::AnyTerritory || row.territory == locale.territory()))
            return row.id;
    }
    return kEnglishUnitedStates;
}

QString FolderWithSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

void SupportStartup() {
    SupportFacts& facts = Facts();
    if (facts.started)
        return;
    facts.started = true;
    facts.programFolder = FolderWithSeparator(RunningProgramFolder());
    facts.languageCode = LanguageCodeForId(WindowsLanguageId(QLocale::system()));
    facts.downloadFolder = FolderWithSeparator(UserDownloadFolder());
}

const QString& LanguageCode() {
    return Facts().languageCode;
}
const QString& ProgramFolder() {
    return Facts().programFolder;
}
const QString& DownloadFolder() {
    return Facts().downloadFolder;
}

QString UserDataFolder(const QString& programName) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    const QString folder = FolderWithSeparator(base) + programName + u'/';
    // A folder that cannot be made stays absent; the caller goes on with the path.
    QDir().mkpath(folder);
    return folder;
}
