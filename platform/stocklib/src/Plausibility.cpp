// The plausibility rules of stored values, one table per kind of rule, read by field name so
// that a shape added to the type table is judged without a change here.
#include "Plausibility.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "Store.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

namespace stocklib::detail {

namespace {

std::string text(double v) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The number stored in field `name` of `o`; nothing when the class has no such field or it is
// absent.
std::optional<double> number(const Object& o, const char* name) {
  int i = Access::type(o).fieldIndex(name);
  if (i < 0) return std::nullopt;
  const Value& v = Access::values(o)[i];
  if (const double* d = std::get_if<double>(&v)) return *d;
  if (const int64_t* n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
  return std::nullopt;
}

// Codes with a closed range: the material functions and the pattern types.
struct CodeRule {
  ObjectType type;
  const char* field;
  int low, high;
};
const CodeRule kCodes[] = {
    {ObjectType::BimAsset, "default_function", kFunctionNone, kFunctionMembrane},
    {ObjectType::Ply, "function", kFunctionNone, kFunctionMembrane},
    {ObjectType::Material, "cut_pattern_type", Pattern::kNone, Pattern::kCustom},
    {ObjectType::Material, "surface_pattern_type", Pattern::kNone, Pattern::kCustom},
};

// Physical values and dimensions that only a positive number can be. Radii, lips, slopes and
// offsets may be zero; a trapezium's top may close to a point.
const char* const kPositivePhysical[] = {"density", "specific_heat", "thermal_conductivity"};
const char* const kPositiveDimensions[] = {"diameter",
                                           "height",
                                           "width",
                                           "web_thickness",
                                           "flange_thickness",
                                           "wall_thickness",
                                           "thickness",
                                           "head_width",
                                           "head_height",
                                           "base_width",
                                           "base_height",
                                           "bottom_width",
                                           "top_width",
                                           "top_flange_thickness",
                                           "bottom_flange_thickness"};

// A part of a section that cannot exceed a share of another dimension.
struct PartRule {
  ObjectType type;
  const char* part;
  const char* whole;
  double share;
  const char* what;
};
const PartRule kParts[] = {
    {ObjectType::IShapeProfile, "flange_thickness", "height", 0.5, "half the height"},
    {ObjectType::UShapeProfile, "flange_thickness", "height", 0.5, "half the height"},
    {ObjectType::ZShapeProfile, "flange_thickness", "height", 0.5, "half the height"},
    {ObjectType::TShapeProfile, "flange_thickness", "height", 1.0, "the height"},
    {ObjectType::CircleHollowProfile, "wall_thickness", "diameter", 0.5, "half the diameter"},
    {ObjectType::RectangleHollowProfile, "wall_thickness", "height", 0.5, "half the height"},
    {ObjectType::RectangleHollowProfile, "wall_thickness", "width", 0.5, "half the width"},
    {ObjectType::LShapeProfile, "thickness", "height", 1.0, "the height"},
    {ObjectType::LShapeProfile, "thickness", "width", 1.0, "the width"},
};

const char* const kPlyNumbers[] = {"first_core_ply", "last_core_ply", "structural_ply",
                                   "variable_ply"};

void judge(const Object& o, const std::string& prefix, std::vector<std::string>& out) {
  const TypeDesc& t = Access::type(o);
  for (const CodeRule& r : kCodes) {
    if (r.type != t.type) continue;
    std::optional<double> v = number(o, r.field);
    if (v && (*v < r.low || *v > r.high))
      out.push_back(prefix + r.field + " " + text(*v) + " is outside " + std::to_string(r.low) +
                    " to " + std::to_string(r.high));
  }
  auto positive = [&](const char* field) {
    std::optional<double> v = number(o, field);
    if (v && !(*v > 0)) out.push_back(prefix + field + " " + text(*v) + " is not positive");
  };
  if (t.type == ObjectType::PhysicalAsset)
    for (const char* f : kPositivePhysical)
      positive(f);
  if (t.type == ObjectType::Ply) positive("thickness");
  if (t.isA(ObjectType::ParametrizedProfile)) {
    for (const char* f : kPositiveDimensions)
      if (t.type != ObjectType::TrapeziumProfile || std::strcmp(f, "top_width") != 0) positive(f);
    for (const PartRule& r : kParts) {
      if (r.type != t.type) continue;
      std::optional<double> part = number(o, r.part), whole = number(o, r.whole);
      if (part && whole && *part > *whole * r.share)
        out.push_back(prefix + r.part + " " + text(*part) + " is more than " + r.what + " " +
                      text(*whole));
    }
  }
  if (t.type != ObjectType::Composition) return;
  const auto& c = static_cast<const Composition&>(o);
  std::size_t plies = c.plies_size();
  for (const char* f : kPlyNumbers) {
    std::optional<double> v = number(o, f);
    if (v && !(*v >= 0 && *v < static_cast<double>(plies)))
      out.push_back(prefix + f + " " + text(*v) + " is outside its " + std::to_string(plies) +
                    (plies == 1 ? " ply" : " plies"));
  }
  for (std::size_t i = 0; i < plies; ++i)
    if (KcSmartPtr<Ply> p = c.ply(i)) judge(*p, prefix + "ply " + std::to_string(i) + " ", out);
}

}  // namespace

std::vector<std::string> implausible(const Object& object) {
  std::vector<std::string> out;
  judge(object, "", out);
  return out;
}

std::string describeObject(const Object& object) {
  const TypeDesc& t = Access::type(object);
  std::string name;
  if (t.isA(ObjectType::Profile)) {
    const auto& p = static_cast<const Profile&>(object);
    if (KcSmartPtr<ProfileName> n = p.name()) name = n->name().toUtf8() + " ";
    name += p.size().toUtf8();
  } else if (int i = t.fieldIndex("name"); i >= 0) {
    if (const OdString* s = std::get_if<OdString>(&Access::values(object)[i])) name = s->toUtf8();
  }
  return std::string(t.name) +
         (name.empty() ? " " + std::to_string(object.id()) : " \"" + name + "\"");
}

}  // namespace stocklib::detail
