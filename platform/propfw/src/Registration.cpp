// Registers the framework's runtime classes when the library is loaded and removes them when it
// is unloaded, parents before children.
#include "oa/Attributes.h"
#include "oa/PropType.h"
#include "oa/PropertyCategory.h"
#include "oa/PropertyDefinition.h"
#include "oa/PropertyNamespace.h"
#include "oa/PropertySource.h"
#include "oa/PropertySourceManager.h"

namespace {

using Init = void (*)();
struct ClassEntry {
  Init init;
  Init uninit;
};

const ClassEntry kClasses[] = {
    {&oa::PropType::rxInit, &oa::PropType::rxUninit},
    {&oa::PropType::Boolean::rxInit, &oa::PropType::Boolean::rxUninit},
    {&oa::PropType::Enumeration::rxInit, &oa::PropType::Enumeration::rxUninit},
    {&oa::PropType::Integer::rxInit, &oa::PropType::Integer::rxUninit},
    {&oa::PropType::Real::rxInit, &oa::PropType::Real::rxUninit},
    {&oa::PropType::String::rxInit, &oa::PropType::String::rxUninit},
    {&oa::PropType::Unsigned::rxInit, &oa::PropType::Unsigned::rxUninit},
    {&oa::Attribute::rxInit, &oa::Attribute::rxUninit},
    {&oa::CategoryAttribute::rxInit, &oa::CategoryAttribute::rxUninit},
    {&oa::EnumerationAttribute::rxInit, &oa::EnumerationAttribute::rxUninit},
    {&oa::BooleanValueAttribute::rxInit, &oa::BooleanValueAttribute::rxUninit},
    {&oa::PropertyCategory::rxInit, &oa::PropertyCategory::rxUninit},
    {&oa::PropertyNamespace::rxInit, &oa::PropertyNamespace::rxUninit},
    {&oa::PropertyDefinition::rxInit, &oa::PropertyDefinition::rxUninit},
    {&oa::PropertySource::rxInit, &oa::PropertySource::rxUninit},
    {&oa::PropertySourceManager::rxInit, &oa::PropertySourceManager::rxUninit},
};

struct RegisterFrameworkClasses {
  RegisterFrameworkClasses() {
    if (!KcRxObject::desc()) KcRxObject::rxInit();
    for (const ClassEntry& entry : kClasses)
      entry.init();
  }
  ~RegisterFrameworkClasses() {
    for (auto it = std::rbegin(kClasses); it != std::rend(kClasses); ++it)
      it->uninit();
  }
} registerFrameworkClasses;

}  // namespace
