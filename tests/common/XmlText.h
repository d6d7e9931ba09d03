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

/// toolExportText: the library written out as `stocklib-tool export` writes its file, for
/// comparing with an export kept beside a fixture.
inline std::string toolExportText(const stocklib::Library& lib) {
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child("stocklib");
  root.append_attribute("version") = "1";
  lib.exportToXml(root);
  std::ostringstream out;
  doc.save(out, "  ");
  return out.str();
}

}  // namespace sltest
