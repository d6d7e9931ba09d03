// Runtime classes: OdRxClass (name, parent, pseudo-constructor, filing versions, proxy flags,
// DXF and application names, protocol extensions) and the process-wide class dictionary.
#pragma once
/// @file
/// Runtime classes and the process-wide class dictionary.

#include <functional>
#include <memory>
#include <vector>

#include "OdExport.h"
#include "OdString.h"
#include "RxObject.h"

namespace OdDb {
/// Drawing file versions of a runtime class's data (stored numbers; stable).
using DwgVersion = int;
using MaintReleaseVer = int;
}  // namespace OdDb

/// Proxy flags of a runtime class (a bit set; stored in drawings).
enum OdProxyFlags {
  kNoOperation = 0,
  kEraseAllowed = 0x1,
  kTransformAllowed = 0x2,
  kColorChangeAllowed = 0x4,
  kLayerChangeAllowed = 0x8,
  kLinetypeChangeAllowed = 0x10,
  kLinetypeScaleChangeAllowed = 0x20,
  kVisibilityChangeAllowed = 0x40,
  kCloningAllowed = 0x80,
  kLineWeightChangeAllowed = 0x100,
  kPlotStyleNameChangeAllowed = 0x200,
  kDisableProxyWarning = 0x400,
  kMaterialChangeAllowed = 0x800,
};

/// Called when a drawing is saved, so that a class may name its application differently.
using AppNameChangeFuncPtr = void (*)(const OdRxClass* classObj, OdString& newAppName, int saveVer);

class ODSDK_API OdRxClass : public OdRxObject {
 public:
  ~OdRxClass() override;

  static OdRxClass* desc();
  OdRxClass* isA() const override;
  OdRxObject* queryX(const OdRxClass* cls) const override;

  /// name: the registered class name, unique in the class dictionary.
  const OdString& name() const;
  /// myParent: the parent class, or null for the root class.
  OdRxClass* myParent() const;
  /// isDerivedFrom: true when `other` is this class or one of its ancestors; false for null.
  bool isDerivedFrom(const OdRxClass* other) const;
  /// create: a new object made by the pseudo-constructor (may be empty); OdError(eNotApplicable)
  /// when the class has no pseudo-constructor.
  OdRxObjectPtr create() const;
  OdPseudoConstructorType constructor() const;

  /// getClassVersion: DWG version of the class's data; `maintVer` receives the maintenance one.
  OdDb::DwgVersion getClassVersion(OdDb::MaintReleaseVer* maintVer = nullptr) const;
  int proxyFlags() const;
  const OdString& dxfName() const;
  const OdString& appName() const;
  AppNameChangeFuncPtr appNameCallbackPtr() const;
  void setAppNameCallback(AppNameChangeFuncPtr callback);

  /// Protocol extensions: objects attached to this class for a protocol class.
  /// getX: the extension for `protocolClass`, looked up on this class, then on its parents.
  OdRxObjectPtr getX(const OdRxClass* protocolClass) const;
  /// addX: attaches `extension` (replacing and answering the previous one, if any).
  OdRxObjectPtr addX(const OdRxClass* protocolClass, OdRxObject* extension);
  /// delX: detaches and answers the extension for `protocolClass`.
  OdRxObjectPtr delX(const OdRxClass* protocolClass);

  void addRef() const override {}
  void release() const override {}

 public:
  struct Data;

 private:
  friend ODSDK_API OdRxClass* newOdRxClass(const OdString&, OdRxClass*, OdPseudoConstructorType,
                                           int, int, int, const OdString&, const OdString&,
                                           AppNameChangeFuncPtr);
  friend ODSDK_API void deleteOdRxClass(OdRxClass*);
  OdRxClass();
  std::unique_ptr<Data> m_data;
};

/// newOdRxClass: registers a class in the class dictionary and answers it. Throws
/// OdError(eAlreadyRegistered, 313) when the name is taken.
ODSDK_API OdRxClass* newOdRxClass(const OdString& name, OdRxClass* parent,
                                  OdPseudoConstructorType pseudoConstructor = nullptr,
                                  int dwgVer = 0, int maintVer = 0, int proxyFlags = 0,
                                  const OdString& dxfName = OdString(),
                                  const OdString& appName = OdString(),
                                  AppNameChangeFuncPtr appNameChange = nullptr);
/// deleteOdRxClass: unregisters and deletes a class made by newOdRxClass. Throws
/// OdError(eNotRegistered, 255) for null or a class that is not registered.
ODSDK_API void deleteOdRxClass(OdRxClass* cls);

/// The process-wide dictionary of runtime classes, by name.
class ODSDK_API OdRxClassDictionary {
 public:
  /// getAt: the class registered under `name`, or null.
  OdRxClass* getAt(const OdString& name) const;
  bool has(const OdString& name) const { return getAt(name) != nullptr; }
  unsigned int numEntries() const;
  /// names: every registered name, in UTF-16 code-unit order.
  std::vector<OdString> names() const;

 private:
  friend ODSDK_API OdRxClassDictionary* odrxClassDictionary();
  OdRxClassDictionary() = default;
};

/// odrxClassDictionary: the class dictionary; the SDK's own classes are registered in it on
/// first use.
ODSDK_API OdRxClassDictionary* odrxClassDictionary();

/// Shared body of the queryX members made by ODRX_DEFINE_MEMBERS*.
template <class ParentQuery>
OdRxObject* odrxQueryXImpl(const OdRxObject* self, const OdRxClass* own, const OdRxClass* cls,
                           ParentQuery parent) {
  if (!cls) return nullptr;
  if (cls == own) {
    self->addRef();
    return const_cast<OdRxObject*>(self);
  }
  if (own) {
    OdRxObjectPtr extension = own->getX(cls);
    if (extension) return extension.detach();
  }
  return parent();
}
