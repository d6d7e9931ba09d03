// Runs the command-line host as a user would, for the host's tests: its exit code and its output.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace sltest {

struct Outcome {
  int rc;
  std::string out;
};

/// The root folder of the shipped support data of the build.
inline std::string shippedRoot() {
  return std::filesystem::path(SL_SUPPORT_DIR).parent_path().string();
}

/// Runs sldb with `args` in `folder`, with the roaming root `roaming` (default: `folder`),
/// stdout and stderr together.
inline Outcome sldb(const std::string& folder, const std::string& args, std::string roaming = {}) {
  if (roaming.empty()) roaming = folder;
  // The leak checker's thread tracer cannot walk the thread-local storage of modules unloaded
  // before exit, and sldb unloads its modules; leaks are checked in this process instead.
  std::string command = "cd '" + folder + "' && ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " +
                        SLDB_TOOL_PATH + " --roaming '" + roaming + "' " + args + " 2>&1";
  Outcome run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe))
    run.out += buffer;
  int status = pclose(pipe);
  run.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace sltest
