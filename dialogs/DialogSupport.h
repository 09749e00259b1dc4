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
