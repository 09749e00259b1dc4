#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStyleFactory>

#include <iostream>
#include <string>
#include <vector>

#include "app/ConsoleWidget.h"
#include "app/KestavorGUI.h"
#include "dialogs/DialogSupport.h"
#include "io/MoleculeEngine.h"
#include "math/DataFolder.h"
#include "math/UtilityEngine.h"
#include "math/Quaternion.h"
#include "render/GraphicsEngine.h"

namespace {

const char* const kWindowIcon = ":/KestavorGUI/Resources/icon.png";
const char* const kHdrSwitch = "-hdr";

// Far out and turned, so the first frames glide the camera home.
void setStartCamera(GraphicsEngine& engine) {
  engine.globalTranslation = SSEVector4f(0.0f, 0.0f, -238.099f, 1.0f);
  engine.setRotation(Quaternion(0.7007f, 0.713f, 0.0f, 0.0f));
  engine.returnToHomeCamera = true;
  engine.renderMode = RenderMode::VertexArrays;
}

bool holdsLibrary(const QDir& folder) {
  for (const char* library : {"KV_GROUPS", "KV_TEMPLATES", "KV_MOLECULES"})
    if (QFileInfo(folder.filePath(QString::fromLatin1(library))).isDir()) return true;
  return false;
}

}  // namespace

QString locateDataFolder(const QString& workingFolder, const QString& executableFolder,
                         const QString& sourceFolder) {
  const QDir working(workingFolder);
  if (holdsLibrary(working)) return working.absolutePath();
  QStringList looked{working.absolutePath()};
  if (!executableFolder.isEmpty()) {
    QDir folder(executableFolder);
    for (;;) {
      const QString path = folder.absolutePath();
      if (holdsLibrary(folder)) return path;
      if (!looked.contains(path)) looked << path;
      if (folder.isRoot() || !folder.cdUp()) break;
    }
  }
  // Last, so that a library beside an installed or copied executable wins over the tree it was
  // built from.
  if (!sourceFolder.isEmpty()) {
    const QDir source(sourceFolder);
    if (holdsLibrary(source)) return source.absolutePath();
    if (!looked.contains(source.absolutePath())) looked << source.absolutePath();
  }
  printError("Error: no library folder (KV_GROUPS, KV_TEMPLATES, KV_MOLECULES) in " +
             looked.join(QStringLiteral(", ")).toStdString() +
             ": the library trees stay empty");
  return QString();
}

QString builtSourceFolder() { return QStringLiteral(KV_BUILT_SOURCE_FOLDER); }

void prepareApplication(QApplication& app) {
  // Qt 5 ships Cleanlooks only as a plugin that is seldom installed; Fusion is its successor.
  QStyle* style = QStyleFactory::create(QStringLiteral("cleanlooks"));
  if (style == nullptr) style = QStyleFactory::create(QStringLiteral("Fusion"));
  if (style != nullptr) app.setStyle(style);
  initIconResources();
  app.setWindowIcon(QIcon(kWindowIcon));
}

std::unique_ptr<KestavorGUI> startMainWindow(const QStringList& arguments,
                                             const QString& executableFolder,
                                             const QString& sourceFolder) {
  // Error lines said before the console pane exists (no library found, a library file that
  // cannot be read) go where they always go and are kept, to be repeated in the pane.
  std::vector<std::string> earlyErrors;
  ErrorSink previous;
  previous = setErrorSink([&earlyErrors, &previous](const std::string& line) {
    earlyErrors.push_back(line);
    previous(line);
  });
  // The library, pictures and help page are read from the working folder when it holds the
  // library, else from beside the executable, else from the source tree.
  const QString working = QDir::currentPath();
  const QString found = locateDataFolder(working, executableFolder, sourceFolder);
  setDataFolder(found.isEmpty() || QDir(found) == QDir(working) ? std::string()
                                                                : found.toStdString());
  // The window's constructor takes the tree items the loaders build, so they load first.
  MoleculeEngine::instance()->loadGroups();
  MoleculeEngine::instance()->loadMolecules();
  setErrorSink(previous);
  auto window = std::make_unique<KestavorGUI>();
  for (const std::string& line : earlyErrors) window->console->addString(line.c_str());
  window->setVisible(true);
  setStartCamera(*GraphicsEngine::instance());
  applyCommandLine(*window, arguments);
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed, window.get(),
                   &KestavorGUI::Menu_Quit);
  return window;
}

void applyCommandLine(KestavorGUI& window, const QStringList& arguments) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  GLWidget* view = window.glWidget;
  for (int i = 1; i < arguments.size(); ++i) {
    if (!arguments[i].contains(QLatin1String(kHdrSwitch), Qt::CaseInsensitive)) continue;
    engine->renderMode = RenderMode::HighDynamicRange;
    // The frame buffer and the program are made in the view's context, before its first frame.
    view->makeCurrent();
    engine->initHDR(view->width(), view->height());
    view->hdrEnabled = true;
  }
}

int runMainWindow(std::unique_ptr<KestavorGUI> window) {
  const int code = QApplication::exec();
  std::cout << "Quitting... Goodbye!" << std::endl;
  window.reset();
  return code;
}

int runKestavor(int argc, char** argv) {
  QApplication app(argc, argv);
  prepareApplication(app);
  return runMainWindow(startMainWindow(QApplication::arguments()));
}
