#pragma once

#include <QIcon>

// The rate line's speed-button pictures, drawn as vectors so they stay crisp at any scale.
// Each icon has a normal and a greyed (disabled) form.
QIcon InfoGlyph();      // red question mark on a round yellow badge
QIcon AlarmLowGlyph();  // red arrow pointing down onto a red bar
QIcon AlarmOkGlyph();   // green check mark
QIcon AlarmHighGlyph(); // red arrow pointing up to a red bar
// The arrows of a silenced alarm: struck through.
QIcon AlarmLowSilencedGlyph();
QIcon AlarmHighSilencedGlyph();
