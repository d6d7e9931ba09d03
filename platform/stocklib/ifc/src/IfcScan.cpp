// Checks a STEP file's statements, references and numbers before it is handed to IFC++.
#include "IfcScan.h"

#include <ifcpp/IFC4/EntityFactory.h>
#include <ifcpp/model/BuildingObject.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "stocklib/Types.h"

namespace stocklib {
namespace detail {
namespace {

[[noreturn]] void refuse(const std::string& why) {
  throw Exception("IFC file: " + why);
}

std::string upper(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The statements of a section, split at semicolons outside strings; refuses an open string.
std::vector<std::string> statements(const std::string& text, std::size_t from, std::size_t to) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false;
  for (std::size_t i = from; i < to; ++i) {
    char c = text[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == ';') {
      out.push_back(current);
      current.clear();
    } else if (quoted || !std::isspace(static_cast<unsigned char>(c))) {
      current += c;
    }
  }
  if (quoted) refuse("a string is not closed (the file is truncated)");
  return out;
}

}  // namespace

std::string checkStepText(const std::string& text) {
  std::string up = upper(text);
  if (up.compare(0, 13, "ISO-10303-21;") != 0 &&
      up.find("ISO-10303-21;") > up.find_first_not_of(" \t\r\n"))
    refuse("it does not begin with ISO-10303-21;");
  if (up.find("END-ISO-10303-21;") == std::string::npos)
    refuse("END-ISO-10303-21; is missing (the file is truncated)");
  std::size_t schemaAt = up.find("FILE_SCHEMA");
  if (schemaAt == std::string::npos) refuse("the header has no FILE_SCHEMA");
  std::size_t open = up.find('\'', schemaAt), close = up.find('\'', open + 1);
  if (open == std::string::npos || close == std::string::npos) refuse("FILE_SCHEMA names none");
  std::string schema = up.substr(open + 1, close - open - 1);
  if (schema != "IFC4" && schema != "IFC2X3")
    refuse("schema " + text.substr(open + 1, close - open - 1) + " is neither IFC4 nor IFC2X3");
  std::size_t data = up.find("DATA;");
  if (data == std::string::npos) refuse("there is no DATA section");
  std::size_t end = up.find("ENDSEC;", data);
  if (end == std::string::npos) refuse("the DATA section does not end (the file is truncated)");
  std::set<long> defined;
  std::multimap<long, long> references;  // target -> the entity referring to it
  for (const std::string& s : statements(text, data + 5, end)) {
    std::size_t eq = s.find('=');
    if (s.empty() || s[0] != '#' || eq == std::string::npos || eq < 2)
      refuse("a statement is not #id=ENTITY(...): " + s.substr(0, 40));
    char* after = nullptr;
    long id = std::strtol(s.c_str() + 1, &after, 10);
    if (after != s.c_str() + eq || id <= 0) refuse("bad entity id in " + s.substr(0, 40));
    if (!defined.insert(id).second) refuse("#" + std::to_string(id) + " is defined twice");
    std::size_t paren = s.find('(', eq);
    if (paren == std::string::npos || s.back() != ')')
      refuse("#" + std::to_string(id) + " has no argument list");
    std::string name = upper(s.substr(eq + 1, paren - eq - 1));
    std::unique_ptr<BuildingEntity> probe(EntityFactory::createEntityObject(name));
    if (!probe) refuse("#" + std::to_string(id) + ": unknown entity " + name);
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = paren; i < s.size(); ++i) {
      char c = s[i];
      if (c == '\'') quoted = !quoted;
      if (quoted) continue;
      if (c == '(') ++depth;
      if (c == ')' && --depth < 0) refuse("#" + std::to_string(id) + ": unbalanced parentheses");
      if (c == '#') {
        long target = std::strtol(s.c_str() + i + 1, &after, 10);
        references.emplace(target, id);
        i = static_cast<std::size_t>(after - s.c_str()) - 1;
      } else if ((std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+') &&
                 (s[i - 1] == ',' || s[i - 1] == '(')) {
        double v = std::strtod(s.c_str() + i, &after);
        if (after == s.c_str() + i) continue;  // a sign alone: no number to step over
        if (!std::isfinite(v) || std::fabs(v) > 1e15)
          refuse("#" + std::to_string(id) + ": number out of range: " + s.substr(i, 24));
        i = static_cast<std::size_t>(after - s.c_str()) - 1;
      }
    }
    if (depth != 0) refuse("#" + std::to_string(id) + ": unbalanced parentheses");
  }
  for (const auto& [target, from] : references)
    if (!defined.count(target))
      refuse("#" + std::to_string(from) + " refers to #" + std::to_string(target) +
             ", which the file does not define");
  return schema;
}

}  // namespace detail
}  // namespace stocklib
