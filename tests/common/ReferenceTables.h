// The published tables of data/reference (CSV, lines ending in CR LF) as rows by column name, and
// how near a computed figure must come to one they print.
#pragma once

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

using Row = std::map<std::string, std::string>;

/// readTable: the rows of the table `file` in the folder `dir`; empty when it cannot be read.
inline std::vector<Row> readTable(const std::string& dir, const std::string& file) {
  std::ifstream in(dir + "/" + file);
  std::vector<std::string> header;
  std::vector<Row> rows;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> cells(1);
    for (char c : line)
      if (c == ',')
        cells.emplace_back();
      else
        cells.back().push_back(c);
    if (header.empty()) {
      header = cells;
      continue;
    }
    Row& row = rows.emplace_back();
    for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i)
      row[header[i]] = cells[i];
  }
  return rows;
}

/// number: the cell `column` of `row` as a number; NaN when it is missing or empty.
inline double number(const Row& row, const std::string& column) {
  auto it = row.find(column);
  return it == row.end() || it->second.empty() ? NAN : std::stod(it->second);
}

/// printedTolerance: how far a figure may lie from `text`, a figure the tables print: `relative`
/// of it, widened by half its last printed digit or, when it is padded with zeros ("10400.0"), by
/// half its third significant digit.
inline double printedTolerance(const std::string& text, double relative) {
  const double published = std::stod(text);
  const std::size_t dot = text.find('.');
  const double printed =
      dot == std::string::npos ? 1.0 : std::pow(10.0, -double(text.size() - dot - 1));
  const double significant = std::pow(10.0, std::floor(std::log10(std::fabs(published))) - 2);
  return relative * std::fabs(published) + std::max(printed, significant) / 2;
}

}  // namespace testsupport
