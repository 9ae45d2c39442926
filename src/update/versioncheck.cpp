#include "update/versioncheck.h"

#include "support/texthelpers.h"

#include <QStringList>

namespace {

constexpr qsizetype MinListLength = 50;

// A comma at the end of the line gives no empty last field; two adjacent commas give one.
QStringList SplitFields(const QString& line) {
    QStringList fields = line.split(u',');
    if (fields.size() > 1 && fields.last().isEmpty())
        fields.removeLast();
    return fields;
}

// The version letter at the end of a version text, or no letter.
QChar CurrentLetter(const QString& versionText) {
    const QChar last = versionText.isEmpty() ? QChar() : versionText.back();
    return last >= u'a' && last <= u'z' ? last : QChar();
}

// A file name that, joined to a folder, could reach outside it.
bool IsUnsafeFileName(const QString& name) {
    return name.isEmpty() || name.contains(u'/') || name.contains(u'\\') ||
           name.contains(QStringLiteral(".."));
}

// A whole decimal number without sign; false for anything else or an int overflow.
bool ReadWholeNumber(const QString& text, int& value) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

// The program's line starts a line of the list; another program's name that merely ends in
// ours must not be taken for it. Empty when not found or when nothing follows the name.
QString ProgramLine(const QString& list, const QString& name, bool& complete) {
    const QString key = name + u',';
    qsizetype at = 0;
    while ((at = list.indexOf(key, at)) >= 0) {
        if (at == 0 || list.at(at - 1) == u'\n' || list.at(at - 1) == u'\r')
            break;
        ++at;
    }
    if (at < 0 || at + key.size() == list.size())
        return {};
    const qsizetype end = list.indexOf(u'\r', at);
    complete = end >= 0;
    return list.mid(at, complete ? end - at : -1);
}

QString DisplayVersion(const QString& digits, QChar letter) {
    QString shown = digits.left(1) + u'.' + digits.mid(1, 2);
    if (!letter.isNull())
        shown += letter;
    return shown;
}

} // namespace

QString VersionListResult(bool sessionOpened, const QString& text) {
    if (sessionOpened && text.isEmpty())
        return QStringLiteral("1");
    if (text == QStringLiteral("Default.htm") || text.size() < MinListLength)
        return QStringLiteral("2");
    return text;
}

VersionCheckResult CheckVersion(int pingMs, const QString& listText, const QString& name,
                                const QString& versionText, int installerSizeKB) {
    VersionCheckResult result{CheckCode::NoPing, name, {}, installerSizeKB};
    if (pingMs <= 0)
        return result;
    if (listText == QStringLiteral("1") || listText.isEmpty()) {
        result.code = CheckCode::NoText;
        return result;
    }
    if (listText.size() < MinListLength || listText == QStringLiteral("Default.htm")) {
        result.code = CheckCode::NotUsable;
        return result;
    }

    bool complete = false;
    const QString line = ProgramLine(listText, name, complete);
    if (line.isEmpty()) {
        result.code = CheckCode::NameNotFound;
        return result;
    }
    const QStringList fields = SplitFields(line);
    int sizeKB = 0;
    if (!complete || fields.size() < 4 || IsUnsafeFileName(fields[1]) ||
        !ReadWholeNumber(fields[3], sizeKB)) {
        result.code = CheckCode::NotUsable;
        return result;
    }

    // The version text without its first point: "versie 1.02" gives 102.
    const QString currentDigits =
        KeepNumberChars(TextBefore(u'.', versionText) + TextAfter(u'.', versionText));
    const QChar currentLetter = CurrentLetter(versionText);
    const QString offeredDigits = KeepNumberChars(TextBefore(u'.', fields[1]));
    const QChar offeredLetter = fields[2].isEmpty() ? QChar() : fields[2].front();

    result.name = fields[1];
    result.installerSizeKB = sizeKB;
    result.latest = DisplayVersion(offeredDigits, offeredLetter);
    // Digit texts compare as texts: 99 is newer than 102.
    const int order = QString::compare(offeredDigits, currentDigits, Qt::CaseSensitive);
    const bool newer =
        order > 0 || (order == 0 && offeredLetter.unicode() > currentLetter.unicode());
    result.code = newer ? CheckCode::UpdateAdvised : CheckCode::UpToDate;
    return result;
}

QString CheckLogLine(const VersionCheckResult& result) {
    return QStringLiteral("check code=%1 latest=%2 name=%3 size=%4")
        .arg(int(result.code))
        .arg(result.latest, result.name)
        .arg(result.installerSizeKB);
}
