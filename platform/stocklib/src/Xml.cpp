// XML import and export of library objects.
#include "stocklib/Library.h"
#include <pugixml.hpp>
namespace stocklib {
void Library::importFromXml(pugi::xml_node&, const ImportOptions&) { throw Exception("XML import is not available yet"); }
void Library::exportToXml(pugi::xml_node&) const { throw Exception("XML export is not available yet"); }
}
