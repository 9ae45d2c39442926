#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class SettingsStore;

// The eight tags of the sibling program's export, in the order they are read; the index is
// the parameter edit's (Edit1 .. Edit8) less one.
inline const std::array<QString, 8> TradingTags = {
    QStringLiteral("DownDr"), QStringLiteral("UpDr"),       QStringLiteral("f"),
    QStringLiteral("v"),      QStringLiteral("KostenProc"), QStringLiteral("RefWrde"),
    QStringLiteral("Koers"),  QStringLiteral("Aantal")};

// Where the export lies: Path + FileName + ".xml" of the sibling program's store, joined with
// nothing in between.
QString TradingFileName(const SettingsStore& orvane);
// False when the store names no file at all (Path and FileName both missing or empty).
bool HasTradingFile(const SettingsStore& orvane);

// The file's lines; CR LF, LF and CR all end a line, and a final line end opens no empty
// line. Throws std::runtime_error("Cannot open file <name>") when it cannot be read.
QStringList LoadLines(const QString& fileName);

// The value of the first line at or below startLine whose text before its first '>' is
// "<" + tag: the text between that '>' and the next '<'. Throws
// std::out_of_range("List index out of bounds (<line count>)") when no line matches.
QString ReadTag(const QStringList& lines, qsizetype startLine, const QString& tag);

// Picks the last "<Name>USDEUR</Name>" record and hands each of its eight values to setValue
// as soon as it is read (index into TradingTags). Nothing is handed over when the record's
// delta value is empty. Throws as ReadTag does.
void ReadTradingLines(const QStringList& lines,
                      const std::function<void(int index, const QString& value)>& setValue);
