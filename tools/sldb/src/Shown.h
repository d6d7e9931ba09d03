// How sldb prints a text it did not write: control characters escaped.
#pragma once

#include <string>

namespace sldb {

/// shown: UTF-8 text as a listing prints it: control characters (NUL, line breaks, C1) written
/// as \xNN or \u00NN, so that a name read from a file cannot break or forge a line.
std::string shown(const std::string& utf8);
/// shownLines: text of several lines as shown() prints each, its line breaks kept.
std::string shownLines(const std::string& utf8);

}  // namespace sldb
