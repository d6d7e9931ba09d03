// OdDbObject: the base of every object stored in a drawing, with its open/close protocol,
// transient reactors, erasure, filing of its own data and attached extension data.
#pragma once
/// @file
/// The base of every object stored in a drawing.

#include <atomic>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "DbFiler.h"
#include "DbObjectExtension.h"
#include "DbObjectId.h"
#include "OdResult.h"
#include "RxObject.h"

class OdDbObject;

/// Receives events of the objects it is attached to. Transient: never filed.
class ODSDK_API OdDbObjectReactor : public OdRxObject {
 public:
  ~OdDbObjectReactor() override;
  /// modified: the object was opened for write, changed and has just been closed.
  virtual void modified(const OdDbObject* object);
  /// erased: the object was erased (`erasing` true) or unerased (false).
  virtual void erased(const OdDbObject* object, bool erasing);
  /// goodbye: the object is about to be deleted.
  virtual void goodbye(const OdDbObject* object);
};

namespace OdDbDetail {
struct ObjectAccess;
}

class ODSDK_API OdDbObject : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDbObject)
 public:
  ~OdDbObject() override;

  // A drawing object counts its own references: when only its drawing still holds it (every
  // pointer released, including ones kept after an earlier close()), the open ends as close()
  // would.
  void addRef() const final;
  void release() const final;
  long numRefs() const final;

  /// objectId: the id in the drawing; null when the object is in no drawing.
  OdDbObjectId objectId() const;
  /// ownerId: the id of the owning object (a dictionary, the model space); may be null.
  OdDbObjectId ownerId() const;
  /// setOwnerId: sets the owner (needs the object open for write).
  void setOwnerId(const OdDbObjectId& owner);
  /// database: the drawing of the object, or null.
  OdDbDatabase* database() const;
  /// isDBRO: true when the object is in a drawing.
  bool isDBRO() const;

  /// Open state. A new object that is in no drawing is open for write.
  OdDb::OpenMode openMode() const;
  bool isReadEnabled() const;   // open for read, write or notify
  bool isWriteEnabled() const;  // open for write
  bool isNotifyEnabled() const;
  /// assertReadEnabled: throws OdError(eNotOpenForRead) when not readable.
  void assertReadEnabled() const;
  /// assertWriteEnabled: throws OdError(eNotOpenForWrite) when not open for write. With
  /// `autoUndo` and undo recording on in its drawing, the first call of an open snapshots the
  /// object through the undo filer; with `recordModified` the close sends `modified`.
  void assertWriteEnabled(bool autoUndo = true, bool recordModified = true);
  /// close: ends one open (one reader, or the writer); the last one ends the open, sending
  /// `modified` when the object was changed. Does nothing on an object that is not open.
  void close();
  /// upgradeOpen: read to write; throws OdError(eWasOpenForRead) while other readers hold it.
  void upgradeOpen();
  /// downgradeOpen: write to read; `modified` is still sent when the open ends.
  void downgradeOpen();

  /// Transient reactors (not filed). Adding one twice keeps one.
  void addReactor(OdDbObjectReactor* reactor);
  void removeReactor(OdDbObjectReactor* reactor);

  /// erase: erases (or unerases) the object; needs it open for write.
  void erase(bool erasing = true);
  bool isErased() const;

  /// dwgInFields / dwgOutFields: read and write the base object's own data (its owner and
  /// attached extension data). A derived class calls the base first. dwgInFields needs write,
  /// dwgOutFields read access; dwgInFields answers eOk or the reason the data was refused.
  virtual OdResult dwgInFields(OdDbDwgFiler* filer);
  virtual void dwgOutFields(OdDbDwgFiler* filer) const;

  /// extension: the data of `kind` attached to this object, or null. Data read for a kind that
  /// was not registered then is converted when the kind is registered by now.
  OdDbObjectExtension* extension(const OdString& kind) const;
  /// setExtension: attaches `data` under `kind` (null removes); needs write access.
  void setExtension(const OdString& kind, OdDbObjectExtension* data);
  /// extensionKinds: the kinds attached, in name order.
  std::vector<OdString> extensionKinds() const;
  /// changeCount: grows with every write access asserted (so with every change made through the
  /// object's or its extension data's own functions, undo included) and every extension typed or
  /// turned into bytes. While it stands, extension data found before is still attached as it was.
  std::uint64_t changeCount() const;

 protected:
  OdDbObject();

 public:
  struct Impl;  // private to the SDK (its definition is not public)

 private:
  friend struct OdDbDetail::ObjectAccess;
  std::unique_ptr<Impl> m_impl;
  mutable std::atomic<long> m_refs{1};
};

/// Drawing objects count their own references; their OdRxObjectImpl only adds the factory.
template <class T, class TInterface>
class OdRxObjectImpl<T, TInterface, std::enable_if_t<std::is_base_of_v<OdDbObject, T>>> : public T {
 public:
  template <class... Args>
  explicit OdRxObjectImpl(Args&&... args) : T(std::forward<Args>(args)...) {}
  template <class... Args>
  static OdSmartPtr<TInterface> createObject(Args&&... args) {
    return OdSmartPtr<TInterface>(new OdRxObjectImpl(std::forward<Args>(args)...), kOdRxObjAttach);
  }
};
