#include "tests/app/XClick.h"

#include <X11/Xlib.h>

namespace kvshell {

bool sendXClick(unsigned long window, int x, int y, int rootX, int rootY) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XEvent event{};
  XButtonEvent& button = event.xbutton;
  button.type = ButtonPress;
  button.display = display;
  button.window = window;
  button.root = DefaultRootWindow(display);
  button.time = CurrentTime;
  button.x = x;
  button.y = y;
  button.x_root = rootX;
  button.y_root = rootY;
  button.button = Button1;
  button.same_screen = True;
  // No event mask: the event goes to the client that made the window, the application.
  XSendEvent(display, window, False, 0, &event);
  button.type = ButtonRelease;
  button.state = Button1Mask;
  XSendEvent(display, window, False, 0, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}

}  // namespace kvshell
