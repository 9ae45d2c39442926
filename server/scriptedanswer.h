#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// What the scripted server gives one request.
struct ScriptedAnswer {
    int status = 200;
    QByteArray body = {}; // any bytes, NUL included
    int delayMs = 0;      // wait this long before answering
    // Close the connection after this many body bytes (the head still announces the whole
    // body); negative sends the whole body.
    qsizetype cutAfter = -1;
    bool hangAfterCut = false; // after cutAfter body bytes keep the connection open, silent
    bool silent = false;       // read the request and never answer
    QList<std::pair<QByteArray, QByteArray>> headers = {}; // sent after the standard ones
};
