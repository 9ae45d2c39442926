#pragma once

#include <QDateTime>

class ReadingStore;

// A generated history, as the program would have kept it: a reading every interval over the
// last days (none for 0) up to end, kept as readings for the last rawDays and folded into
// candles before that, with ten minutes without a connection every day at 03:00 UTC; with
// officeHours, only on weekdays from 08:30 to 17:30 local time. And the central bank's
// reference rate of the last referenceDays working days up to end's date, r a walk around
// 1.08. For the tests, the benchmark and the demo.
struct HistoryFill {
    QDateTime End;
    int Days = 7;
    int IntervalS = 5;
    int RawDays = 31;
    bool OfficeHours = false;
    int ReferenceDays = 0;
};

// False with the store's error when a write fails.
bool FillHistory(ReadingStore& store, const HistoryFill& fill);
