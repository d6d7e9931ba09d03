// Fuzz target: the drawing reader, with the library module loaded so that library records are
// read by their own class. The checksum is fixed up so that mutations reach the parser. A
// refused drawing is an OdError; anything else escaping, or a crash, is a finding.
#include "DbDatabase.h"
#include "FuzzSupport.h"
#include "OdError.h"
#include "RxModule.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  return module ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::scratchPath(".dwg");
  std::string bytes = fuzz::withChecksum(data, size);
  if (!fuzz::writeFile(path, bytes.data(), bytes.size())) return 0;
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  try {
    db->readFile(OdString::fromUtf8(path.c_str(), path.size()));
  } catch (const OdError&) {
  }
  return 0;
}
