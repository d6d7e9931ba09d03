// Proxy objects: data of unregistered classes, kept and written back unchanged.
#include "DbProxyObject.h"

ODRX_DEFINE_MEMBERS(OdDbProxyObject, OdDbObject)

OdDbProxyObject::~OdDbProxyObject() = default;

const OdDbClassRecord& OdDbProxyObject::originalClass() const {
  return m_class;
}

const std::vector<std::uint8_t>& OdDbProxyObject::data() const {
  assertReadEnabled();
  return m_data;
}

void OdDbProxyObject::setOriginalClass(const OdDbClassRecord& record) {
  m_class = record;
}

// The base data is inside the kept bytes: it is not parsed, so nothing can change it.
void OdDbProxyObject::dwgOutFields(OdDbDwgFiler* filer) const {
  assertReadEnabled();
  filer->wrBytes(m_data.data(), m_data.size());
}

OdResult OdDbProxyObject::dwgInFields(OdDbDwgFiler* filer) {
  assertWriteEnabled(false, false);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(filer->bytesLeft()));
  filer->rdBytes(data.data(), data.size());
  m_data.swap(data);
  return eOk;
}
