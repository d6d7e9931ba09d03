// oa::PropertyNamespace: the namespace of palette definitions; namespaces nest, and a
// definition's qualified name is its namespace path and global name joined by "/".
#pragma once
/// @file
/// The nesting namespaces of palette definitions.

#include "oa/PropfwExport.h"
#include "ut/KcRxObject.h"

namespace oa {

class PROPFW_API PropertyNamespace : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropertyNamespace)
 public:
  /// The separator of qualified names.
  static const wchar_t kSeparator = L'/';

  ~PropertyNamespace() override;
  /// parent: the enclosing namespace, or null.
  virtual const PropertyNamespace* parent() const = 0;
  virtual OdString name() const = 0;
  /// localName: the name shown to the user; by default name().
  virtual OdString localName() const;

  /// qualifiedName: the names from the outermost namespace to this one, joined by "/".
  OdString qualifiedName() const;
};

/// A namespace with fixed name and parent. Often a static object (OdStaticRxObject).
class PROPFW_API PropertyNamespaceImpl : public PropertyNamespace {
 public:
  explicit PropertyNamespaceImpl(const OdString& name, const PropertyNamespace* parent = nullptr);
  ~PropertyNamespaceImpl() override;
  const PropertyNamespace* parent() const override { return m_parent.get(); }
  OdString name() const override { return m_name; }

 private:
  KcSmartPtr<const PropertyNamespace> m_parent;
  OdString m_name;
};

}  // namespace oa
