// The profile object types: their descriptions for the storage engine (one table row per
// shape), runtime classes, accessors, keys and criteria, and the scale comparison.
#include "stocklib/Profiles.h"

#include <cmath>

#include "Store.h"
#include "TypeTable.h"
#include "stocklib/Library.h"

STOCKLIB_DEFINE_OBJECT(ProfileStandard, Object)
STOCKLIB_DEFINE_OBJECT(ProfileName, Object)
STOCKLIB_DEFINE_ABSTRACT(Profile, Object)
STOCKLIB_DEFINE_OBJECT(ProfileVertex, Object)
STOCKLIB_DEFINE_OBJECT(CustomProfile, Profile)
STOCKLIB_DEFINE_ABSTRACT(ParametrizedProfile, Profile)

#define STOCKLIB_DEFINE_SHAPE(T, DIMENSIONS)                               \
  STOCKLIB_DEFINE_OBJECT(T, ParametrizedProfile)                           \
  namespace stocklib {                                                     \
  T::T() : ParametrizedProfile(detail::typeDesc(ObjectType::T)) {}         \
  KcSmartPtr<T> T::create(const ProfileName* name, const OdString& size) { \
    KcSmartPtr<T> p = KcRxObjectImpl<T>::createObject();                   \
    p->set_name(name);                                                     \
    p->set_size(size);                                                     \
    return p;                                                              \
  }                                                                        \
  }
STOCKLIB_SHAPES(STOCKLIB_DEFINE_SHAPE)

