// XML import and export of library objects.
#include <pugixml.hpp>
#include "stocklib/Library.h"
namespace stocklib {
void Library::importFromXml(pugi::xml_node&, const ImportOptions&) {
  throw Exception("XML import is not available yet");
}
void Library::exportToXml(pugi::xml_node&) const {
  throw Exception("XML export is not available yet");
}
}  // namespace stocklib
