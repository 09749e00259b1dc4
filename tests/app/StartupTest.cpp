// Where the program reads its library, pictures and help page from.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/Startup.h"
#include "support/ErrorCapture.h"

namespace {

TEST(DataFolder, TheWorkingFolderFirstThenTheExecutablesFolderAndItsParents) {
  QTemporaryDir root;
  const QDir tree(QDir(root.path()).canonicalPath());
  for (const char* folder : {"own/KV_MOLECULES", "repo/KV_TEMPLATES", "repo/build/app", "work/bin"})
    ASSERT_TRUE(tree.mkpath(folder));
  QFile(tree.filePath("work/KV_GROUPS")).open(QIODevice::WriteOnly);   // a file, no folder
  const QString app = tree.filePath("repo/build/app");
  kvtest::ErrorCapture errors;
  EXPECT_EQ(tree.filePath("own"), locateDataFolder(tree.filePath("own"), app));
  EXPECT_EQ(tree.filePath("repo"), locateDataFolder(tree.filePath("work"), app));
  EXPECT_EQ(tree.filePath("repo"), locateDataFolder(tree.filePath("work"), tree.filePath("repo")));
  EXPECT_TRUE(errors.lines.empty()) << errors.text();

  // Nowhere: one line names the working folder and every folder from the executable's up.
  EXPECT_TRUE(locateDataFolder(tree.filePath("work"), tree.filePath("work/bin")).isEmpty());
  ASSERT_EQ(1u, errors.lines.size());
  const std::string line = errors.lines[0];
  EXPECT_EQ(0u, line.find("Error: no library folder (KV_GROUPS, KV_TEMPLATES, KV_MOLECULES) in " +
                          tree.filePath("work").toStdString() + ", " +
                          tree.filePath("work/bin").toStdString() + ", " +
                          tree.path().toStdString() + ", "))
      << line;
  EXPECT_NE(std::string::npos, line.find(", /: the library trees stay empty")) << line;
}

}  // namespace
