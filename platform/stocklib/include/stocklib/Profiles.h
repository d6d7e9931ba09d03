// Structural profiles of the library store: profile standards and names, the profile base, the
// custom outline profile and the sixteen parametrized shapes, their keys and criteria, and the
// scale comparison used to repair profiles stored at a wrong scale.
#pragma once

#include <cstdint>
#include <vector>

#include "stocklib/Objects.h"

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
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  ProfileStandard();
  static KcSmartPtr<ProfileStandard> create(const OdString& name);
  STOCKLIB_NAME(F::name)
};

/// ProfileName: a family of profiles ("HEA") in a standard (or none), unique by standard and
/// name.
class STOCKLIB_API ProfileName : public Object {
  STOCKLIB_DECLARE_OBJECT(ProfileName)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { standard, name };
    static constexpr const char* names[] = {"standard", "name"};
  };
  ProfileName();
  /// create: a new name in `standard` (null: no standard).
  static KcSmartPtr<ProfileName> create(const OdString& name, const ProfileStandard* standard);
  /// standard: null when the name has none.
  KcSmartPtr<ProfileStandard> standard() const;
  void set_standard(const ProfileStandard* standard);
  STOCKLIB_NAME(F::name)
};

/// Profile: a cross-section: its family name, its size designation and what it is used for.
/// Unique by name and size among profiles of the same shape. Lengths are in the library's unit.
class STOCKLIB_API Profile : public Object {
  STOCKLIB_DECLARE_OBJECT(Profile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type"};
  };
  /// name: the profile name; null when it has none.
  KcSmartPtr<ProfileName> name() const;
  void set_name(const ProfileName* name);
  /// size: the size designation as written in the tables ("200", "2-1/2x2-1/2x1/4").
  const OdString& size() const { return textField(F::size); }
  void set_size(const OdString& size) { setText(F::size, size); }
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
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { owner, position, x, y, bulge };
    static constexpr const char* names[] = {"owner", "position", "x", "y", "bulge"};
  };
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
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type"};
  };
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
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type"};
  };
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
  bool set_dimension(std::size_t index, double value);
  /// dimension_index: the index of the dimension of that name; -1 when the shape has none.
  int dimension_index(const OdString& name) const;

 protected:
  explicit ParametrizedProfile(const detail::TypeDesc& type);
};

}  // namespace stocklib

// One dimension accessor pair of a shape: `name()` (0 when not set) and `set_name(value)`, at
// the shape's field of that name.
#define STOCKLIB_PROFILE_DIMENSION(name) \
  double name() const {                  \
    return realField(F::name);           \
  }                                      \
  void set_##name(double value) {        \
    setReal(F::name, value);             \
  }

// A shape class: its runtime class, constructor and `create`; dimensions follow.
#define STOCKLIB_DECLARE_SHAPE(T) \
  STOCKLIB_DECLARE_OBJECT(T)      \
 public:                          \
  T();                            \
  static KcSmartPtr<T> create(const ::stocklib::ProfileName* name, const OdString& size);

namespace stocklib {

class STOCKLIB_API CircleProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(CircleProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, diameter };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type", "diameter"};
  };
  STOCKLIB_PROFILE_DIMENSION(diameter)
};

class STOCKLIB_API CircleHollowProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(CircleHollowProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, diameter, wall_thickness };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type", "diameter",
                                            "wall_thickness"};
  };
  STOCKLIB_PROFILE_DIMENSION(diameter)
  STOCKLIB_PROFILE_DIMENSION(wall_thickness)
};

/// EllipseProfile: full axes, width along x and height along y.
class STOCKLIB_API EllipseProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(EllipseProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, height, width };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type", "height",
                                            "width"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
};

class STOCKLIB_API RectangleProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(RectangleProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, height, width };
    static constexpr const char* names[] = {"profile_name", "size", "profile_type", "height",
                                            "width"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
};

