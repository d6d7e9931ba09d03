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

namespace {
int reachOf(detail::FieldKind kind) {
  switch (kind) {
    case detail::FieldKind::Text:
      return 1;
    case detail::FieldKind::Real:
    case detail::FieldKind::Length:
      return 4;
    case detail::FieldKind::Ref:
      return 8;
    default:
      return 2;
  }
}
}  // namespace

const detail::Value& Object::field(int index, int reach) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_type->allFields.size())
    throw Exception(
        OdString::formatted(L"%ls has no field %d", OdString(m_type->name).c_str(), index));
  if (!(reachOf(m_type->allFields[index].kind) & reach))
    throw Exception(std::string(m_type->name) + " field " + m_type->allFields[index].name +
                    " is reached as another kind");
  return m_values[index];
}

detail::Value& Object::field(int index, int reach) {
  return const_cast<detail::Value&>(static_cast<const Object&>(*this).field(index, reach));
}

bool Object::hasField(int index) const {
  return field(index, kReachAny).index() != 0;
}

const OdString& Object::textField(int index) const {
  const OdString* s = std::get_if<OdString>(&field(index, kReachText));
  return s ? *s : OdString::kEmpty;
}

int64_t Object::intField(int index, int64_t absent) const {
  const int64_t* v = std::get_if<int64_t>(&field(index, kReachInt));
  return v ? *v : absent;
}

double Object::realField(int index, double absent) const {
  const double* v = std::get_if<double>(&field(index, kReachReal));
  return v ? *v : absent;
}

uint32_t Object::refId(int index) const {
  const detail::Ref* r = std::get_if<detail::Ref>(&field(index, kReachRef));
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
  const detail::Ref* r = std::get_if<detail::Ref>(&field(index, kReachRef));
  return r ? resolve(*r, m_library) : KcSmartPtr<Object>();
}

void Object::setText(int index, const OdString& value) {
  field(index, kReachText) = value;
  notifyModified();
}

void Object::setInt(int index, int64_t value) {
  field(index, kReachInt) = value;
  notifyModified();
}

void Object::setReal(int index, double value) {
  field(index, kReachReal) = value;
  notifyModified();
}

void Object::setRef(int index, const Object* object) {
  detail::Value& v = field(index, kReachRef);
  if (object)
    v = detail::Ref{object->id(), KcSmartPtr<Object>(const_cast<Object*>(object))};
  else
    v = std::monostate();
  notifyModified();
}

void Object::clearField(int index) {
  field(index, kReachAny) = std::monostate();
  notifyModified();
}

std::vector<detail::Ref>& Object::listItems(int index) {
  return const_cast<std::vector<detail::Ref>&>(static_cast<const Object&>(*this).listItems(index));
}
const std::vector<detail::Ref>& Object::listItems(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_lists.size())
    throw Exception(
        OdString::formatted(L"%ls has no list %d", OdString(m_type->name).c_str(), index));
  return m_lists[index];
}

KcSmartPtr<Object> Object::listObject(int list, std::size_t item) const {
  return resolve(listItems(list).at(item), m_library);
}

void Object::notifyModified() {
  std::vector<ObjectReactor*> reactors = m_reactors;
  for (ObjectReactor* r : reactors)
    r->modified(this);
}

}  // namespace stocklib
