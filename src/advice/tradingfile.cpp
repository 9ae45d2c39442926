#include "advice/tradingfile.h"

#include "settings/settingsstore.h"
#include "support/texthelpers.h"

#include <QFile>

#include <stdexcept>

namespace {

const QString NameLine = QStringLiteral("<Name>USDEUR</Name>");

[[noreturn]] void OutOfBounds(qsizetype index) {
    throw std::out_of_range(
        QStringLiteral("List index out of bounds (%1)").arg(index).toStdString());
}

// Line positions are counted in full, so a long file cannot wrap them onto a wrong record.
qsizetype FindHead(const QStringList& lines, qsizetype startLine, const QString& head) {
    for (qsizetype i = startLine; i < lines.size(); ++i) {
        // A line without '>' has no head at all.
        if (TextBefore(u'>', lines[i]) == head)
            return i;
    }
    OutOfBounds(lines.size());
}

QString ValueOf(const QString& line) {
    return TextBefore(u'<', TextAfter(u'>', line));
}

} // namespace

QString TradingFileName(const SettingsStore& orvane) {
    return orvane.ReadString(QStringLiteral("Path"), QString()) +
           orvane.ReadString(QStringLiteral("FileName"), QString()) + QStringLiteral(".xml");
}

bool HasTradingFile(const SettingsStore& orvane) {
    return TradingFileName(orvane) != QStringLiteral(".xml");
}

QStringList LoadLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file %1").arg(fileName).toStdString());
    // fromUtf8 drops a byte-order mark.
    const QString text = QString::fromUtf8(file.readAll());
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QString ReadTag(const QStringList& lines, qsizetype startLine, const QString& tag) {
    return ValueOf(lines[FindHead(lines, startLine, u'<' + tag)]);
}

void ReadTradingLines(const QStringList& lines,
                      const std::function<void(int index, const QString& value)>& setValue) {
    // The last record wins; line 0 is never compared, and without a record the search for the
    // tags starts at the top.
    qsizetype nameLine = lines.size() - 1;
    while (nameLine > 0 && lines[nameLine] != NameLine)
        --nameLine;
    nameLine = qMax<qsizetype>(nameLine, 0);

    if (ValueOf(lines[FindHead(lines, nameLine, QStringLiteral("<Delta"))]).isEmpty())
        return;
    for (int i = 0; i < int(TradingTags.size()); ++i)
        setValue(i, ReadTag(lines, nameLine, TradingTags[i]));
}
