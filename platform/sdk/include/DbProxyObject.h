// OdDbProxyObject: stands for an object whose class was not registered when its drawing was
// read; keeps the original class record and data and writes them back byte for byte.
#pragma once
/// @file
/// The stand-in for an object whose class is not registered.

#include <cstdint>
#include <vector>

#include "DbObject.h"

/// The class record a drawing file stores for each class of its objects.
struct OdDbClassRecord {
  OdString name;
  OdString dxfName;
  OdString appName;
  OdString parentName;
  int dwgVersion = 0;
  int maintVersion = 0;
  int proxyFlags = 0;
};

class ODSDK_API OdDbProxyObject : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbProxyObject)
 public:
  ~OdDbProxyObject() override;
  /// originalClass: the class record of the object this proxy stands for.
  const OdDbClassRecord& originalClass() const;
  /// data: the object's data exactly as read (base data included).
  const std::vector<std::uint8_t>& data() const;
  /// Proxies are kept, not edited: dwgInFields reads every byte left, dwgOutFields writes them.
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

  /// For the drawing reader: sets the original class record.
  void setOriginalClass(const OdDbClassRecord& record);

 private:
  OdDbClassRecord m_class;
  std::vector<std::uint8_t> m_data;
};
using OdDbProxyObjectPtr = OdSmartPtr<OdDbProxyObject>;
