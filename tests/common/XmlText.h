// A library written out as XML text, for comparing libraries in tests, fuzz targets and seeds.
#pragma once

#include <pugixml.hpp>

#include <sstream>
#include <string>

#include "stocklib/Library.h"

namespace sltest {

/// exportedText: the library written out as XML text; equal texts, equal libraries.
inline std::string exportedText(const stocklib::Library& lib) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  lib.exportToXml(root);
  std::ostringstream out;
  doc.save(out);
  return out.str();
}

}  // namespace sltest
