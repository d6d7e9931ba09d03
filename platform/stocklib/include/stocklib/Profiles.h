// Structural profiles of the library store: profile standards and names, the profile base, the
// custom outline profile and the sixteen parametrized shapes, their keys and criteria, and the
// scale comparison used to repair profiles stored at a wrong scale.
#pragma once
/// @file
/// Structural profiles of the library store.

#include <cstdint>
#include <vector>

#include "stocklib/Objects.h"

// The fields every profile begins with. size: the size designation as written in the tables
// ("200", "2-1/2x2-1/2x1/4").
// clang-format off
#define STOCKLIB_PROFILE_FIELDS(X) \
  X(profile_name, Ref, Own, 1, kOptional, ObjectType::ProfileName) \
  X(size, Text, Get, 1) \
  X(profile_type, Int, Own, 1)
#define STOCKLIB_PROFILE_STANDARD_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
#define STOCKLIB_PROFILE_NAME_FIELDS(X) \
  X(standard, Ref, Own, 1, kOptional, ObjectType::ProfileStandard) \
  X(name, Text, Get, 1, kRequired)
// A vertex is read by coordinate and written as one OutlinePoint.
#define STOCKLIB_PROFILE_VERTEX_FIELDS(X) \
  X(owner, Owner, Own, 1) \
  X(position, Position, Own, 1) \
  X(x, Length, Own, 1) \
  X(y, Length, Own, 1) \
  X(bulge, Real, Own, 1)
// clang-format on

namespace stocklib {

class ProfileStandard;

/// ProfileType: what a profile is used for (single bits; stored numbers).
enum ProfileType : int32_t {
  kProfileGeneric = 1,
  kProfileStructuralConcrete = 2,
  kProfileStructuralSteel = 4,
  kProfileHVAC = 8,
  kProfilePiping = 16,
  kProfileElectrical = 32,
};

/// ProfileStandard: the standard a family of profiles follows ("EN 10365"), unique by name.
class STOCKLIB_API ProfileStandard : public Object {
  STOCKLIB_DECLARE_OBJECT(ProfileStandard)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROFILE_STANDARD_FIELDS)
  ProfileStandard();
  static KcSmartPtr<ProfileStandard> create(const OdString& name);
};

/// ProfileName: a family of profiles ("HEA") in a standard (or none), unique by standard and
/// name.
class STOCKLIB_API ProfileName : public Object {
  STOCKLIB_DECLARE_OBJECT(ProfileName)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROFILE_NAME_FIELDS)
  ProfileName();
  /// create: a new name in `standard` (null: no standard).
  static KcSmartPtr<ProfileName> create(const OdString& name, const ProfileStandard* standard);
  /// standard: null when the name has none.
  KcSmartPtr<ProfileStandard> standard() const;
  void set_standard(const ProfileStandard* standard);
};

/// Profile: a cross-section: its family name, its size designation and what it is used for.
/// Unique by name and size among profiles of the same shape. Lengths are in the library's unit.
class STOCKLIB_API Profile : public Object {
  STOCKLIB_DECLARE_OBJECT(Profile)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROFILE_FIELDS)
  /// name: the profile name; null when it has none.
  KcSmartPtr<ProfileName> name() const;
  void set_name(const ProfileName* name);
  /// profile_type: ProfileType bits; kProfileGeneric for a new profile.
  int32_t profile_type() const {
    return static_cast<int32_t>(intField(F::profile_type, kProfileGeneric));
  }
  void set_profile_type(int32_t type) { setInt(F::profile_type, type); }

 protected:
  explicit Profile(const detail::TypeDesc& type);
};

/// OutlinePoint: a vertex of a custom outline; `bulge` is the tangent of a quarter of the arc
/// angle to the next vertex (0: straight).
struct OutlinePoint {
  double x = 0.0;
  double y = 0.0;
  double bulge = 0.0;
  bool operator==(const OutlinePoint& o) const { return x == o.x && y == o.y && bulge == o.bulge; }
};

/// ProfileVertex: one stored vertex of a custom outline, owned by its profile.
class STOCKLIB_API ProfileVertex : public Object {
  STOCKLIB_DECLARE_OBJECT(ProfileVertex)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROFILE_VERTEX_FIELDS)
  ProfileVertex();
  double x() const { return realField(F::x); }
  double y() const { return realField(F::y); }
  double bulge() const { return realField(F::bulge); }
  void set(const OutlinePoint& p);
};

