#pragma once

// One application object per test or benchmark process. The file singleton's tree roots are
// widget items, so anything that reaches IOEngine needs one. It is never destroyed: tearing the
// offscreen platform down leaks its screen objects, which LeakSanitizer reports.

#include <QApplication>

#include <cstdlib>

namespace kvtest {

inline void ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kestavor_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace kvtest