namespace stocklib {
namespace detail {

namespace {
// The profile base has three fields (name, size, profile type); shape dimensions follow.
constexpr int kFirstDimension = static_cast<int>(std::size(ParametrizedProfile::F::names));

template <class T>
TypeDesc shape(ObjectType type, const char* name, std::vector<FieldDesc> dimensions) {
  return describe<T>(type, name, ObjectType::ParametrizedProfile, std::move(dimensions), {});
}
}  // namespace

void addProfileTypes(std::vector<TypeDesc>& out) {
  using OT = ObjectType;
  out.push_back(describe<ProfileStandard>(OT::ProfileStandard, "ProfileStandard", OT::None,
                                          STOCKLIB_FIELD_DESCS(STOCKLIB_PROFILE_STANDARD_FIELDS),
                                          {"name"}));
  out.push_back(describe<ProfileName>(OT::ProfileName, "ProfileName", OT::None,
                                      STOCKLIB_FIELD_DESCS(STOCKLIB_PROFILE_NAME_FIELDS),
                                      {"standard", "name"}));
  out.push_back(describe<Profile, true>(OT::Profile, "Profile", OT::None,
                                        STOCKLIB_FIELD_DESCS(STOCKLIB_PROFILE_FIELDS),
                                        {"profile_name", "size"}));
  out.push_back(describe<ProfileVertex>(OT::ProfileVertex, "ProfileVertex", OT::None,
                                        STOCKLIB_FIELD_DESCS(STOCKLIB_PROFILE_VERTEX_FIELDS), {}));
  out.push_back(describe<CustomProfile>(OT::CustomProfile, "CustomProfile", OT::Profile, {}, {},
                                        {{"outline", ListKind::Children, OT::ProfileVertex}}));
  out.push_back(describe<ParametrizedProfile, true>(OT::ParametrizedProfile, "ParametrizedProfile",
                                                    OT::Profile, {}, {}));
#define STOCKLIB_SHAPE_DESC(T, DIMENSIONS) \
  out.push_back(shape<T>(OT::T, #T, STOCKLIB_FIELD_DESCS(DIMENSIONS)));
  STOCKLIB_SHAPES(STOCKLIB_SHAPE_DESC)
#undef STOCKLIB_SHAPE_DESC
}

}  // namespace detail

using detail::nonConst;

ProfileStandard::ProfileStandard() : Object(detail::typeDesc(ObjectType::ProfileStandard)) {}
KcSmartPtr<ProfileStandard> ProfileStandard::create(const OdString& name) {
  return detail::makeNamed<ProfileStandard>(name);
}

ProfileName::ProfileName() : Object(detail::typeDesc(ObjectType::ProfileName)) {}
KcSmartPtr<ProfileName> ProfileName::create(const OdString& name, const ProfileStandard* standard) {
  KcSmartPtr<ProfileName> n = KcRxObjectImpl<ProfileName>::createObject();
  n->set_name(name);
  if (standard) n->set_standard(standard);
  return n;
}
KcSmartPtr<ProfileStandard> ProfileName::standard() const {
  return nonConst<ProfileStandard>(refObject(F::standard));
}
void ProfileName::set_standard(const ProfileStandard* standard) {
  setRef(F::standard, standard);
}

Profile::Profile(const detail::TypeDesc& type) : Object(type) {}
KcSmartPtr<ProfileName> Profile::name() const {
  return nonConst<ProfileName>(refObject(F::profile_name));
}
void Profile::set_name(const ProfileName* name) {
  setRef(F::profile_name, name);
}

ProfileVertex::ProfileVertex() : Object(detail::typeDesc(ObjectType::ProfileVertex)) {}
void ProfileVertex::set(const OutlinePoint& p) {
  setReal(F::x, p.x);
  setReal(F::y, p.y);
  setReal(F::bulge, p.bulge);
}

CustomProfile::CustomProfile() : Profile(detail::typeDesc(ObjectType::CustomProfile)) {}
KcSmartPtr<CustomProfile> CustomProfile::create(const ProfileName* name, const OdString& size) {
  KcSmartPtr<CustomProfile> p = KcRxObjectImpl<CustomProfile>::createObject();
  p->set_name(name);
  p->set_size(size);
  return p;
}
std::vector<OutlinePoint> CustomProfile::outline() const {
  std::vector<OutlinePoint> out;
  for (const detail::Ref& r : listItems(0))
    if (auto* v = static_cast<const ProfileVertex*>(r.object.get()))
      out.push_back(OutlinePoint{v->x(), v->y(), v->bulge()});
  return out;
}
void CustomProfile::set_outline(const std::vector<OutlinePoint>& points) {
  std::vector<detail::Ref>& items = listItems(0);
  items.clear();
  for (const OutlinePoint& p : points) {
    KcSmartPtr<ProfileVertex> v = KcRxObjectImpl<ProfileVertex>::createObject();
    v->set(p);
    items.push_back(detail::Ref{0, v});
  }
  notifyModified();
}

ParametrizedProfile::ParametrizedProfile(const detail::TypeDesc& type) : Profile(type) {}

namespace {
const detail::FieldDesc* dimensionField(const Object& o, std::size_t index) {
  const auto& fields = detail::Access::type(o).allFields;
  // Compared before adding: a dimension_index of -1 passed on must not wrap onto a base field.
  return index < fields.size() - detail::kFirstDimension ? &fields[index + detail::kFirstDimension]
                                                         : nullptr;
}
}  // namespace

std::size_t ParametrizedProfile::dimension_count() const {
  return detail::Access::type(*this).allFields.size() - detail::kFirstDimension;
}
OdString ParametrizedProfile::dimension_name(std::size_t index) const {
  const detail::FieldDesc* f = dimensionField(*this, index);
  return f ? OdString(f->name) : OdString();
}
bool ParametrizedProfile::dimension_is_length(std::size_t index) const {
  const detail::FieldDesc* f = dimensionField(*this, index);
  return f && f->kind == detail::FieldKind::Length;
}
bool ParametrizedProfile::has_dimension(std::size_t index) const {
  return dimensionField(*this, index) &&
         hasField(static_cast<int>(index) + detail::kFirstDimension);
}
double ParametrizedProfile::dimension(std::size_t index) const {
  if (!dimensionField(*this, index)) return 0.0;
  return realField(static_cast<int>(index) + detail::kFirstDimension);
}
bool ParametrizedProfile::set_dimension(std::size_t index, double value) {
  if (!dimensionField(*this, index)) return false;
  setReal(static_cast<int>(index) + detail::kFirstDimension, value);
  return true;
}
int ParametrizedProfile::dimension_index(const OdString& name) const {
  for (std::size_t i = 0; i < dimension_count(); ++i)
    if (dimension_name(i) == name) return static_cast<int>(i);
  return -1;
}

void ProfileNameKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_standard);
  out.emplace_back(m_name);
}

bool ProfileNameKey::resolve(const Library& library, std::vector<detail::Value>& out) const {
  uint32_t standard = 0;
  if (!m_standard.isEmpty()) {
    KcSmartPtr<ProfileStandard> s = library.get<ProfileStandard>(NameKey(m_standard));
    if (!s) return false;
    standard = s->id();
  }
  out.emplace_back(detail::Ref{standard, nullptr});
  out.emplace_back(m_name);
  return true;
}

void ProfileKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_standard);
  out.emplace_back(m_name);
  out.emplace_back(m_size);
}

