// Identifiers, namespaces, categories and labels shared by the module's palette definitions.
#include "palette/PaletteShared.h"

#include <wx/string.h>
#include <wx/translation.h>

#include "stocklib/Materials.h"
#include "ut/KcRxObject.h"

namespace sl_db_ {

namespace {

ut::UUID urlId(const char* path) {
  return ut::UUID::s_cURLNameSpace.generate(std::string(kIdentifierHost) + path);
}

const ut::UUID& staticDefinitionRoot() {
  static const ut::UUID id = urlId("/properties/sl_db/Stocklib/definition");
  return id;
}

const ut::UUID& customDefinitionRoot() {
  static const ut::UUID id = urlId("/properties/sl_db/Custom-Stocklib/definition");
  return id;
}

const ut::UUID& categoryRoot() {
  static const ut::UUID id = urlId("/properties/sl_db/Stocklib/category");
  return id;
}

KcSmartPtr<const oa::PropertyCategory> makeCategory(const char* name) {
  return KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(
      categoryRoot().generate(name), OdString(name), translate(name), 0u, nullptr);
}

}  // namespace

const ut::UUID& managerId() {
  static const ut::UUID id = urlId("/properties/sl_db/Stocklib");
  return id;
}

const ut::UUID& staticSourceId() {
  static const ut::UUID id = urlId("/properties/sl_db/Stocklib/propertysource");
  return id;
}

const ut::UUID& dynamicSourceId() {
  static const ut::UUID id = urlId("/properties/sl_db/Custom-Stocklib/propertysource");
  return id;
}

ut::UUID staticDefinitionId(const char* internalName) {
  return staticDefinitionRoot().generate(internalName);
}

ut::UUID customDefinitionId(const OdString& name) {
  return customDefinitionRoot().generate(name.toUtf8());
}

const oa::PropertyNamespace* libraryNamespace() {
  static OdStaticRxObject<oa::PropertyNamespaceImpl> space(OdString("Stocklib"));
  return &space;
}

const oa::PropertyNamespace* customNamespace() {
  static OdStaticRxObject<oa::PropertyNamespaceImpl> space(OdString("Custom"), libraryNamespace());
  return &space;
}

template <>
const oa::PropertyCategory* categoryOf<stocklib::Material>() {
  static const KcSmartPtr<const oa::PropertyCategory> category = makeCategory("Physical Material");
  return category.get();
}

template <>
const oa::PropertyCategory* categoryOf<stocklib::Composition>() {
  static const KcSmartPtr<const oa::PropertyCategory> category = makeCategory("Composition");
  return category.get();
}

OdString translate(const char* text) {
  if (const wxTranslations* translations = wxTranslations::Get()) {
    const wxString* found =
        translations->GetTranslatedString(wxString::FromUTF8(text), wxString(), wxString());
    if (found) return OdString::fromUtf8(found->utf8_string());
  }
  return OdString(text);
}

}  // namespace sl_db_
