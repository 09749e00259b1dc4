#include "io/IOEngine.h"

#include <QTreeWidgetItem>

#include "forcefield/ForceFieldLog.h"
#include "math/ArcBallController.h"

IOEngine* IOEngine::Instance = nullptr;

// The force field writes its notes on missing parameters to forceFieldLog(); sharing the stream
// keeps the force field free of any link to this layer.
std::ostream& IOEngine::error = forceFieldLog();

IOEngine* IOEngine::instance() {
  if (Instance == nullptr) Instance = new IOEngine();
  return Instance;
}

IOEngine::IOEngine() : QObject(nullptr) {
  moleculeRoot = new QTreeWidgetItem(QStringList(QStringLiteral("Root")));
  moleculeFolder = moleculeRoot;
  groupRoot = new QTreeWidgetItem(QStringList(QStringLiteral("Root")));
  groupFolder = groupRoot;
  templateRoot = new QTreeWidgetItem(QStringList(QStringLiteral("Root")));
  templateFolder = templateRoot;
  moleculeCount = 0;
  groupCount = 0;
  arcBall = new ArcBallController();
  folderIcon = iconProvider.icon(QFileIconProvider::Folder);
}
