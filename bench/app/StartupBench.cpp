// Start-up of the program under Xvfb, from process start to its first painted frame: the
// application object, the library read from the repository's folders, the main window with its
// docks and trees, and the first frame of the view. Each run is a first start (no stored layout).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <benchmark/benchmark.h>

extern char** environ;

namespace {

// Starts the probe in the repository root and waits for its "frame" line; false when it ended
// without one.
bool startToFirstFrame(double& seconds) {
  int out[2];
  if (pipe(out) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  // The library folders are read from the working directory.
  posix_spawn_file_actions_addchdir_np(&actions, KV_SOURCE_DIR);
  char probe[] = KV_STARTUP_PROBE;
  char* argv[] = {probe, nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, probe, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[64];
  for (ssize_t n; text.find("frame\n") == std::string::npos &&
                  (n = read(out[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(out[0]);
  if (spawned == 0) waitpid(pid, nullptr, 0);
  return spawned == 0 && text.find("frame\n") != std::string::npos;
}

void BM_StartUpToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    double seconds = 0.0;
    if (!startToFirstFrame(seconds)) {
      state.SkipWithError("the program painted no frame");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
