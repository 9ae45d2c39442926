#include "update/versioncheck.h"

#include "support/texthelpers.h"

#include <QRegularExpression>
#include <QStringList>

#include <optional>

namespace {

constexpr qsizetype MinListLength = 50;

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

// A whole decimal number without sign; nine digits at most, so it fits an int.
std::optional<int> ReadWholeNumber(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^[0-9]{1,9}$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

// Where the program's line starts, or -1. It starts a line of the list: another program's
// name that merely ends in ours is not taken for it.
qsizetype ProgramLineStart(const QString& list, const QString& key) {
    for (qsizetype at = list.indexOf(key); at >= 0; at = list.indexOf(key, at + 1)) {
        if (at == 0 || list.at(at - 1) == u'\n' || list.at(at - 1) == u'\r')
            return at;
    }
    return -1;
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
    if (listText == QStringLiteral("1")) {
        result.code = CheckCode::NoText;
        return result;
    }
    if (listText.size() < MinListLength || listText == QStringLiteral("Default.htm")) {
        result.code = CheckCode::NotUsable;
        return result;
    }

    const QString key = name + u',';
    const qsizetype start = ProgramLineStart(listText, key);
    if (start < 0 || start + key.size() == listText.size()) {
        result.code = CheckCode::NameNotFound;
        return result;
    }
    // The line runs to its carriage return; without one the list is cut short.
    const qsizetype end = listText.indexOf(u'\r', start);
    const QStringList fields = listText.mid(start, end - start).split(u',');
    const std::optional<int> sizeKB = fields.size() < 4 ? std::nullopt : ReadWholeNumber(fields[3]);
    if (end == -1 || !sizeKB || IsUnsafeFileName(fields[1])) {
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
    result.installerSizeKB = *sizeKB;
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
