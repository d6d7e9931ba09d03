// Table-driven cases kept in data files beside the tests that read them.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace sltest {

/// dataRows: the cases of data/`file` beside the tests (SL_TEST_DATA_DIR), one a line and its
/// cells split by tabs (at least `cells` of them), "\n" standing for a line break; lines of '#'
/// are comments.
inline std::vector<std::vector<std::string>> dataRows(const char* file, std::size_t cells) {
  std::ifstream in(std::string(SL_TEST_DATA_DIR) + "/" + file);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    auto& row = rows.emplace_back(1);
    for (std::size_t i = 0; i < line.size(); ++i)
      if (line[i] == '\t')
        row.emplace_back();
      else if (line.compare(i, 2, "\\n") == 0)
        row.back() += '\n', ++i;
      else
        row.back() += line[i];
    if (row.size() < cells) row.resize(cells);
  }
  EXPECT_FALSE(rows.empty()) << file << " in " << SL_TEST_DATA_DIR;
  return rows;
}

}  // namespace sltest
