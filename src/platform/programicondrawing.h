#pragma once

#include <QImage>

// The program's icon drawn from its SVG at size x size pixels on a transparent ground: how
// the pictures that the program carries (data/icons) are made, and checked.
QImage ProgramIconImage(int size);
