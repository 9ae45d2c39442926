#pragma once

// False where the windowing system keeps a window's position to itself (Wayland): what the
// program reads there is not where the window is.
bool PlatformReportsWindowPosition();