/// CustomProfile: a profile given by a closed outline.
class STOCKLIB_API CustomProfile : public Profile {
  STOCKLIB_DECLARE_OBJECT(CustomProfile)
 public:
  STOCKLIB_FIELDS(STOCKLIB_PROFILE_FIELDS, STOCKLIB_NO_FIELDS)
  CustomProfile();
  static KcSmartPtr<CustomProfile> create(const ProfileName* name, const OdString& size);
  /// outline: the vertices in order; empty for a new profile.
  std::vector<OutlinePoint> outline() const;
  void set_outline(const std::vector<OutlinePoint>& points);
};

/// ParametrizedProfile: a profile of a fixed shape given by named dimensions. The generic
/// access below reaches the dimensions of every shape; each shape also names them.
class STOCKLIB_API ParametrizedProfile : public Profile {
  STOCKLIB_DECLARE_OBJECT(ParametrizedProfile)
 public:
  STOCKLIB_FIELDS(STOCKLIB_PROFILE_FIELDS, STOCKLIB_NO_FIELDS)
  /// dimension_count: how many dimensions the shape has.
  std::size_t dimension_count() const;
  /// dimension_name: the name of dimension `index` ("height"); empty when out of range.
  OdString dimension_name(std::size_t index) const;
  /// dimension_is_length: true for lengths (scaled and converted between library units);
  /// false for ratios such as a flange slope, and out of range.
  bool dimension_is_length(std::size_t index) const;
  /// has_dimension: whether dimension `index` was set.
  bool has_dimension(std::size_t index) const;
  /// dimension: its value; 0 when not set or out of range.
  double dimension(std::size_t index) const;
  /// set_dimension: false when out of range.
  [[nodiscard]] bool set_dimension(std::size_t index, double value);
  /// dimension_index: the index of the dimension of that name; -1 when the shape has none.
  int dimension_index(const OdString& name) const;

 protected:
  explicit ParametrizedProfile(const detail::TypeDesc& type);
};

}  // namespace stocklib

// The dimensions of each shape, in column order, one row each (Length: scaled between library
// units; Real: a ratio). Each reads 0 when not set.
// clang-format off
#define STOCKLIB_CIRCLE_DIMENSIONS(X) \
  X(diameter, Length, Get, 1)
#define STOCKLIB_CIRCLE_HOLLOW_DIMENSIONS(X) \
  X(diameter, Length, Get, 1) \
  X(wall_thickness, Length, Get, 1)
/// EllipseProfile: full axes, width along x and height along y.
#define STOCKLIB_ELLIPSE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1)
#define STOCKLIB_RECTANGLE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1)
#define STOCKLIB_RECTANGLE_HOLLOW_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(wall_thickness, Length, Get, 1) \
  X(inner_radius, Length, Get, 1) \
  X(outer_radius, Length, Get, 1)
#define STOCKLIB_ROUNDED_RECTANGLE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(radius, Length, Get, 1)
/// TrapeziumProfile: `top_offset` shifts the top edge's centre from the bottom edge's.
#define STOCKLIB_TRAPEZIUM_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(bottom_width, Length, Get, 1) \
  X(top_width, Length, Get, 1) \
  X(top_offset, Length, Get, 1)
/// Crane rails: head on a web on a foot.
#define STOCKLIB_CRANE_RAIL_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(head_width, Length, Get, 1) \
  X(head_height, Length, Get, 1) \
  X(web_thickness, Length, Get, 1) \
  X(base_width, Length, Get, 1) \
  X(base_height, Length, Get, 1)
#define STOCKLIB_TZ_SHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(web_thickness, Length, Get, 1) \
  X(flange_thickness, Length, Get, 1) \
  X(fillet_radius, Length, Get, 1)
/// CShapeProfile: a lipped (cold-formed) channel of one wall thickness.
#define STOCKLIB_CSHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(wall_thickness, Length, Get, 1) \
  X(lip_length, Length, Get, 1) \
  X(inner_radius, Length, Get, 1)
