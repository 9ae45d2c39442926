#pragma once

// True on Wayland, where the compositor places windows and keeps their position to itself:
// a program neither moves its window there nor learns where it is.
bool OnWayland();
