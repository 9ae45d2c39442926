#pragma once

#include <QFont>

// Verdana at the given character height in pixels, or the system's sans-serif at that height
// where Verdana is not installed.
QFont VerdanaFont(int pixelSize);
