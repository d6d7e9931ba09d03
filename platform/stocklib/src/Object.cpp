// The object base: field storage and access, lazy references, per-object reactors and the
// entry point of every save.
#include "stocklib/Object.h"

#include <algorithm>

#include "Schema.h"
#include "Store.h"
#include "stocklib/Library.h"

ODRX_NO_CONS_DEFINE_MEMBERS(stocklib::Object, KcRxObject)

namespace stocklib {

ObjectReactor::~ObjectReactor() {
  std::vector<const Object*> objects = m_objects;
  for (const Object* o : objects)
    o->removeReactor(this);
}
void ObjectReactor::modified(const Object*) {}
void ObjectReactor::saved(const Object*) {}
void ObjectReactor::removed(const Object*) {}

Object::Object(const detail::TypeDesc& type)
    : m_type(&type), m_values(type.allFields.size()), m_lists(type.allLists.size()) {}

Object::~Object() {
  for (ObjectReactor* r : m_reactors) {
    auto& objs = r->m_objects;
    objs.erase(std::remove(objs.begin(), objs.end(), this), objs.end());
  }
}

ObjectType Object::objectType() const {
  return m_type->type;
}

void Object::addReactor(ObjectReactor* reactor) const {
  if (!reactor || std::find(m_reactors.begin(), m_reactors.end(), reactor) != m_reactors.end())
    return;
  m_reactors.push_back(reactor);
  reactor->m_objects.push_back(this);
}

void Object::removeReactor(ObjectReactor* reactor) const {
  auto it = std::find(m_reactors.begin(), m_reactors.end(), reactor);
  if (it == m_reactors.end()) return;
  m_reactors.erase(it);
  auto& objs = reactor->m_objects;
  objs.erase(std::remove(objs.begin(), objs.end(), this), objs.end());
}

KcSmartPtr<Object> Object::saveObject(const std::shared_ptr<Library>& library, IdMapping* mapping) {
  if (!library)
    throw Exception(OdString(L"cannot save ") + objectTypeName(objectType()) + L": no library");
  return library->m_store->save(*this, this, mapping);
}

KcSmartPtr<const Object> Object::saveObject(const std::shared_ptr<Library>& library,
                                            IdMapping* mapping) const {
  if (!library)
    throw Exception(OdString(L"cannot save ") + objectTypeName(objectType()) + L": no library");
  return library->m_store->save(*this, nullptr, mapping);
}

bool Object::hasField(int index) const {
  return m_values[index].index() != 0;
}

const OdString& Object::textField(int index) const {
  const OdString* s = std::get_if<OdString>(&m_values[index]);
  return s ? *s : OdString::kEmpty;
}

int64_t Object::intField(int index, int64_t absent) const {
  const int64_t* v = std::get_if<int64_t>(&m_values[index]);
  return v ? *v : absent;
}

double Object::realField(int index, double absent) const {
  const double* v = std::get_if<double>(&m_values[index]);
  return v ? *v : absent;
}

uint32_t Object::refId(int index) const {
  const detail::Ref* r = std::get_if<detail::Ref>(&m_values[index]);
  if (!r) return 0;
  return r->object ? r->object->id() : r->id;
}

namespace {
KcSmartPtr<Object> resolve(const detail::Ref& r, const std::weak_ptr<Library>& owner) {
  if (r.object) return r.object;
  if (!r.id) return KcSmartPtr<Object>();
  std::shared_ptr<Library> lib = owner.lock();
  if (!lib) return KcSmartPtr<Object>();
  r.object = lib->getObject(ObjectType::None, r.id);
  return r.object;
}
}  // namespace

KcSmartPtr<Object> Object::refObject(int index) const {
  const detail::Ref* r = std::get_if<detail::Ref>(&m_values[index]);
  return r ? resolve(*r, m_library) : KcSmartPtr<Object>();
}

void Object::setText(int index, const OdString& value) {
  m_values[index] = value;
  notifyModified();
}

void Object::setInt(int index, int64_t value) {
  m_values[index] = value;
  notifyModified();
}

void Object::setReal(int index, double value) {
  m_values[index] = value;
  notifyModified();
}

void Object::setRef(int index, const Object* object) {
  if (object)
    m_values[index] = detail::Ref{object->id(), KcSmartPtr<Object>(const_cast<Object*>(object))};
  else
    m_values[index] = std::monostate();
  notifyModified();
}

void Object::clearField(int index) {
  m_values[index] = std::monostate();
  notifyModified();
}

std::vector<detail::Ref>& Object::listItems(int index) {
  return m_lists[index];
}
const std::vector<detail::Ref>& Object::listItems(int index) const {
  return m_lists[index];
}

KcSmartPtr<Object> Object::listObject(int list, std::size_t item) const {
  return resolve(m_lists[list][item], m_library);
}

void Object::notifyModified() {
  std::vector<ObjectReactor*> reactors = m_reactors;
  for (ObjectReactor* r : reactors)
    r->modified(this);
}

}  // namespace stocklib
