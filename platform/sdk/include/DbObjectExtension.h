// Data that a higher library attaches to drawing objects without the SDK knowing its type.
// Attached data is filed with the object's own base data: it is saved in drawing files, copied
// with the object and restored by undo. Data of a kind that is not registered when a drawing is
// read is kept as bytes and written back unchanged.
#pragma once
/// @file
/// Data other libraries attach to drawing objects, filed with them.

#include "DbFiler.h"
#include "OdResult.h"
#include "OdString.h"
#include "RxObject.h"

class ODSDK_API OdDbObjectExtension : public OdRxObject {
 public:
  ~OdDbObjectExtension() override;
  /// dwgOut: writes the data (the SDK frames it with the kind and its length).
  virtual void dwgOut(OdDbDwgFiler* filer) const = 0;
  /// dwgIn: reads the data written by dwgOut; answers eOk, or an error result (the object then
  /// keeps the data it had before the read).
  virtual OdResult dwgIn(OdDbDwgFiler* filer) = 0;
};
using OdDbObjectExtensionPtr = OdSmartPtr<OdDbObjectExtension>;

/// Makes an empty extension of one registered kind.
using OdDbObjectExtensionFactory = OdDbObjectExtensionPtr (*)();

/// odDbRegisterObjectExtension: registers the factory of `kind` (a stable name that is stored in
/// drawings). Throws OdError(eAlreadyRegistered) when the kind is registered already.
ODSDK_API void odDbRegisterObjectExtension(const OdString& kind,
                                           OdDbObjectExtensionFactory factory);
/// odDbUnregisterObjectExtension: removes the kind; throws OdError(eNotRegistered) when unknown.
/// Objects keep their data of that kind (as bytes, written back unchanged).
ODSDK_API void odDbUnregisterObjectExtension(const OdString& kind);
/// odDbIsObjectExtensionRegistered: true when `kind` has a factory.
ODSDK_API bool odDbIsObjectExtensionRegistered(const OdString& kind);

// On OdDbObject (implemented with the drawing objects):
//   OdDbObjectExtension* extension(const OdString& kind) const;   // null when none of that kind
//   void setExtension(const OdString& kind, OdDbObjectExtension* data);  // null removes; needs
//                                                      // the object open for write (undo-recorded)
