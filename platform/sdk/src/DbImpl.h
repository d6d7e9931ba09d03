// Private parts shared by the drawing sources: the id stub, the object's state, the drawing's
// contents, undo, and the process-wide extension registry.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "DbDatabase.h"
#include "DbObject.h"
#include "DbProxyObject.h"
#include "DrawingLock.h"

/// What an id points at: owned by its drawing, lives as long as the drawing.
class OdDbStub {
 public:
  OdDbDatabase* db = nullptr;
  OdDbHandle handle;
  OdDbObjectPtr object;  // the drawing's reference; empty when the handle names no object
};

namespace OdDbDetail {

/// One attached extension: typed, or kept as the bytes it was read from.
struct ExtensionSlot {
  OdDbObjectExtensionPtr typed;
  std::vector<std::uint8_t> raw;
};

}  // namespace OdDbDetail

struct OdDbObject::Impl {
  OdDbStub* stub = nullptr;
  OdDbObjectId owner;
  // A new object is open for write by its maker until added and released.
  OdDb::OpenMode mode = OdDb::kForWrite;
  int openCount = 1;
  bool modified = false;
  bool snapshotTaken = false;
  bool erased = false;
  std::uint64_t changes = 0;
  std::vector<OdSmartPtr<OdDbObjectReactor>> reactors;
  mutable std::map<OdString, OdDbDetail::ExtensionSlot> extensions;
};

namespace OdDbDetail {

struct ObjectAccess {
  static OdDbObject::Impl& impl(const OdDbObject* object) { return *object->m_impl; }
  /// open: the opening rules of OdDbObjectId::openObject.
  static OdResult open(OdDbObject* object, OdDb::OpenMode mode, bool openErased);
  /// endOpen: ends the open and sends `modified` when the object was changed.
  static void endOpen(const OdDbObject* object);
  /// setClosed: marks the object closed without notifying anyone (after reading or undo).
  static void setClosed(OdDbObject* object);
  /// setOpenForWrite: opens a closed object for write without any check or snapshot.
  static void setOpenForWrite(OdDbObject* object);
  /// toRaw: turns the typed data of `kind` into bytes (its kind is being unregistered).
  static void extensionToRaw(OdDbObject* object, const OdString& kind);
};

struct UndoEntry {
  OdDbStub* stub = nullptr;
  bool appended = false;  // undo erases the object
  bool erased = false;    // the erased state when snapshotted
  std::vector<std::uint8_t> bytes;
};

/// extensionFactory: the factory of `kind`, or null.
OdDbObjectExtensionFactory extensionFactory(const OdString& kind);

}  // namespace OdDbDetail

struct OdDbDatabase::Impl {
  struct Content {
    std::map<std::uint64_t, std::unique_ptr<OdDbStub>> stubs;
    std::uint64_t handseed = 1;
    OdDb::MeasurementValue measurement = OdDb::kMetric;
    OdDb::UnitsValue insunits = OdDb::kUnitsMillimeters;
    OdDbObjectId nod;
    OdDbObjectId modelSpace;
    OdString filename;
  };

  OdDbDatabase* self = nullptr;
  Content content;
  std::vector<OdSmartPtr<OdDbDatabaseReactor>> reactors;
  bool undoRecording = false;
  std::vector<OdDbDetail::UndoEntry> undoEntries;
  std::vector<std::size_t> undoMarks;
  bool undoing = false;
  // Held from a readFile for change until the drawing goes or reads another file.
  std::unique_ptr<OdDbDetail::DrawingLock> changeLock;

  /// stubFor: the stub of `handle`, made when missing.
  OdDbStub* stubFor(std::uint64_t handle);
  /// add: puts `object` in the drawing under `handle`.
  OdDbObjectId add(OdDbObject* object, std::uint64_t handle, const OdDbObjectId& owner);
  /// snapshot: records `object`'s state for undo.
  void snapshot(const OdDbObject* object);

  void notifyModified(const OdDbObject* object);
  void notifyErased(const OdDbObject* object, bool erased);
  void notifyAppended(const OdDbObject* object);

  /// dropObjects: takes every object of `c` out of the drawing and releases it; pointers held
  /// elsewhere keep a valid object that is in no drawing.
  static void dropObjects(Content& c);

  /// Drawing file (DbFile.cpp).
  void write(const OdString& path);
  /// read: replaces `into`'s contents by the drawing at `path`; with `forChange`, under the
  /// drawing's change lock, which `into` then holds.
  static void read(const OdString& path, OdDbDatabase& into, bool forChange);
  static void readUnlocked(const OdString& path, OdDbDatabase& into);

  /// The drawings alive in the process, for converting extension data of a kind that goes.
  static void registerLive(Impl* impl);
  static void unregisterLive(Impl* impl);
  /// extensionKindGone: turns every live object's data of `kind` into bytes.
  static void extensionKindGone(const OdString& kind);
};
