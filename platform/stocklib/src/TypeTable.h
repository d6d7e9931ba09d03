// What a type table needs: describe<T>, which fills the TypeDesc of class T, the field
// descriptions made from a class's field rows, and the macros that define the runtime-class
// members of an object class.
#pragma once

#include <iterator>
#include <utility>
#include <vector>

#include "Schema.h"

// Runtime classes are registered as "stocklib::<Class>".
#define STOCKLIB_DEFINE_OBJECT(T, Parent)                                                     \
  ODRX_DEFINE_MEMBERS_EX(stocklib::T, stocklib::Parent, OdString("stocklib::" #T),            \
                         OdRxObjectPtr(KcRxObjectImpl<stocklib::T>::createObject()), 0, 0, 0, \
                         OdString(), OdString())
#define STOCKLIB_DEFINE_ABSTRACT(T, Parent)                                        \
  ODRX_DEFINE_MEMBERS_EX(stocklib::T, stocklib::Parent, OdString("stocklib::" #T), \
                         OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())

namespace stocklib::detail {

/// describe<T>: the description of class T (own fields after the parent's, key field names,
/// own lists); `abstract` classes make no objects.
template <class T, bool abstract = false>
TypeDesc describe(ObjectType type, const char* name, ObjectType parent,
                  std::vector<FieldDesc> fields, std::vector<const char*> key,
                  std::vector<ListDesc> lists = {}) {
  TypeDesc t;
  t.type = type;
  t.name = name;
  t.parent = parent;
  t.abstract = abstract;
  t.fields = std::move(fields);
  t.key = std::move(key);
  t.lists = std::move(lists);
  t.fieldNames = T::F::names;
  t.fieldNameCount = std::size(T::F::names);
  t.rxClass = &T::desc;
  t.rxInit = [] { T::rxInit(); };
  t.rxUninit = &T::rxUninit;
  if constexpr (!abstract) t.make = [] { return OdRxObjectPtr(KcRxObjectImpl<T>::createObject()); };
  return t;
}

/// makeNamed<T>: a new T with that name.
template <class T>
KcSmartPtr<T> makeNamed(const OdString& name) {
  KcSmartPtr<T> o = KcRxObjectImpl<T>::createObject();
  o->set_name(name);
  return o;
}

/// nonConst<T>: a referenced object as the mutable T that accessors hand out.
template <class T>
KcSmartPtr<T> nonConst(const KcSmartPtr<Object>& o) {
  return KcSmartPtr<T>(static_cast<T*>(o.get()));
}

/// The words of a field row's description (Object.h).
constexpr bool kRequired = true;
constexpr bool kOptional = false;
constexpr bool kCascade = true;
#define STOCKLIB_FIELD_DESC(name, kind, access, since, ...)                       \
  ::stocklib::detail::FieldDesc{::stocklib::detail::columnName(#name),            \
                                ::stocklib::detail::FieldKind::kind, __VA_ARGS__} \
      .from(since),
/// STOCKLIB_FIELD_DESCS: the descriptions of the fields of a row list.
#define STOCKLIB_FIELD_DESCS(ROWS)             \
  std::vector<::stocklib::detail::FieldDesc> { \
    ROWS(STOCKLIB_FIELD_DESC)                  \
  }

}  // namespace stocklib::detail
