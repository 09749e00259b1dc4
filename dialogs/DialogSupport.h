#pragma once

#include <Qt>

// What the application's windows share.

// Registers the embedded window icon, splash picture and tool-button icons
// (":/KestavorGUI/Resources/...", Resources/icons.qrc). They live in kv_resources, a static
// library, so nothing of them is visible until code that is linked in registers them. Every
// window that shows one calls this before it builds its form; calls after the first do nothing.
void initIconResources();

// A title bar with the system menu and nothing else: no minimise or maximise buttons.
inline Qt::WindowFlags titleBarOnly() {
  return Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
}

class QString;
class QWidget;

// Widens a window enough that a title bar, set in a bold face of the window's font beside its
// icon and three buttons, shows the window's title whole.
void keepTitleWhole(QWidget* window);

// Makes a top-level window no larger than the available area of its screen, frame included,
// and moves it as little as it takes to lie inside that area.
void keepInsideScreen(QWidget* window);

// The extension a file-dialog filter such as "MOL V2000 Files (*.mol)" names, with its dot
// (".mol"); empty when it names none.
QString filterExtension(const QString& filter);

// Asks for a file to write with the class library's save-file dialog. A name typed without an
// extension gets the one of the filter chosen with it: "shot" under "PNG Files (*.png)" is
// "shot.png". Empty when the dialog was cancelled.
QString askSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                        const QString& filters);
