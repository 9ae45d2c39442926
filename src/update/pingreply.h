#pragma once

#include <QString>

// The round-trip time in whole milliseconds from the output of Windows' or Linux' (iputils)
// ping, rounded up so that a reply below one millisecond still counts as 1; 0 when no line
// gives a reply time ("time=23ms", "tijd<1ms", "time=0.045 ms").
int ReadPingReply(const QString& output);
