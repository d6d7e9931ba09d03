// Draws and erases the progress line of stocklib-tool.
#include "ProgressLine.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

ProgressLine::ProgressLine(std::string label)
    : m_label(std::move(label)), m_shown(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
  clear();
}

void ProgressLine::count(std::size_t done, std::size_t total, const char* unit) {
  draw(std::to_string(done) + "/" + std::to_string(total) + " " + unit);
}

void ProgressLine::phase(const std::string& text) {
  draw(text);
}

void ProgressLine::draw(const std::string& text) {
  if (!m_shown) return;
  std::string line = m_label + ": " + text;
  // Spaces over what a longer line before left behind.
  std::size_t width = line.size();
  if (line.size() < m_width) line.append(m_width - line.size(), ' ');
  m_width = width;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
}

void ProgressLine::clear() {
  if (!m_shown || !m_width) return;
  std::fprintf(stderr, "\r%s\r", std::string(m_width, ' ').c_str());
  std::fflush(stderr);
  m_width = 0;
}
