// Runs the command-line host as a user does and collects what it prints and its exit code.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace sldbtest {

struct Outcome {
  int rc;
  std::string out;     // stdout, then stderr
  std::string data;    // stdout alone
  std::string status;  // stderr alone
};

/// The root folder of the shipped support data of the build.
inline std::string shippedRoot() {
  return std::filesystem::path(SL_SUPPORT_DIR).parent_path().string();
}

/// Runs `program` with `args` in `folder`; its stdout and stderr are kept apart.
inline Outcome run(const std::string& folder, const std::string& program, const std::string& args) {
  const std::string errors = folder + "/.stderr";
  // The leak checker's thread tracer cannot walk the thread-local storage of modules unloaded
  // before exit, and sldb unloads its modules; leaks are checked in this process instead.
  std::string command = "cd '" + folder + "' && ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " +
                        program + " " + args + " 2>'" + errors + "'";
  Outcome run{-1, {}, {}, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe))
    run.data += buffer;
  int status = pclose(pipe);
  run.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (FILE* in = std::fopen(errors.c_str(), "r")) {
    while (std::fgets(buffer, sizeof buffer, in))
      run.status += buffer;
    std::fclose(in);
    std::remove(errors.c_str());
  }
  run.out = run.data + run.status;
  return run;
}

/// Runs sldb with `args` in `folder`, with the roaming root `roaming` (default: `folder`).
inline Outcome sldb(const std::string& folder, const std::string& args, std::string roaming = {}) {
  if (roaming.empty()) roaming = folder;
  return run(folder, SLDB_TOOL_PATH, "--roaming '" + roaming + "' " + args);
}

inline int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

/// has: `part` appears in `text`, or in all a run printed.
inline bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
inline bool has(const Outcome& r, const std::string& part) {
  return has(r.out, part);
}

/// A new drawing d.dwg in a scratch folder, bound to the shipped libraries (or, without them, to
/// an embedded primary alone).
struct Drawing {
  sltest::ScratchDir dir;
  std::string d = dir.path().toUtf8(), shipped = shippedRoot();
  explicit Drawing(bool withShipped = true) {
    if (!withShipped) shipped = d;
    EXPECT_EQ(run("new d.dwg").rc, 0);
    EXPECT_EQ(run("init d.dwg").rc, 0);
  }
  Outcome run(const std::string& args) const { return sldb(d, args, shipped); }
  /// A new line's handle.
  std::string line() const {
    Outcome added = run("add-entity d.dwg line 0,0,0 1000,0,0");
    EXPECT_EQ(added.rc, 0) << added.out;
    return added.data.substr(0, added.data.size() - 1);
  }
  std::filesystem::file_time_type stamp() const {
    return std::filesystem::last_write_time(d + "/d.dwg");
  }
};

/// unescape: `text` with "\\n" a line break, "\\xNN" the byte NN and "\\\\" one backslash.
inline std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text.compare(i, 2, "\\n") == 0)
      out += '\n', ++i;
    else if (text.compare(i, 2, "\\x") == 0)
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)), i += 3;
    else
      out += text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\' ? text[i++] : text[i];
  return out;
}
/// runTable: runs in order the command lines of the data file `name` (its first lines say its
/// columns) on `w`, each `$NAME` of `vars` replaced; returns how many it ran.
inline int runTable(const Drawing& w, const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& vars = {}) {
  std::ifstream table(std::string(SL_TEST_DATA_DIR "/") + name);
  int cases = 0;
  for (std::string text; std::getline(table, text);) {
    if (text.empty() || text[0] == '#') continue;
    SCOPED_TRACE(name + ": " + text);
    for (const auto& [from, to] : vars)
      for (std::size_t at; (at = text.find(from)) != std::string::npos;)
        text.replace(at, from.size(), to);
    std::vector<std::string> column;
    for (std::size_t at = 0, next; at != std::string::npos; at = next) {
      next = text.find(" | ", at);
      column.push_back(unescape(text.substr(at, next - at)));
      if (next != std::string::npos) next += 3;
    }
    const auto before = w.stamp();
    Outcome r = w.run(column[1]);
    if (column[0] == "x") {
      EXPECT_NE(r.rc, 0) << r.out;
    } else {
      EXPECT_EQ(r.rc, std::stoi(column[0])) << r.out;
    }
    EXPECT_TRUE(r.rc == 0 || (lines(r.out) == 1 && w.stamp() == before)) << r.out;
    for (std::size_t i = 2; i < column.size(); ++i) {
      const std::string& part = column[i];
      if (part[0] == '=') {
        EXPECT_EQ(r.out, part.substr(1));
      } else {
        EXPECT_EQ(has(r, part.substr(part[0] == '!')), part[0] != '!') << part << "\n" << r.out;
      }
    }
    ++cases;
  }
  return cases;
}

}  // namespace sldbtest