bool ProfileKey::resolve(const Library& library, std::vector<detail::Value>& out) const {
  uint32_t name = 0;
  if (!m_name.isEmpty() || !m_standard.isEmpty()) {
    KcSmartPtr<ProfileName> n = library.get<ProfileName>(ProfileNameKey(m_standard, m_name));
    if (!n) return false;
    name = n->id();
  }
  out.emplace_back(detail::Ref{name, nullptr});
  out.emplace_back(m_size);
  return true;
}

void ProfileCriteria::apply(detail::Filter& filter) const {
  if (m_shape != ObjectType::None && !filter.type().isA(m_shape)) {
    filter.never = true;
    return;
  }
  filter.text("size", m_size);
  if (m_standard.isEmpty() && m_name.isEmpty()) return;
  std::string where =
      "profile_name IN (SELECT n.id FROM o_ProfileName n LEFT JOIN o_ProfileStandard s ON "
      "s.id = n.standard WHERE 1";
  if (!m_name.isEmpty()) {
    where += " AND n.name = ?";
    filter.binds.emplace_back(m_name);
  }
  if (!m_standard.isEmpty()) {
    where += " AND s.name = ?";
    filter.binds.emplace_back(m_standard);
  }
  if (!filter.where.empty()) filter.where += " AND ";
  filter.where += where + ")";
}

namespace {
// Lengths and other values of a profile, in a fixed order, for comparison and scaling.
struct Measures {
  std::vector<double> lengths;
  std::vector<double> others;
};

Measures measures(const Profile& p) {
  Measures m;
  if (auto* pp = dynamic_cast<const ParametrizedProfile*>(&p)) {
    for (std::size_t i = 0; i < pp->dimension_count(); ++i)
      (pp->dimension_is_length(i) ? m.lengths : m.others).push_back(pp->dimension(i));
  } else if (auto* cp = dynamic_cast<const CustomProfile*>(&p)) {
    for (const OutlinePoint& v : cp->outline()) {
      m.lengths.push_back(v.x);
      m.lengths.push_back(v.y);
      m.others.push_back(v.bulge);
    }
  }
  return m;
}

bool close(double a, double b) {
  return std::fabs(a - b) <= 1e-6 * std::max(std::fabs(a), std::fabs(b));
}
}  // namespace

bool scaledEqualProfiles(const Profile* a, const Profile* b, double& scale) {
  if (!a || !b || a->isA() != b->isA()) return false;
  Measures ma = measures(*a), mb = measures(*b);
  if (ma.lengths.size() != mb.lengths.size() || ma.others.size() != mb.others.size()) return false;
  for (std::size_t i = 0; i < ma.others.size(); ++i)
    if (!close(ma.others[i], mb.others[i])) return false;
  double factor = 0.0;
  for (std::size_t i = 0; i < ma.lengths.size() && factor == 0.0; ++i)
    if (ma.lengths[i] != 0.0) factor = mb.lengths[i] / ma.lengths[i];
  if (!(factor > 0.0) || !std::isfinite(factor) || close(factor, 1.0)) return false;
  for (std::size_t i = 0; i < ma.lengths.size(); ++i)
    if (!close(ma.lengths[i] * factor, mb.lengths[i])) return false;
  scale = factor;
  return true;
}

void scaleProfile(Profile* profile, double scale) {
  if (auto* pp = dynamic_cast<ParametrizedProfile*>(profile)) {
    for (std::size_t i = 0; i < pp->dimension_count(); ++i)
      if (pp->dimension_is_length(i) && pp->has_dimension(i) &&
          !pp->set_dimension(i, pp->dimension(i) * scale))
        throw Exception("scaleProfile: a dimension within the count was refused");
  } else if (auto* cp = dynamic_cast<CustomProfile*>(profile)) {
    std::vector<OutlinePoint> outline = cp->outline();
    for (OutlinePoint& v : outline) {
      v.x *= scale;
      v.y *= scale;
    }
    cp->set_outline(outline);
  }
}

}  // namespace stocklib
