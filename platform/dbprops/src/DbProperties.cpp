// DbProperties: the container's values, instance set keys and filing.
#include "dbprops/DbProperties.h"

#include "Cast.h"
#include "ValueIo.h"

namespace {
// Version of the container's filed data.
constexpr std::int32_t kFormatVersion = 1;
}  // namespace

const wchar_t* const DbProperties::kExtensionKind = L"DbProperties";

DbProperties::DbProperties() = default;
DbProperties::~DbProperties() = default;

bool DbProperties::setProperty(const OdString& name, const std::shared_ptr<DbProperty>& value) {
  if (!value) return false;
  assertOwnerWrite();
  m_values[name] = value;
  return true;
}

std::shared_ptr<const DbProperty> DbProperties::getProperty(const OdString& name) const {
  auto it = m_values.find(name);
  return it == m_values.end() ? nullptr : it->second;
}

std::shared_ptr<DbProperty> DbProperties::getProperty(const OdString& name) {
  auto it = m_values.find(name);
  return it == m_values.end() ? nullptr : it->second;
}

std::shared_ptr<DbProperty> DbProperties::castProperty(const OdString& name,
                                                       const DbPropertyType& type) {
  auto it = m_values.find(name);
  if (it == m_values.end() || !type.isValid()) return nullptr;
  if (it->second->type() == type) return it->second;
  std::shared_ptr<DbProperty> converted = dbprops_detail::convert(*it->second, type);
  // A value the type cannot hold stays as it is: replacing it would destroy the user's data.
  if (!converted || !ownerWritable()) return converted;
  assertOwnerWrite();
  it->second = converted;
  return converted;
}

bool DbProperties::resetProperty(const OdString& name) {
  auto it = m_values.find(name);
  if (it == m_values.end()) return false;
  assertOwnerWrite();
  m_values.erase(it);
  return true;
}

bool DbProperties::attachInstancePropertySet(const OdString& key) {
  if (key.isEmpty() || m_instanceSets.contains(key)) return false;
  assertOwnerWrite();
  m_instanceSets.append(key);
  return true;
}

bool DbProperties::detachInstancePropertySet(const OdString& key) {
  OdArray<OdString>::size_type index;
  if (!m_instanceSets.find(key, index)) return false;
  assertOwnerWrite();
  m_instanceSets.removeAt(index);
  return true;
}

void DbProperties::dwgOut(OdDbDwgFiler* filer) const {
  filer->wrInt32(kFormatVersion);
  filer->wrUInt32(static_cast<std::uint32_t>(m_values.size()));
  for (const auto& entry : m_values) {
    filer->wrString(entry.first);
    dbprops_detail::writeDescriptor(filer, entry.second->type());
    entry.second->writeDataToDwg(filer);
  }
  filer->wrUInt32(m_instanceSets.size());
  for (const OdString& key : m_instanceSets)
    filer->wrString(key);
}

OdResult DbProperties::dwgIn(OdDbDwgFiler* filer) {
  try {
    std::int32_t version = filer->rdInt32();
    if (version != kFormatVersion) {
      dbprops_detail::refuse(OdString::formatted(L"property container version %d", version));
    }
    std::uint32_t count = filer->rdUInt32();
    dbprops_detail::checkCount(filer, count, L"property container");
    Map values;
    for (std::uint32_t i = 0; i < count; ++i) {
      OdString name = filer->rdString();
      DbPropertyType type = dbprops_detail::readDescriptor(filer);
      std::shared_ptr<DbProperty> value = dbprops_detail::readStored(filer, type);
      if (!values.emplace(name, value).second) {
        dbprops_detail::refuse(L"property name repeated: " + name);
      }
    }
    std::uint32_t setCount = filer->rdUInt32();
    dbprops_detail::checkCount(filer, setCount, L"instance property set list");
    OdArray<OdString> sets(setCount);
    for (std::uint32_t i = 0; i < setCount; ++i)
      sets.append(filer->rdString());
    m_values.swap(values);
    m_instanceSets = std::move(sets);
    return eOk;
  } catch (const OdError& e) {
    return e.code();
  }
}
