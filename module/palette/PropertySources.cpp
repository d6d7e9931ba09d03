// The module's two palette sources and the manager "STOCKLIB" that gathers them.
#include "sl_db/PropertySources.h"

#include "palette/DynamicDefinitions.h"
#include "palette/PaletteShared.h"
#include "palette/StaticDefinitions.h"

namespace sl_db_ {

/// The fixed properties of objects of exactly the material or composition class.
class StocklibStaticPropertySource : public oa::PropertySource {
 public:
  ut::UUID GUID() const override { return staticSourceId(); }
  OdString name() const override { return OdString("STOCKLIB-Static"); }
  using oa::PropertySource::getPropertyDefinitions;
  bool getPropertyDefinitions(oa::PropertyDefinitionArray& definitions, const OdRxObject* object,
                              const oa::PropertyOptions::Object& options) const override {
    if (!object || !options.has(oa::PropertyOptions::kStatic)) return false;
    const std::size_t before = definitions.size();
    // A derived class may show more or other fields: only the exact classes are described.
    if (object->isA() == stocklib::Composition::desc()) {
      sl_db::appendCompositionDefinitions(definitions);
    } else if (object->isA() == stocklib::Material::desc()) {
      sl_db::appendMaterialDefinitions(definitions);
    }
    return definitions.size() != before;
  }
};

/// One property per custom value of a material or composition.
class StocklibDynamicPropertySource : public oa::PropertySource {
 public:
  ut::UUID GUID() const override { return dynamicSourceId(); }
  OdString name() const override { return OdString("STOCKLIB-Dynamic"); }
  using oa::PropertySource::getPropertyDefinitions;
  bool getPropertyDefinitions(oa::PropertyDefinitionArray& definitions, const OdRxObject* object,
                              const oa::PropertyOptions::Object& options) const override {
    if (!options.has(oa::PropertyOptions::kDynamic)) return false;
    return sl_db::appendCustomDefinitions(definitions, object);
  }
};

}  // namespace sl_db_

namespace sl_db {

KcSmartPtr<oa::PropertySource> createStocklibStaticPropertySource() {
  static const KcSmartPtr<oa::PropertySource> source =
      KcRxObjectImpl<sl_db_::StocklibStaticPropertySource>::createObject();
  return source;
}

KcSmartPtr<oa::PropertySource> createStocklibDynamicPropertySource() {
  static const KcSmartPtr<oa::PropertySource> source =
      KcRxObjectImpl<sl_db_::StocklibDynamicPropertySource>::createObject();
  return source;
}

oa::PropertySourceManager& stocklibPropertySources() {
  static OdStaticRxObject<oa::PropertySourceManager> manager(OdString("STOCKLIB"),
                                                             sl_db_::managerId());
  if (manager.begin() == manager.end()) {
    manager.add(createStocklibStaticPropertySource());
    manager.add(createStocklibDynamicPropertySource());
  }
  return manager;
}

}  // namespace sl_db
