// The progress line of long commands: one line on stderr, rewritten in place, shown only when
// stderr is a terminal so that logs and pipes stay clean.
#pragma once

#include <cstddef>
#include <string>

/// ProgressLine: draws "LABEL: DONE/TOTAL UNIT" or "LABEL: PHASE" on stderr when it is a
/// terminal; does nothing otherwise. The destructor erases the line.
class ProgressLine {
 public:
  explicit ProgressLine(std::string label);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// shown: whether anything is drawn (stderr is a terminal).
  bool shown() const { return m_shown; }
  /// count: "LABEL: DONE/TOTAL UNIT".
  void count(std::size_t done, std::size_t total, const char* unit);
  /// phase: "LABEL: TEXT", for steps without a count.
  void phase(const std::string& text);
  /// clear: erases the line, before an ordinary message is written.
  void clear();

 private:
  void draw(const std::string& text);
  std::string m_label;
  bool m_shown;
  std::size_t m_width = 0;  // of the text drawn last
};
