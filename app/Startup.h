#pragma once

#include <QStringList>

#include <memory>

class KestavorGUI;
class QApplication;

// The program's way in and out, as main runs it. A library, so tests run the real start-up in
// their own process.

// Gives the application the Cleanlooks style (the platform's default when the style plugin is
// missing) and the window icon that every window inherits.
void prepareApplication(QApplication& app);

// Loads the group, template and molecule library from the working directory, builds and shows
// the main window, puts the camera at its start pose gliding home in drawing path 2, applies
// the command line and lets the application's last-window-closed signal ask the quit question.
std::unique_ptr<KestavorGUI> startMainWindow(const QStringList& arguments);

// Every argument after the program name that holds "-hdr" in any case switches the renderer to
// the high-dynamic-range path, with the half-float frame buffer at the view's size; the set-up
// runs once per such argument. No other argument has a meaning.
void applyCommandLine(KestavorGUI& window, const QStringList& arguments);

// Runs the event loop, writes "Quitting... Goodbye!" to standard output, destroys the window
// (which stores its layout) and returns the event loop's code.
int runMainWindow(std::unique_ptr<KestavorGUI> window);

// The whole program: the application object, the steps above, and the exit code.
int runKestavor(int argc, char** argv);
