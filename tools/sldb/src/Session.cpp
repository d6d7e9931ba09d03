// Opening, binding and saving the drawing of one command.
#include "Session.h"

#include <iostream>

#include "DbFileLock.h"
#include "DbMemoryFiler.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "ut/FileUtils.h"

namespace sldb {

namespace {

/// The record's filed bytes (embedded library included); empty without a record.
std::vector<std::uint8_t> recordBytes(OdDbDatabase* db) {
  std::vector<std::uint8_t> bytes;
  OdDbObjectPtr record = DbStockLibManager::getInstance(*db).openObject(OdDb::kForRead);
  if (record) record->dwgOutFields(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler, db));
  return bytes;
}

}  // namespace

void status(const std::string& line) {
  std::cerr << shown(line) << "\n";
}

DrawingSession::DrawingSession(std::string path, bool forChange) : m_path(std::move(path)) {
  const OdString file = OdString::fromUtf8(m_path);
  if (!ut::fileExists(file)) throw Failure{"no drawing at " + m_path};
  m_db = odDbCreateDatabase();
  try {
    if (forChange) {
      odDbReadFileForChange(m_db.get(), file);
    } else {
      m_db->readFile(file);
    }
  } catch (const OdError& e) {
    const std::string why = e.description().toUtf8();
    if (e.code() == eFileLocked) throw Failure{why};
    throw Failure{m_path + " is not a drawing (" + why + ")"};
  }
  m_record = recordBytes(m_db.get());
}

sl_db::DocumentLibraries& DrawingSession::libraries() const {
  return *sl_db::docLibs(m_db.get());
}

bool DrawingSession::finish(bool quiet) {
  if (!m_changed && recordBytes(m_db.get()) == m_record) return false;
  m_db->writeFile(OdString::fromUtf8(m_path));
  m_record = recordBytes(m_db.get());
  m_changed = false;
  if (!quiet || verbose()) status("saved " + m_path);
  return true;
}

void DrawingCommand::declare(CLI::App& command) {
  command.add_option("DRAWING", m_drawing, "the drawing file")->required();
  options(command);
}

int DrawingCommand::run() {
  DrawingSession drawing(m_drawing, !readOnly());
  const int rc = run(drawing);
  if (rc == 0) drawing.finish(quiet());
  return rc;
}

}  // namespace sldb
