#pragma once

// A left click sent through the X server to a window, so it reaches the application the way a
// user's click does: read from the X connection and queued with the window system's input.
// Kept apart from the tests because the X headers define macros that clash with Qt's names.

namespace kvshell {

// (x, y) in the window, (rootX, rootY) on the screen. False when no display could be opened.
bool sendXClick(unsigned long window, int x, int y, int rootX, int rootY);

}  // namespace kvshell
