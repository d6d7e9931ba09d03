// OdDbDictionary: named references to drawing objects, kept in UTF-16 name order. Names are
// compared exactly (case matters). Erased entries count as absent.
#pragma once
/// @file
/// Dictionaries of named references to drawing objects.

#include <utility>
#include <vector>

#include "DbObject.h"

class ODSDK_API OdDbDictionary : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbDictionary)
 public:
  OdDbDictionary();
  ~OdDbDictionary() override;

  /// getAt: the id stored under `name`, or null.
  OdDbObjectId getAt(const OdString& name) const;
  /// getAt: the object under `name` opened in `mode`, or empty when absent or not openable.
  OdDbObjectPtr getAt(const OdString& name, OdDb::OpenMode mode) const;
  /// setAt: stores `object` under `name` (replacing the entry; the object it named stays in the
  /// drawing), adding it to this dictionary's drawing owned by this dictionary when it is in
  /// none. Needs write access. Throws OdError(eInvalidInput) for an empty name, a null object or
  /// an object of another drawing,
  /// OdError(eNoDatabase) when the object must be added and this dictionary is in no drawing.
  OdDbObjectId setAt(const OdString& name, OdDbObject* object);
  /// remove: removes the entry and answers its id (null when absent); the object stays.
  OdDbObjectId remove(const OdString& name);
  bool has(const OdString& name) const;
  bool has(const OdDbObjectId& id) const;
  /// nameAt: the name under which `id` is stored, or empty.
  OdString nameAt(const OdDbObjectId& id) const;
  unsigned int numEntries() const;
  /// entries: every (name, id), in name order.
  std::vector<std::pair<OdString, OdDbObjectId>> entries() const;

  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  struct Data;
  std::unique_ptr<Data> m_data;
};
using OdDbDictionaryPtr = OdSmartPtr<OdDbDictionary>;
