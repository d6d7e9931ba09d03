// DynamicPropertyContext: the palette context (an entity and a ply index) that other modules hand
// to value computations. The runtime class is registered while the module is loaded.
#pragma once
/// @file

#include <cstdint>

#include "sl_db/SlDbExport.h"
#include "ut/KcRxObject.h"

class OdDbEntity;

namespace sl_db {

/// DynamicPropertyContext: runtime class "DynamicPropertyContext" (parent OdRxObject). The base
/// reports no entity and ply index -1.
class SLDB_API DynamicPropertyContext : public KcRxObject {
 public:
  /// A context of no entity; derived classes answer their own.
  DynamicPropertyContext() = default;

  /// desc: the registered runtime class; null while it is not registered.
  static OdRxClass* desc();
  /// isA: the registered runtime class, as desc().
  OdRxClass* isA() const override;
  /// queryX: this context (one more reference) for its own class, else a protocol extension of
  /// the class, else the runtime object's answer.
  OdRxObject* queryX(const OdRxClass* cls) const override;
  /// pseudoConstructor: the class makes no objects by itself; always empty.
  static OdRxObjectPtr pseudoConstructor();

  /// createObject: a new context for `entity` (not counted, not opened; may be null).
  static KcSmartPtr<DynamicPropertyContext> createObject(const OdDbEntity* entity,
                                                         int64_t plyIndex);
  /// queryX: `object` as a context; empty for null and for objects of other classes (also
  /// while the class is not registered).
  static KcSmartPtr<DynamicPropertyContext> queryX(const OdRxObject* object);
  /// createVirtualObject: what the class's pseudo-constructor makes, which is nothing (empty).
  /// OdError(eNotRegistered) while the class is not registered.
  static OdSmartPtr<DynamicPropertyContext> createVirtualObject();
  /// rxInit: registers the class; OdError(eAlreadyRegistered) when it is registered already.
  static void rxInit();
  /// rxUninit: unregisters it; OdError(eNotRegistered) when it is not registered.
  static void rxUninit();

  /// entity: the entity values are computed for (not opened by the context); null here.
  virtual const OdDbEntity* entity() const;
  /// plyIndex: the ply of a layered entity the values are for; -1 (none) here.
  virtual int64_t plyIndex() const;
  /// plyIndexAddress: where the ply index lives, for callers that change it in place.
  virtual int64_t* plyIndexAddress() = 0;
};

/// DynamicPropertyContextImpl: the context createObject makes.
class SLDB_API DynamicPropertyContextImpl : public DynamicPropertyContext {
 public:
  /// A context for `entity` (not counted, not opened; may be null) and `plyIndex`.
  DynamicPropertyContextImpl(const OdDbEntity* entity, int64_t plyIndex)
      : m_entity(entity), m_plyIndex(plyIndex) {}
  /// entity: the entity given at construction (may be null).
  const OdDbEntity* entity() const override { return m_entity; }
  /// plyIndex: the ply index given at construction, or as last changed in place.
  int64_t plyIndex() const override { return m_plyIndex; }
  int64_t* plyIndexAddress() override { return &m_plyIndex; }

 private:
  const OdDbEntity* m_entity;
  int64_t m_plyIndex;
};

}  // namespace sl_db
