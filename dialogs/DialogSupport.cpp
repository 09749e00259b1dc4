#include "dialogs/DialogSupport.h"

#include <QtGlobal>

// Outside any namespace, as the macro requires.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

void initIconResources() {
  static const bool registered = (registerIconResources(), true);
  (void)registered;
}
