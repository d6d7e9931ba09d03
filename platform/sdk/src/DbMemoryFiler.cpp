// Public factories of the memory filers used by the drawing file and undo.
#include "DbMemoryFiler.h"

#include "DbFilerImpl.h"

OdDbDwgFilerPtr odDbCreateMemoryWriter(std::vector<std::uint8_t>& out, OdDbFiler::FilerType type,
                                       OdDbDatabase* db) {
  return OdRxObjectImpl<OdDbDetail::BufferWriter, OdDbDwgFiler>::createObject(out, type, db);
}

OdDbDwgFilerPtr odDbCreateMemoryReader(const std::uint8_t* data, std::size_t size,
                                       OdDbFiler::FilerType type, OdDbDatabase* db) {
  return OdRxObjectImpl<OdDbDetail::BufferReader, OdDbDwgFiler>::createObject(data, size, type, db);
}
