// Keys (unique names of objects) and criteria (filters for listing objects) of the library store.
#pragma once
/// @file
/// Unique names of library objects and the criteria that filter listings.

#include <cstdint>
#include <vector>

#include "OdString.h"
#include "stocklib/StocklibExport.h"
#include "stocklib/Types.h"
#include "stocklib/Value.h"

namespace stocklib {

class Library;
class Measure;
namespace detail {
class Filter;
}

/// Key: the unique key of an object: the values of its key fields, in the type's key order.
class STOCKLIB_API Key {
 public:
  virtual ~Key();
  /// values: appends the key's field values, in order, to `out`.
  virtual void values(std::vector<detail::Value>& out) const = 0;
  /// resolve: appends the key's field values as `library` stores them (a key that names other
  /// objects by their names answers their ids there); false when it names nothing there.
  /// Default: values().
  [[nodiscard]] virtual bool resolve(const Library& library, std::vector<detail::Value>& out) const;
  /// objectType: the kind of object the key is restricted to (with its descendants); None when
  /// the key fits any type whose key has as many fields.
  virtual ObjectType objectType() const;
};

/// NameKey: objects unique by name (namespaces, units by symbol, measures, entity types ...).
class STOCKLIB_API NameKey : public Key {
 public:
  NameKey() = default;
  explicit NameKey(const OdString& name) : m_name(name) {}
  const OdString& name() const { return m_name; }
  void set_name(const OdString& name) { m_name = name; }
  void values(std::vector<detail::Value>& out) const override;

 private:
  OdString m_name;
};

/// DefinitionKey: property sets and definitions, unique by name within their namespace
/// (namespace id 0: objects without a namespace).
class STOCKLIB_API DefinitionKey : public Key {
 public:
  DefinitionKey() = default;
  DefinitionKey(const OdString& name, uint32_t namespaceId) : m_name(name), m_ns(namespaceId) {}
  const OdString& name() const { return m_name; }
  void set_name(const OdString& name) { m_name = name; }
  uint32_t namespace_id() const { return m_ns; }
  void set_namespace_id(uint32_t id) { m_ns = id; }
  void values(std::vector<detail::Value>& out) const override;

 private:
  OdString m_name;
  uint32_t m_ns = 0;
};

/// NameTypeKey: custom properties, unique by name and type number.
class STOCKLIB_API NameTypeKey : public Key {
 public:
  NameTypeKey() = default;
  NameTypeKey(const OdString& name, int32_t type) : m_name(name), m_type(type) {}
  const OdString& name() const { return m_name; }
  void set_name(const OdString& name) { m_name = name; }
  int32_t type() const { return m_type; }
  void set_type(int32_t type) { m_type = type; }
  void values(std::vector<detail::Value>& out) const override;

 private:
  OdString m_name;
  int32_t m_type = 0;
};

/// Criteria: a filter for Library::get(vector&, criteria).
class STOCKLIB_API Criteria {
 public:
  virtual ~Criteria();
  /// apply: adds this filter's conditions (implemented inside the store).
  virtual void apply(detail::Filter& filter) const = 0;
};

/// StringCriteria: a test of a text field (the name, unless used inside another criteria).
/// Modes: 0 any text, 1 equal, 2 begins with, 3 contains, 4 equal ignoring case. Comparisons are
/// by characters, case-sensitive except in mode 4; an unknown mode matches nothing.
class STOCKLIB_API StringCriteria : public Criteria {
 public:
  enum Mode : int32_t { kAny = 0, kEqual = 1, kBeginsWith = 2, kContains = 3, kEqualNoCase = 4 };
  StringCriteria() = default;
  StringCriteria(const OdString& text, int32_t mode) : m_text(text), m_mode(mode) {}
  const OdString& text() const { return m_text; }
  int32_t mode() const { return m_mode; }
  /// matches: whether `value` passes this test.
  bool matches(const OdString& value) const;
  void apply(detail::Filter& filter) const override;

 private:
  friend class detail::Filter;
  OdString m_text;
  int32_t m_mode = kAny;
};

/// NameCriteria: a StringCriteria on the object's name.
class STOCKLIB_API NameCriteria : public StringCriteria {
 public:
  NameCriteria() = default;
  NameCriteria(const OdString& text, int32_t mode) : StringCriteria(text, mode) {}
  explicit NameCriteria(const StringCriteria& c) : StringCriteria(c) {}
};

/// PropertySetCriteria: property sets by name and namespace id (0: any namespace).
class STOCKLIB_API PropertySetCriteria : public Criteria {
 public:
  PropertySetCriteria() = default;
  PropertySetCriteria(const StringCriteria& name, uint32_t namespaceId)
      : m_name(name), m_ns(namespaceId) {}
  const StringCriteria& name() const { return m_name; }
  uint32_t namespace_id() const { return m_ns; }
  void apply(detail::Filter& filter) const override;

 private:
  StringCriteria m_name;
  uint32_t m_ns = 0;
};

/// UnitCriteria: units of one measure (id 0 or null: any measure) whose factor equals `factor`
/// within a relative tolerance of 1e-9.
class STOCKLIB_API UnitCriteria : public Criteria {
 public:
  UnitCriteria(uint32_t measureId, double factor) : m_measure(measureId), m_factor(factor) {}
  UnitCriteria(const Measure* measure, double factor);
  uint32_t measure_id() const { return m_measure; }
  double factor() const { return m_factor; }
  void apply(detail::Filter& filter) const override;

 private:
  uint32_t m_measure = 0;
  double m_factor = 1.0;
};

}  // namespace stocklib