/// UShapeProfile: a rolled channel; `flange_slope` is a ratio (0.08 for 8 %), not a length.
#define STOCKLIB_USHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(web_thickness, Length, Get, 1) \
  X(flange_thickness, Length, Get, 1) \
  X(fillet_radius, Length, Get, 1) \
  X(flange_slope, Real, Get, 1)
/// LShapeProfile: an angle; `height` is the first leg, `width` the second.
#define STOCKLIB_LSHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(thickness, Length, Get, 1) \
  X(root_radius, Length, Get, 1) \
  X(toe_radius, Length, Get, 1)
/// IShapeProfile: a rolled or welded I section; `flange_slope` is the inner slope of tapered
/// flanges as a ratio (0.14 for 14 %; 0, the default, for parallel flanges), not a length.
/// `flange_thickness` is then the mean thickness, at a quarter of the width from the tip.
#define STOCKLIB_ISHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(width, Length, Get, 1) \
  X(web_thickness, Length, Get, 1) \
  X(flange_thickness, Length, Get, 1) \
  X(fillet_radius, Length, Get, 1) \
  X(flange_slope, Real, Get, 2)
#define STOCKLIB_ASYMMETRIC_ISHAPE_DIMENSIONS(X) \
  X(height, Length, Get, 1) \
  X(top_width, Length, Get, 1) \
  X(bottom_width, Length, Get, 1) \
  X(web_thickness, Length, Get, 1) \
  X(top_flange_thickness, Length, Get, 1) \
  X(bottom_flange_thickness, Length, Get, 1) \
  X(fillet_radius, Length, Get, 1)
// clang-format on

/// STOCKLIB_SHAPES: every shape class with its dimensions, X(class, dimensions); a new shape
/// is one row here (and its ObjectType number).
#define STOCKLIB_SHAPES(X)                                          \
  X(CircleProfile, STOCKLIB_CIRCLE_DIMENSIONS)                      \
  X(CircleHollowProfile, STOCKLIB_CIRCLE_HOLLOW_DIMENSIONS)         \
  X(EllipseProfile, STOCKLIB_ELLIPSE_DIMENSIONS)                    \
  X(RectangleProfile, STOCKLIB_RECTANGLE_DIMENSIONS)                \
  X(RectangleHollowProfile, STOCKLIB_RECTANGLE_HOLLOW_DIMENSIONS)   \
  X(RoundedRectangleProfile, STOCKLIB_ROUNDED_RECTANGLE_DIMENSIONS) \
  X(TrapeziumProfile, STOCKLIB_TRAPEZIUM_DIMENSIONS)                \
  X(CraneRailAShapeProfile, STOCKLIB_CRANE_RAIL_DIMENSIONS)         \
  X(CraneRailFShapeProfile, STOCKLIB_CRANE_RAIL_DIMENSIONS)         \
  X(TShapeProfile, STOCKLIB_TZ_SHAPE_DIMENSIONS)                    \
  X(ZShapeProfile, STOCKLIB_TZ_SHAPE_DIMENSIONS)                    \
  X(CShapeProfile, STOCKLIB_CSHAPE_DIMENSIONS)                      \
  X(UShapeProfile, STOCKLIB_USHAPE_DIMENSIONS)                      \
  X(LShapeProfile, STOCKLIB_LSHAPE_DIMENSIONS)                      \
  X(IShapeProfile, STOCKLIB_ISHAPE_DIMENSIONS)                      \
  X(AsymmetricIShapeProfile, STOCKLIB_ASYMMETRIC_ISHAPE_DIMENSIONS)

// A shape class: its runtime class, constructor and `create`, the profile base's fields and
// then its dimensions, each with its accessor pair (`name()`, 0 when not set; `set_name`).
#define STOCKLIB_DECLARE_SHAPE_CLASS(T, DIMENSIONS)                                         \
  class STOCKLIB_API T : public ParametrizedProfile {                                       \
    STOCKLIB_DECLARE_OBJECT(T)                                                              \
   public:                                                                                  \
    STOCKLIB_FIELDS(STOCKLIB_PROFILE_FIELDS, DIMENSIONS)                                    \
    T();                                                                                    \
    static KcSmartPtr<T> create(const ::stocklib::ProfileName* name, const OdString& size); \
  };

