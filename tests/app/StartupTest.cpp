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

// A build folder outside the source tree: the tree it was built from is looked in last.
TEST(DataFolder, TheSourceFolderIsTheLastPlaceLookedIn) {
  QTemporaryDir root;
  const QDir tree(QDir(root.path()).canonicalPath());
  for (const char* folder : {"own/KV_GROUPS", "copy/KV_GROUPS", "copy/bin", "source/KV_MOLECULES",
                             "build/app", "work", "bare"})
    ASSERT_TRUE(tree.mkpath(folder));
  const QString source = tree.filePath("source");
  const struct {
    const char* working;
    const char* executable;
    const char* found;
  } cases[] = {
      {"own", "build/app", "own"},      // the working folder first
      {"work", "copy/bin", "copy"},     // then the executable's folders
      {"work", "build/app", "source"},  // then the source folder
  };
  kvtest::ErrorCapture errors;
  for (const auto& c : cases)
    EXPECT_EQ(tree.filePath(c.found),
              locateDataFolder(tree.filePath(c.working), tree.filePath(c.executable), source))
        << c.working << " " << c.executable;
  EXPECT_TRUE(errors.lines.empty()) << errors.text();

  // The source folder is named last among the folders looked in.
  EXPECT_TRUE(locateDataFolder(tree.filePath("work"), tree.filePath("build/app"),
                               tree.filePath("bare"))
                  .isEmpty());
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find(", /, " + tree.filePath("bare").toStdString() +
                                                    ": the library trees stay empty"))
      << errors.lines[0];
}

}  // namespace
