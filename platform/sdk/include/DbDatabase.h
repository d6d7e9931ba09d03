// OdDbDatabase: one drawing in memory: its objects by handle, system variables, the
// named-objects dictionary, the model space, database reactors, undo, and the drawing file.
#pragma once
/// @file
/// A drawing in memory and its file.

#include <cstddef>
#include <memory>

#include "DbObject.h"
#include "DbObjectId.h"
#include "OdArray.h"
#include "OdString.h"
#include "RxObject.h"

class OdDbDatabase;
using OdDbDatabasePtr = OdSmartPtr<OdDbDatabase>;

namespace OdDb {
/// MEASUREMENT: the drawing's unit system.
enum MeasurementValue { kEnglish = 0, kMetric = 1 };
/// INSUNITS: the drawing's insertion unit (stored numbers; 0 to 20).
enum UnitsValue {
  kUnitsUndefined = 0,
  kUnitsInches = 1,
  kUnitsFeet = 2,
  kUnitsMiles = 3,
  kUnitsMillimeters = 4,
  kUnitsCentimeters = 5,
  kUnitsMeters = 6,
  kUnitsKilometers = 7,
  kUnitsMax = 20,
};
}  // namespace OdDb

/// The extension of drawing files (our own format; see docs/FORMATS.md).
#define OD_DRAWING_FILE_EXTENSION L".sldrw"

/// Receives events of the drawings it is attached to. `goodbye` is the last virtual.
class ODSDK_API OdDbDatabaseReactor : public OdRxObject {
 public:
  ~OdDbDatabaseReactor() override;
  /// objectAppended: `object` was added to `db`.
  virtual void objectAppended(const OdDbDatabase* db, const OdDbObject* object);
  /// objectModified: `object` was changed and closed.
  virtual void objectModified(const OdDbDatabase* db, const OdDbObject* object);
  /// objectErased: `object` was erased (`erased` true) or unerased.
  virtual void objectErased(const OdDbDatabase* db, const OdDbObject* object, bool erased);
  /// goodbye: `db` is being destroyed; its objects still exist.
  virtual void goodbye(const OdDbDatabase* db);
};

class ODSDK_API OdDbDatabase : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDbDatabase)
 public:
  // createObject() (from the runtime class) makes a new metric drawing; so does
  // odDbCreateDatabase(true).
  ~OdDbDatabase() override;

  /// readFile: replaces this drawing's contents by the drawing in `path`. Throws OdError:
  /// eFileNotFound / eFileAccessErr (cannot open or read), eNotADrawing (no drawing magic),
  /// eUnsupportedVersion, eBadDrawingFile (truncated, checksum or structure wrong). On failure
  /// the drawing is left exactly as it was.
  void readFile(const OdString& path);
  /// writeFile: writes the drawing to `path` through a temporary file in the same folder that is
  /// flushed to disk and renamed into place; the file name becomes `path` made absolute. Throws
  /// OdError(eFileWriteError) naming the failing step; `path` is then left untouched.
  void writeFile(const OdString& path);
  /// getFilename: full path of the file last read or written; empty for a new drawing.
  OdString getFilename() const;

  /// System variables. MEASUREMENT is 0 or 1, INSUNITS 0 to 20; setters throw
  /// OdError(eInvalidInput) for other values.
  OdDb::MeasurementValue getMEASUREMENT() const;
  void setMEASUREMENT(OdDb::MeasurementValue value);
  OdDb::UnitsValue getINSUNITS() const;
  void setINSUNITS(OdDb::UnitsValue value);

  /// getNamedObjectsDictionaryId: the root dictionary (always present).
  OdDbObjectId getNamedObjectsDictionaryId() const;
  /// getModelSpaceId: the model space, an OdDbBlockTableRecord (always present).
  OdDbObjectId getModelSpaceId() const;

  /// getOdDbObjectId: the id of `handle`, or null when the drawing has no such object.
  OdDbObjectId getOdDbObjectId(const OdDbHandle& handle) const;
  /// addOdDbObject: adds `object` under a new handle with owner `ownerId` and answers its id.
  /// Throws OdError(eNullObjectPointer) for null, OdError(eAlreadyInDb) when it is in a drawing.
  OdDbObjectId addOdDbObject(OdDbObject* object, const OdDbObjectId& ownerId = OdDbObjectId());
  /// handseed: the handle the next added object gets.
  OdDbHandle handseed() const;
  /// numObjects: objects that are not erased.
  std::size_t numObjects() const;
  /// objectIds: ids of the objects, erased ones only with `includeErased`, in handle order.
  OdArray<OdDbObjectId> objectIds(bool includeErased = false) const;

  /// Database reactors; adding one twice keeps one. The drawing holds a reference to each.
  void addReactor(OdDbDatabaseReactor* reactor);
  void removeReactor(OdDbDatabaseReactor* reactor);

  /// Undo. While recording, objects opened for write are snapshotted (assertWriteEnabled) and
  /// added objects noted. startUndoRecord sets a mark; undo() restores every object changed
  /// since the last mark (or since recording began) and erases the objects added since; it
  /// throws OdError(eWasOpenForWrite / eWasOpenForRead) when one of them is open, then changing
  /// nothing. hasUndo: something to undo.
  void setUndoRecording(bool recording);
  bool isUndoRecording() const;
  void startUndoRecord();
  void undo();
  bool hasUndo() const;

 protected:
  OdDbDatabase();

 public:
  struct Impl;
  Impl* impl() const { return m_impl.get(); }

 private:
  std::unique_ptr<Impl> m_impl;
};

/// odDbCreateDatabase: a new empty drawing: metric (MEASUREMENT 1, INSUNITS 4 millimetres) or
/// imperial (MEASUREMENT 0, INSUNITS 1 inches), with its named-objects dictionary and model space.
ODSDK_API OdDbDatabasePtr odDbCreateDatabase(bool metric = true);
