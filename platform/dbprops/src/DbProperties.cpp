// DbProperties: the container's values, instance set keys and filing.
#include "dbprops/DbProperties.h"

#include "Cast.h"
#include "DbMemoryFiler.h"
#include "ValueIo.h"

namespace {
// Version of the container's filed data.
constexpr std::int32_t kFormatVersion = 1;
}  // namespace

const wchar_t* const DbProperties::kExtensionKind = L"DbProperties";

DbProperties::DbProperties() = default;
DbProperties::~DbProperties() = default;

bool DbProperties::setProperty(const OdString& name, const std::shared_ptr<DbProperty>& value) {
  if (!value || isDamaged() || dbprops_detail::depth(*value) > dbprops_detail::kMaxNesting)
    return false;
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
  if (it == m_values.end() || isDamaged()) return false;
  assertOwnerWrite();
  m_values.erase(it);
  return true;
}

bool DbProperties::attachInstancePropertySet(const OdString& key) {
  if (key.isEmpty() || isDamaged() || m_instanceSets.contains(key)) return false;
  assertOwnerWrite();
  m_instanceSets.append(key);
  return true;
}

bool DbProperties::detachInstancePropertySet(const OdString& key) {
  OdArray<OdString>::size_type index;
  if (isDamaged() || !m_instanceSets.find(key, index)) return false;
  assertOwnerWrite();
  m_instanceSets.removeAt(index);
  return true;
}

bool DbProperties::discardDamaged() {
  if (!isDamaged()) return false;
  assertOwnerWrite();
  m_unreadable.clear();
  m_raw.clear();
  m_rawIsWhole = false;
  m_damage = OdString();
  return true;
}

int DbProperties::maxNesting() {
  return dbprops_detail::kMaxNesting;
}

void DbProperties::dwgOut(OdDbDwgFiler* filer) const {
  if (m_rawIsWhole) {
    if (!m_raw.empty()) filer->wrBytes(m_raw.data(), m_raw.size());
    return;
  }
  filer->wrInt32(kFormatVersion);
  filer->wrUInt32(static_cast<std::uint32_t>(m_values.size() + m_unreadable.size()));
  for (const auto& entry : m_values) {
    filer->wrString(entry.first);
    dbprops_detail::writeDescriptor(filer, entry.second->type());
    entry.second->writeDataToDwg(filer);
  }
  // After the sound values, so that a repeated name stays the second one.
  for (const Unreadable& entry : m_unreadable)
    filer->wrBytes(entry.bytes.data(), entry.bytes.size());
  filer->wrUInt32(m_instanceSets.size());
  for (const OdString& key : m_instanceSets)
    filer->wrString(key);
  if (!m_raw.empty()) filer->wrBytes(m_raw.data(), m_raw.size());
}

namespace {

// Reads filed container data piece by piece, each piece from a fresh reader at `pos`, so that a
// value refused by the strict reader can be read again leniently from its start.
struct ContainerParse {
  const std::vector<std::uint8_t>& bytes;
  OdDbFiler::FilerType filerType;
  OdDbDatabase* db;
  std::size_t pos = 0;

  OdDbDwgFilerPtr at(std::size_t from) const {
    return odDbCreateMemoryReader(bytes.data() + from, bytes.size() - from, filerType, db);
  }
  // Runs `read` on a reader at `pos` and moves `pos` past what it took.
  template <class F>
  void step(F&& read) {
    OdDbDwgFilerPtr r = at(pos);
    const std::uint64_t before = r->bytesLeft();
    read(r.get());
    pos += static_cast<std::size_t>(before - r->bytesLeft());
  }
};

OdString reasonOf(const OdError& e) {
  return e.code() == eEndOfFile ? OdString(L"the data ends early") : e.description();
}

}  // namespace

OdResult DbProperties::dwgIn(OdDbDwgFiler* filer) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(filer->bytesLeft()));
  try {
    if (!bytes.empty()) filer->rdBytes(bytes.data(), bytes.size());
  } catch (const OdError& e) {
    return e.code();
  }
  ContainerParse p{bytes, filer->filerType(), filer->database()};
  Map values;
  std::vector<Unreadable> unreadable;
  OdArray<OdString> sets;
  OdString damage;
  std::uint32_t count = 0;
  try {
    p.step([&](OdDbDwgFiler* r) {
      std::int32_t version = r->rdInt32();
      if (version != kFormatVersion) {
        dbprops_detail::refuse(OdString::formatted(L"property container version %d", version));
      }
      count = r->rdUInt32();
      dbprops_detail::checkCount(r, count, L"property container");
    });
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t start = p.pos;
      OdString name;
      std::shared_ptr<DbProperty> value;
      OdString refused;
      try {
        p.step([&](OdDbDwgFiler* r) {
          name = r->rdString();
          DbPropertyType type = dbprops_detail::readDescriptor(r);
          value = dbprops_detail::readStored(r, type);
        });
        if (values.emplace(name, value).second) continue;
        refused = L"the name is repeated";
      } catch (const OdError& e) {
        refused = reasonOf(e);
        // Bounded when the layout reads without the checks that refused it.
        dbprops_detail::LenientGuard lenient;
        p.pos = start;
        try {
          p.step([&](OdDbDwgFiler* r) {
            name = r->rdString();
            DbPropertyType type = dbprops_detail::readDescriptor(r);
            (void)dbprops_detail::readStored(r, type);
          });
        } catch (const OdError&) {
          throw OdError(e.code(), OdString::formatted(L"value %u of %u: ", i + 1, count) + refused);
        }
      }
      unreadable.push_back({std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(start),
                                                      bytes.begin() + static_cast<long>(p.pos))});
      if (damage.isEmpty()) {
        damage = OdString::formatted(L"value %u of %u (", i + 1, count) + name + L"): " + refused;
      }
    }
    p.step([&](OdDbDwgFiler* r) {
      std::uint32_t setCount = r->rdUInt32();
      dbprops_detail::checkCount(r, setCount, L"instance property set list");
      OdArray<OdString> read(setCount);
      for (std::uint32_t k = 0; k < setCount; ++k)
        read.append(r->rdString());
      sets = std::move(read);
    });
  } catch (const OdError& e) {
    // Not bounded: nothing is listed, every byte is kept.
    m_values.clear();
    m_instanceSets.clear();
    m_unreadable.clear();
    m_raw.swap(bytes);
    m_rawIsWhole = true;
    m_damage = reasonOf(e);
    return eOk;
  }
  m_raw.clear();
  if (p.pos < bytes.size()) {
    m_raw.assign(bytes.begin() + static_cast<long>(p.pos), bytes.end());
    if (damage.isEmpty()) {
      damage = OdString::formatted(L"%llu bytes after the values",
                                   static_cast<unsigned long long>(m_raw.size()));
    }
  }
  m_values.swap(values);
  m_instanceSets = std::move(sets);
  m_unreadable.swap(unreadable);
  m_rawIsWhole = false;
  m_damage = damage;
  return eOk;
}
