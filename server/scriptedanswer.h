#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// What the scripted server gives one request.
struct ScriptedAnswer {
    // How the body's end is told: by its announced length, by chunks, or by closing.
    enum class Framing { Length, Chunked, Close };

    int status = 200;
    QByteArray body = {}; // any bytes, NUL included
    int delayMs = 0;      // wait this long before answering
    // Close the connection after this many body bytes (the head still announces the whole
    // body); negative sends the whole body.
    qsizetype cutAfter = -1;
    bool hangAfterCut = false;  // after cutAfter body bytes keep the connection open, silent
    bool resetAfterCut = false; // after cutAfter body bytes reset the connection
    bool silent = false;        // read the request and never answer
    QList<std::pair<QByteArray, QByteArray>> headers = {}; // sent after the standard ones
    Framing framing = Framing::Length;
    bool endlessHeader = false; // header lines without end after the status line
    bool endlessBody = false;   // the body over and over without end (Chunked or Close framing)
    int dripMs = 0;             // send one byte every dripMs instead of at full speed
    bool keepAlive = false;     // offer to keep the connection and leave it open after the answer
};
