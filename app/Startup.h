#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <memory>

class KestavorGUI;
class QApplication;

// The program's way in and out, as main runs it. A library, so tests run the real start-up in
// their own process.

// Gives the application the Cleanlooks style (the platform's default when the style plugin is
// missing) and the window icon that every window inherits.
void prepareApplication(QApplication& app);

// The folder to read the library, pictures and help page from: the working folder when it holds
// one of "KV_GROUPS", "KV_TEMPLATES" and "KV_MOLECULES", else the first of the executable's
// folder and its parents up to the root that does (a build folder inside the source tree finds
// the tree), else the source folder when it does (a build folder elsewhere finds the tree it was
// built from). Empty when none does, with one error line naming every folder looked in.
QString locateDataFolder(const QString& workingFolder, const QString& executableFolder,
                         const QString& sourceFolder = QString());

// The source tree this program was built from, as the build knew it.
QString builtSourceFolder();

// Loads the group, template and molecule library from the folder locateDataFolder finds for the
// working folder, the executable's folder and the source folder (the data folder,
// math/DataFolder.h), builds and shows the main window, puts the camera at its start pose gliding
// home in drawing path 2, applies the command line and lets the application's last-window-closed
// signal ask the quit question. Error lines said before the window existed (no library found,
// say) are repeated in its console pane.
std::unique_ptr<KestavorGUI> startMainWindow(
    const QStringList& arguments,
    const QString& executableFolder = QCoreApplication::applicationDirPath(),
    const QString& sourceFolder = builtSourceFolder());

// Every argument after the program name that holds "-hdr" in any case switches the renderer to
// the high-dynamic-range path, with the half-float frame buffer at the view's size; the set-up
// runs once per such argument. No other argument has a meaning.
void applyCommandLine(KestavorGUI& window, const QStringList& arguments);

// Runs the event loop, writes "Quitting... Goodbye!" to standard output, destroys the window
// (which stores its layout) and returns the event loop's code.
int runMainWindow(std::unique_ptr<KestavorGUI> window);

// The whole program: the application object, the steps above, and the exit code.
int runKestavor(int argc, char** argv);