namespace stocklib {
STOCKLIB_SHAPES(STOCKLIB_DECLARE_SHAPE_CLASS)

/// ProfileNameKey: a profile name by the names of its standard (empty: none) and itself.
class STOCKLIB_API ProfileNameKey : public Key {
 public:
  ProfileNameKey() = default;
  ProfileNameKey(const OdString& standard, const OdString& name)
      : m_standard(standard), m_name(name) {}
  const OdString& standard() const { return m_standard; }
  const OdString& name() const { return m_name; }
  /// values: the standard's name and the name, as given.
  void values(std::vector<detail::Value>& out) const override;
  /// resolve: the standard's id there and the name; false when the standard is not there.
  [[nodiscard]] bool resolve(const Library& library,
                             std::vector<detail::Value>& out) const override;

 private:
  OdString m_standard;
  OdString m_name;
};

/// ProfileKey: a profile by standard, name and size (empty standard and name: a profile
/// without them).
class STOCKLIB_API ProfileKey : public Key {
 public:
  ProfileKey() = default;
  ProfileKey(const OdString& standard, const OdString& name, const OdString& size)
      : m_standard(standard), m_name(name), m_size(size) {}
  const OdString& standard() const { return m_standard; }
  const OdString& name() const { return m_name; }
  const OdString& size() const { return m_size; }
  void values(std::vector<detail::Value>& out) const override;
  /// resolve: the profile name's id there and the size; false when the name is not there.
  [[nodiscard]] bool resolve(const Library& library,
                             std::vector<detail::Value>& out) const override;

 private:
  OdString m_standard;
  OdString m_name;
  OdString m_size;
};

/// ProfileCriteria: profiles by size text, standard name, profile name and shape. The default
/// passes every profile; an empty standard or name, and a shape of None, test nothing.
class STOCKLIB_API ProfileCriteria : public Criteria {
 public:
  ProfileCriteria() = default;
  explicit ProfileCriteria(const StringCriteria& size, const OdString& standard = OdString(),
                           const OdString& name = OdString(), ObjectType shape = ObjectType::None)
      : m_size(size), m_standard(standard), m_name(name), m_shape(shape) {}
  const StringCriteria& size() const { return m_size; }
  const OdString& standard() const { return m_standard; }
  const OdString& name() const { return m_name; }
  ObjectType shape() const { return m_shape; }
  void apply(detail::Filter& filter) const override;

 private:
  StringCriteria m_size;
  OdString m_standard;
  OdString m_name;
  ObjectType m_shape = ObjectType::None;
};

/// scaledEqualProfiles: true when `a` and `b` are of the same class and every length of `b`
/// is the one of `a` times one common factor other than 1 (relative tolerance 1e-6), while
/// their other values (slopes, bulges) are equal; `scale` receives that factor. False (scale
/// untouched) for null profiles, other classes, equal profiles, or a profile of no non-zero
/// length.
STOCKLIB_API bool scaledEqualProfiles(const Profile* a, const Profile* b, double& scale);

/// scaleProfile: multiplies every length of `profile` (dimensions or outline) by `scale`, in
/// memory; the caller saves it. A null profile is ignored.
STOCKLIB_API void scaleProfile(Profile* profile, double scale);

template <>
struct ObjectTraits<ProfileStandard> {
  static constexpr ObjectType type = ObjectType::ProfileStandard;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<ProfileName> {
  static constexpr ObjectType type = ObjectType::ProfileName;
  using unique_key_type = ProfileNameKey;
};
template <>
struct ObjectTraits<ProfileVertex> {
  static constexpr ObjectType type = ObjectType::ProfileVertex;
};

#define STOCKLIB_PROFILE_TRAITS(T)                    \
  template <>                                         \
  struct ObjectTraits<T> {                            \
    static constexpr ObjectType type = ObjectType::T; \
    using unique_key_type = ProfileKey;               \
  };
STOCKLIB_PROFILE_TRAITS(Profile)
STOCKLIB_PROFILE_TRAITS(CustomProfile)
STOCKLIB_PROFILE_TRAITS(ParametrizedProfile)
#define STOCKLIB_SHAPE_TRAITS(T, DIMENSIONS) STOCKLIB_PROFILE_TRAITS(T)
STOCKLIB_SHAPES(STOCKLIB_SHAPE_TRAITS)
#undef STOCKLIB_SHAPE_TRAITS
#undef STOCKLIB_PROFILE_TRAITS

}  // namespace stocklib
