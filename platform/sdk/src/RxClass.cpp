// Runtime classes and the class dictionary.
#include "RxClass.h"

#include <map>
#include <mutex>

namespace {

struct Registry {
  std::recursive_mutex mutex;
  std::map<OdString, OdRxClass*> classes;
};

Registry& registry() {
  static Registry* r = new Registry;  // never destroyed: classes may be unregistered at exit
  return *r;
}

}  // namespace

struct OdRxClass::Data {
  OdString name;
  OdRxClass* parent = nullptr;
  OdPseudoConstructorType constructor = nullptr;
  int dwgVersion = 0;
  int maintVersion = 0;
  int proxyFlags = 0;
  OdString dxfName;
  OdString appName;
  AppNameChangeFuncPtr appNameChange = nullptr;
  std::map<const OdRxClass*, OdRxObjectPtr> extensions;
};

OdRxClass::OdRxClass() : m_data(std::make_unique<Data>()) {}
OdRxClass::~OdRxClass() = default;

const OdString& OdRxClass::name() const { return m_data->name; }
OdRxClass* OdRxClass::myParent() const { return m_data->parent; }

bool OdRxClass::isDerivedFrom(const OdRxClass* other) const {
  if (!other) return false;
  for (const OdRxClass* c = this; c; c = c->m_data->parent) {
    if (c == other) return true;
  }
  return false;
}

OdRxObjectPtr OdRxClass::create() const {
  if (!m_data->constructor) {
    throw OdError(eNotApplicable, OdString(L"class ") + m_data->name + L" cannot be created");
  }
  return m_data->constructor();
}

OdPseudoConstructorType OdRxClass::constructor() const { return m_data->constructor; }

OdDb::DwgVersion OdRxClass::getClassVersion(OdDb::MaintReleaseVer* maintVer) const {
  if (maintVer) *maintVer = m_data->maintVersion;
  return m_data->dwgVersion;
}

int OdRxClass::proxyFlags() const { return m_data->proxyFlags; }
const OdString& OdRxClass::dxfName() const { return m_data->dxfName; }
const OdString& OdRxClass::appName() const { return m_data->appName; }
AppNameChangeFuncPtr OdRxClass::appNameCallbackPtr() const { return m_data->appNameChange; }
void OdRxClass::setAppNameCallback(AppNameChangeFuncPtr callback) {
  m_data->appNameChange = callback;
}

OdRxObjectPtr OdRxClass::getX(const OdRxClass* protocolClass) const {
  std::lock_guard<std::recursive_mutex> lock(registry().mutex);
  for (const OdRxClass* c = this; c; c = c->m_data->parent) {
    auto it = c->m_data->extensions.find(protocolClass);
    if (it != c->m_data->extensions.end()) return it->second;
  }
  return OdRxObjectPtr();
}

OdRxObjectPtr OdRxClass::addX(const OdRxClass* protocolClass, OdRxObject* extension) {
  std::lock_guard<std::recursive_mutex> lock(registry().mutex);
  OdRxObjectPtr& slot = m_data->extensions[protocolClass];
  OdRxObjectPtr previous = slot;
  slot = extension;
  if (!extension) m_data->extensions.erase(protocolClass);
  return previous;
}

OdRxObjectPtr OdRxClass::delX(const OdRxClass* protocolClass) {
  std::lock_guard<std::recursive_mutex> lock(registry().mutex);
  auto it = m_data->extensions.find(protocolClass);
  if (it == m_data->extensions.end()) return OdRxObjectPtr();
  OdRxObjectPtr previous = it->second;
  m_data->extensions.erase(it);
  return previous;
}

OdRxClass* newOdRxClass(const OdString& name, OdRxClass* parent,
                        OdPseudoConstructorType pseudoConstructor, int dwgVer, int maintVer,
                        int proxyFlags, const OdString& dxfName, const OdString& appName,
                        AppNameChangeFuncPtr appNameChange) {
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  if (name.isEmpty()) throw OdError(eInvalidInput, OdString(L"a class needs a name"));
  if (r.classes.count(name)) {
    throw OdError(eAlreadyRegistered, OdString(L"class ") + name + L" is already registered");
  }
  auto* cls = new OdRxClass;
  OdRxClass::Data& d = *cls->m_data;
  d.name = name;
  d.parent = parent;
  d.constructor = pseudoConstructor;
  d.dwgVersion = dwgVer;
  d.maintVersion = maintVer;
  d.proxyFlags = proxyFlags;
  d.dxfName = dxfName;
  d.appName = appName;
  d.appNameChange = appNameChange;
  r.classes.emplace(name, cls);
  return cls;
}

void deleteOdRxClass(OdRxClass* cls) {
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  if (!cls) throw OdError(eNotRegistered, OdString(L"no class to unregister"));
  auto it = r.classes.find(cls->name());
  if (it == r.classes.end() || it->second != cls) {
    throw OdError(eNotRegistered, OdString(L"class ") + cls->name() + L" is not registered");
  }
  r.classes.erase(it);
  delete cls;
}

OdRxClass* OdRxClassDictionary::getAt(const OdString& name) const {
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  auto it = r.classes.find(name);
  return it == r.classes.end() ? nullptr : it->second;
}

unsigned int OdRxClassDictionary::numEntries() const {
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  return static_cast<unsigned int>(r.classes.size());
}

std::vector<OdString> OdRxClassDictionary::names() const {
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> lock(r.mutex);
  std::vector<OdString> out;
  out.reserve(r.classes.size());
  for (const auto& entry : r.classes) out.push_back(entry.first);
  return out;
}

OdRxClassDictionary* odrxClassDictionary() {
  static OdRxClassDictionary dictionary;
  return &dictionary;
}

// The two root classes are made on first use and live for the whole process.
OdRxClass* OdRxObject::desc() {
  static OdRxClass* cls = newOdRxClass(OdString(L"OdRxObject"), nullptr);
  return cls;
}

OdRxClass* OdRxClass::desc() {
  static OdRxClass* cls = newOdRxClass(OdString(L"OdRxClass"), OdRxObject::desc());
  return cls;
}

OdRxClass* OdRxClass::isA() const { return OdRxClass::desc(); }

OdRxObject* OdRxClass::queryX(const OdRxClass* cls) const {
  return odrxQueryXImpl(this, OdRxClass::desc(), cls, [&] { return OdRxObject::queryX(cls); });
}
