#pragma once

#include <QPalette>

// The colours the windows were designed in: the classic light system colours (button face
// 240, light 3D 227, white edit boxes, black text). Every role of every group is set, so
// nothing of the desktop's theme shows through.
QPalette ProgramPalette();
