#pragma once

#include <QString>

#include <optional>

// Cutting helpers: the character or substring comes first, then the text. When it does
// not occur the result is empty (never the whole input), so callers test for emptiness.
QString TextBefore(QChar ch, const QString& text);
QString TextAfter(QChar ch, const QString& text);
QString TextAfterLast(QChar ch, const QString& text);
QString TextBeforeSub(const QString& sub, const QString& text);
QString TextAfterSub(const QString& sub, const QString& text);

// Filters; each keeps the order of what it keeps.
QString RemoveSpaces(const QString& text); // drops code 32 only
QString DropDigits(const QString& text);
QString KeepNumberChars(const QString& text); // keeps 0-9 ',' '.'

// Reads "0,9027" and "0.9027" alike, whatever the regional settings; foreign text reads as 0,
// a malformed number as the digits read before the first offending character.
double ParseNumber(const QString& text);
// As ParseNumber, but nothing for a text that is foreign or not a well-formed number.
std::optional<double> ParseWholeNumber(const QString& text);

// Fixed-point text with the given decimal separator; a negative value that rounds to zero
// keeps its minus sign.
QString FormatFixed(int width, int decimals, double x, QChar decimalSeparator);
// As FormatFixed, with at most three grouping separators in the integer part.
QString FormatGrouped(int width, int decimals, double x, QChar decimalSeparator,
                      QChar groupSeparator);

// Rounds to 4 decimals, halves to even.
double RoundTo4(double x);
