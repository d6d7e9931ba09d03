// oa::PropType and its six value types with their shared instances.
#include "oa/PropType.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropType, KcRxObject, OdString("oa::PropType"), OdRxObjectPtr(), 0, 0, 0,
                       OdString(), OdString())
PropType::~PropType() = default;

#define OA_DEFINE_PROP_TYPE(Name, KindValue)                                         \
  ODRX_DEFINE_MEMBERS_EX(PropType::Name, PropType, OdString("oa::PropType::" #Name), \
                         OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())           \
  PropType::Name::~Name() = default;                                                 \
  OdString PropType::Name::name() const {                                            \
    return OdString(#Name);                                                          \
  }                                                                                  \
  tdx::PropertyValue::Kind PropType::Name::valueKind() const {                       \
    return tdx::PropertyValue::KindValue;                                            \
  }                                                                                  \
  const PropType* PropType::Name::getType() {                                        \
    static OdStaticRxObject<PropType::Name> instance;                                \
    return &instance;                                                                \
  }

OA_DEFINE_PROP_TYPE(Boolean, kBoolean)
OA_DEFINE_PROP_TYPE(Enumeration, kInteger)
OA_DEFINE_PROP_TYPE(Integer, kInteger)
OA_DEFINE_PROP_TYPE(Real, kReal)
OA_DEFINE_PROP_TYPE(String, kString)
OA_DEFINE_PROP_TYPE(Unsigned, kInteger)

}  // namespace oa
