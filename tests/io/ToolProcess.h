#pragma once

// Runs another program (kvtool, obabel, python3) for the io tests: its exit code and both
// output channels. A program that cannot be started or runs past two minutes fails the calling
// test.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

#include <gtest/gtest.h>

namespace iotest {

#ifdef KV_KVTOOL_PATH
const char* const kKvtool = KV_KVTOOL_PATH;
#else
const char* const kKvtool = "";
#endif

struct ToolRun {
  int exitCode = -1;   // -1 when it crashed, never started or was stopped
  std::string out;
  std::string err;
};

inline ToolRun runProgram(const QString& program, const QStringList& arguments,
                          const std::string& input = "") {
  ToolRun run;
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(program, arguments);
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << program.toStdString() << " could not be started: is it installed?";
    return run;
  }
  process.write(input.data(), static_cast<qint64>(input.size()));
  process.closeWriteChannel();
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished(5000);
    ADD_FAILURE() << program.toStdString() << " did not finish within two minutes";
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

}  // namespace iotest