class STOCKLIB_API RectangleHollowProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(RectangleHollowProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      wall_thickness,
      inner_radius,
      outer_radius
    };
    static constexpr const char* names[] = {"profile_name", "size",        "profile_type",
                                            "height",       "width",       "wall_thickness",
                                            "inner_radius", "outer_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(wall_thickness)
  STOCKLIB_PROFILE_DIMENSION(inner_radius)
  STOCKLIB_PROFILE_DIMENSION(outer_radius)
};

class STOCKLIB_API RoundedRectangleProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(RoundedRectangleProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, height, width, radius };
    static constexpr const char* names[] = {"profile_name", "size",  "profile_type",
                                            "height",       "width", "radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(radius)
};

/// TrapeziumProfile: `top_offset` shifts the top edge's centre from the bottom edge's.
class STOCKLIB_API TrapeziumProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(TrapeziumProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { profile_name, size, profile_type, height, bottom_width, top_width, top_offset };
    static constexpr const char* names[] = {"profile_name", "size",      "profile_type", "height",
                                            "bottom_width", "top_width", "top_offset"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(bottom_width)
  STOCKLIB_PROFILE_DIMENSION(top_width)
  STOCKLIB_PROFILE_DIMENSION(top_offset)
};

/// Crane rails: head on a web on a foot.
class STOCKLIB_API CraneRailAShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(CraneRailAShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      head_width,
      head_height,
      web_thickness,
      base_width,
      base_height
    };
    static constexpr const char* names[] = {"profile_name",  "size",       "profile_type",
                                            "height",        "head_width", "head_height",
                                            "web_thickness", "base_width", "base_height"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(head_width)
  STOCKLIB_PROFILE_DIMENSION(head_height)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(base_width)
  STOCKLIB_PROFILE_DIMENSION(base_height)
};

class STOCKLIB_API CraneRailFShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(CraneRailFShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      head_width,
      head_height,
      web_thickness,
      base_width,
      base_height
    };
    static constexpr const char* names[] = {"profile_name",  "size",       "profile_type",
                                            "height",        "head_width", "head_height",
                                            "web_thickness", "base_width", "base_height"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(head_width)
  STOCKLIB_PROFILE_DIMENSION(head_height)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(base_width)
  STOCKLIB_PROFILE_DIMENSION(base_height)
};

class STOCKLIB_API TShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(TShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      web_thickness,
      flange_thickness,
      fillet_radius
    };
    static constexpr const char* names[] = {"profile_name",     "size",         "profile_type",
                                            "height",           "width",        "web_thickness",
                                            "flange_thickness", "fillet_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(fillet_radius)
};

class STOCKLIB_API ZShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(ZShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      web_thickness,
      flange_thickness,
      fillet_radius
    };
    static constexpr const char* names[] = {"profile_name",     "size",         "profile_type",
                                            "height",           "width",        "web_thickness",
                                            "flange_thickness", "fillet_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(fillet_radius)
};

/// CShapeProfile: a lipped (cold-formed) channel of one wall thickness.
class STOCKLIB_API CShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(CShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      wall_thickness,
      lip_length,
      inner_radius
    };
    static constexpr const char* names[] = {"profile_name", "size",        "profile_type",
                                            "height",       "width",       "wall_thickness",
                                            "lip_length",   "inner_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(wall_thickness)
  STOCKLIB_PROFILE_DIMENSION(lip_length)
  STOCKLIB_PROFILE_DIMENSION(inner_radius)
};

/// UShapeProfile: a rolled channel; `flange_slope` is a ratio (0.08 for 8 %), not a length.
class STOCKLIB_API UShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(UShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      web_thickness,
      flange_thickness,
      fillet_radius,
      flange_slope
    };
    static constexpr const char* names[] = {"profile_name",     "size",          "profile_type",
                                            "height",           "width",         "web_thickness",
                                            "flange_thickness", "fillet_radius", "flange_slope"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(fillet_radius)
  STOCKLIB_PROFILE_DIMENSION(flange_slope)
};

/// LShapeProfile: an angle; `height` is the first leg, `width` the second.
class STOCKLIB_API LShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(LShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      thickness,
      root_radius,
      toe_radius
    };
    static constexpr const char* names[] = {"profile_name", "size",      "profile_type",
                                            "height",       "width",     "thickness",
                                            "root_radius",  "toe_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(thickness)
  STOCKLIB_PROFILE_DIMENSION(root_radius)
  STOCKLIB_PROFILE_DIMENSION(toe_radius)
};

/// IShapeProfile: a rolled or welded I section; `flange_slope` is the inner slope of tapered
/// flanges as a ratio (0.14 for 14 %; 0, the default, for parallel flanges), not a length.
/// `flange_thickness` is then the mean thickness, at a quarter of the width from the tip.
class STOCKLIB_API IShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(IShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      width,
      web_thickness,
      flange_thickness,
      fillet_radius,
      flange_slope
    };
    static constexpr const char* names[] = {"profile_name",     "size",          "profile_type",
                                            "height",           "width",         "web_thickness",
                                            "flange_thickness", "fillet_radius", "flange_slope"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(width)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(fillet_radius)
  STOCKLIB_PROFILE_DIMENSION(flange_slope)
};

class STOCKLIB_API AsymmetricIShapeProfile : public ParametrizedProfile {
  STOCKLIB_DECLARE_SHAPE(AsymmetricIShapeProfile)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      profile_name,
      size,
      profile_type,
      height,
      top_width,
      bottom_width,
      web_thickness,
      top_flange_thickness,
      bottom_flange_thickness,
      fillet_radius
    };
    static constexpr const char* names[] = {"profile_name",
                                            "size",
                                            "profile_type",
                                            "height",
                                            "top_width",
                                            "bottom_width",
                                            "web_thickness",
                                            "top_flange_thickness",
                                            "bottom_flange_thickness",
                                            "fillet_radius"};
  };
  STOCKLIB_PROFILE_DIMENSION(height)
  STOCKLIB_PROFILE_DIMENSION(top_width)
  STOCKLIB_PROFILE_DIMENSION(bottom_width)
  STOCKLIB_PROFILE_DIMENSION(web_thickness)
  STOCKLIB_PROFILE_DIMENSION(top_flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(bottom_flange_thickness)
  STOCKLIB_PROFILE_DIMENSION(fillet_radius)
};

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
  bool resolve(const Library& library, std::vector<detail::Value>& out) const override;

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
  bool resolve(const Library& library, std::vector<detail::Value>& out) const override;

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
STOCKLIB_PROFILE_TRAITS(CircleProfile)
STOCKLIB_PROFILE_TRAITS(CircleHollowProfile)
STOCKLIB_PROFILE_TRAITS(EllipseProfile)
STOCKLIB_PROFILE_TRAITS(RectangleProfile)
STOCKLIB_PROFILE_TRAITS(RectangleHollowProfile)
STOCKLIB_PROFILE_TRAITS(RoundedRectangleProfile)
STOCKLIB_PROFILE_TRAITS(TrapeziumProfile)
STOCKLIB_PROFILE_TRAITS(CraneRailAShapeProfile)
STOCKLIB_PROFILE_TRAITS(CraneRailFShapeProfile)
STOCKLIB_PROFILE_TRAITS(TShapeProfile)
STOCKLIB_PROFILE_TRAITS(ZShapeProfile)
STOCKLIB_PROFILE_TRAITS(CShapeProfile)
STOCKLIB_PROFILE_TRAITS(UShapeProfile)
STOCKLIB_PROFILE_TRAITS(LShapeProfile)
STOCKLIB_PROFILE_TRAITS(IShapeProfile)
STOCKLIB_PROFILE_TRAITS(AsymmetricIShapeProfile)
#undef STOCKLIB_PROFILE_TRAITS

}  // namespace stocklib
