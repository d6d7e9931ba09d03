// quantities: a host module that gives library value definitions real computations. While it
// is loaded, value definitions of type double whose value specification is length, area,
// perimeter, ply_thickness or ply_volume measure the entity they are read for.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "RxDynamicModule.h"
#include "RxModule.h"
#include "sl_db/DelegatingValueDefinition.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/DynamicProperty.h"
#include "sl_db/DynamicPropertyContext.h"
#include "sl_db/ValueComputations.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"

namespace {

using Result = sl_db::DynamicPropertyResults::Result;
using sl_db::DynamicPropertyResults;

// The name the provider is registered under: unique to this module, so that it removes its own.
const OdString kProviderName(L"quantities");
// The stored text value, in the value definition's namespace, naming the entity's composition.
const OdString kCompositionName(L"Composition");

constexpr double kPi = 3.14159265358979323846;

enum class Measure { kLength, kArea, kPerimeter, kPlyThickness, kPlyVolume };

bool measureOf(const OdString& spec, Measure& measure) {
  static const struct {
    const wchar_t* spec;
    Measure measure;
  } kSpecs[] = {{L"length", Measure::kLength},
                {L"area", Measure::kArea},
                {L"perimeter", Measure::kPerimeter},
                {L"ply_thickness", Measure::kPlyThickness},
                {L"ply_volume", Measure::kPlyVolume}};
  for (const auto& s : kSpecs) {
    if (spec == s.spec) {
      measure = s.measure;
      return true;
    }
  }
  return false;
}

// Metres per unit; 0 for a unit that has no fixed length.
double metresPerDrawingUnit(OdDb::UnitsValue units) {
  switch (units) {
    case OdDb::kUnitsInches:
      return 0.0254;
    case OdDb::kUnitsFeet:
      return 0.3048;
    case OdDb::kUnitsMiles:
      return 1609.344;
    case OdDb::kUnitsMillimeters:
      return 0.001;
    case OdDb::kUnitsCentimeters:
      return 0.01;
    case OdDb::kUnitsMeters:
      return 1.0;
    case OdDb::kUnitsKilometers:
      return 1000.0;
    default:
      return 0.0;
  }
}

double metresPerLibraryUnit(stocklib::LibraryUnit unit) {
  return unit == stocklib::kLibraryUnitMillimeter ? 0.001 : 0.0254;
}

// Unit factors are decimal constants: a ratio of two of them is brought back to its 12 digits,
// so that 18000000 mm2 in m2 is 18 and not 18 plus a rounding error.
double ratio(double numerator, double denominator) {
  char text[32];
  std::snprintf(text, sizeof text, "%.12g", numerator / denominator);
  return std::strtod(text, nullptr);
}

double distance(const OdGePoint2d& a, const OdGePoint2d& b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}

/// Outline: what the measures read of an entity, in drawing units.
struct Outline {
  bool closed = false;  // encloses an area
  double length = 0;    // the whole path, a closed polyline's closing segment included
  double area = 0;      // enclosed; 0 when open
};

// Lines, polylines (straight segments) and circles; false for any other object.
bool outlineOf(const OdDbObject* object, Outline& out) {
  if (OdDbLinePtr line = OdDbLine::cast(object)) {
    const OdGeVector3d d = line->endPoint() - line->startPoint();
    out.length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return true;
  }
  if (OdDbCirclePtr circle = OdDbCircle::cast(object)) {
    out.closed = true;
    out.length = 2 * kPi * circle->radius();
    out.area = kPi * circle->radius() * circle->radius();
    return true;
  }
  OdDbPolylinePtr polyline = OdDbPolyline::cast(object);
  if (!polyline) return false;
  const unsigned n = polyline->numVerts();
  out.closed = polyline->isClosed() && n > 2;
  double twiceArea = 0;  // shoelace; the outline may run either way round
  for (unsigned i = 0; i < n; ++i) {
    if (i + 1 == n && !out.closed) break;
    const OdGePoint2d a = polyline->getPointAt(i);
    const OdGePoint2d b = polyline->getPointAt((i + 1) % n);
    out.length += distance(a, b);
    twiceArea += a.x * b.y - b.x * a.y;
  }
  out.area = out.closed ? std::fabs(twiceArea) / 2 : 0;
  return true;
}

/// MeasuredDefinition: the library's definition, computing its measure of an entity: in the
/// definition's unit when it has one, else in drawing units (squared for areas, cubed for
/// volumes). Ply thicknesses are converted from the library's unit.
class MeasuredDefinition final : public sl_db::DelegatingValueDefinition {
 public:
  MeasuredDefinition(std::shared_ptr<sl_db::IValueDefinition> library, Measure measure)
      : DelegatingValueDefinition(std::move(library)), m_measure(measure) {}

  using DelegatingValueDefinition::computeValue;
  Result computeValue(double& value, const OdDbObjectPtr& object,
                      const OdRxObject* context) const override {
    double measured = 0;
    int power = 0;  // of the length in the figure's dimension
    Result r = measure(object.get(), context, measured, power);
    if (r == DynamicPropertyResults::Ok) r = toDefinitionUnit(object.get(), power, measured);
    if (r != DynamicPropertyResults::Ok) return r;
    // A figure that overflowed is no measure of anything.
    if (!std::isfinite(measured)) return DynamicPropertyResults::InvalidValue;
    value = measured;
    return r;
  }

 private:
  Result measure(const OdDbObject* object, const OdRxObject* context, double& out,
                 int& power) const {
    Outline outline;
    if (!object || !outlineOf(object, outline)) return DynamicPropertyResults::NotAvailable;
    const bool needsArea = m_measure == Measure::kArea || m_measure == Measure::kPerimeter ||
                           m_measure == Measure::kPlyVolume;
    if (needsArea && !outline.closed) return DynamicPropertyResults::NotAvailable;
    double thickness = 0;
    if (m_measure == Measure::kPlyThickness || m_measure == Measure::kPlyVolume) {
      const Result r = plyThickness(object, context, thickness);
      if (r != DynamicPropertyResults::Ok) return r;
    }
    switch (m_measure) {
      case Measure::kLength:
      case Measure::kPerimeter:
        out = outline.length;
        power = 1;
        break;
      case Measure::kArea:
        out = outline.area;
        power = 2;
        break;
      case Measure::kPlyThickness:
        out = thickness;
        power = 1;
        break;
      case Measure::kPlyVolume:
        out = outline.area * thickness;
        power = 3;
        break;
    }
    return DynamicPropertyResults::Ok;
  }

  // The thickness, in drawing units, of the context's ply of the composition the entity names.
  Result plyThickness(const OdDbObject* object, const OdRxObject* context, double& out) const {
    auto palette = sl_db::DynamicPropertyContext::queryX(context);
    OdDbDatabase* db = object->database();
    if (!palette || palette->plyIndex() < 0 || !db) return DynamicPropertyResults::NotAvailable;
    OdString name;
    sl_db::DynamicProperty named(nullptr, OdRxObjectPtr(const_cast<OdDbObject*>(object)),
                                 sl_db::PropertyKey(ns(), kCompositionName), false);
    if (named.getValue(name) != DynamicPropertyResults::Ok || name.isEmpty())
      return DynamicPropertyResults::NotAvailable;
    KcSmartPtr<stocklib::Composition> composition =
        sl_db::docLibs(db)->get<stocklib::Composition>(stocklib::NameKey(name));
    const std::uint64_t ply = static_cast<std::uint64_t>(palette->plyIndex());
    if (!composition || ply >= composition->plies_size())
      return DynamicPropertyResults::NotAvailable;
    const std::shared_ptr<stocklib::Library> library = composition->library();
    const double drawingUnit = metresPerDrawingUnit(db->getINSUNITS());
    if (!library || drawingUnit == 0) return DynamicPropertyResults::NotAvailable;
    const double thickness = composition->ply(static_cast<std::size_t>(ply))->thickness();
    if (!(thickness >= 0)) return DynamicPropertyResults::InvalidValue;
    out = thickness / ratio(drawingUnit, metresPerLibraryUnit(library->unit()));
    return DynamicPropertyResults::Ok;
  }

  // A figure of drawing units to the power `power` into the definition's unit, which must
  // measure that dimension.
  Result toDefinitionUnit(const OdDbObject* object, int power, double& figure) const {
    std::shared_ptr<sl_db::IUnit> unit = this->unit();
    if (!unit) return DynamicPropertyResults::Ok;
    static const wchar_t* const kMeasures[] = {L"LENGTH", L"AREA", L"VOLUME"};
    OdRxObject* stored = unit->object();
    if (!stored || !stored->isKindOf(stocklib::Unit::desc()) ||
        unit->measureName() != kMeasures[power - 1])
      return DynamicPropertyResults::InvalidValue;
    const OdDbDatabase* db = object->database();
    const double drawingUnit = db ? metresPerDrawingUnit(db->getINSUNITS()) : 0;
    if (drawingUnit == 0) return DynamicPropertyResults::NotAvailable;
    figure /= ratio(static_cast<stocklib::Unit*>(stored)->factor(), std::pow(drawingUnit, power));
    return DynamicPropertyResults::Ok;
  }

  Measure m_measure;
};

std::shared_ptr<sl_db::IValueDefinition> provide(
    const std::shared_ptr<sl_db::IValueDefinition>& definition) {
  Measure measure;
  if (definition->dbPropertyType() != DbPropertyType::get<double>() ||
      !measureOf(definition->valueSpec(), measure))
    return nullptr;
  return sl_db::DelegatingValueDefinition::make<MeasuredDefinition>(definition, measure);
}

class QuantitiesModule : public OdRxModule {
 public:
  void initApp() override { sl_db::ValueComputations::add(kProviderName, provide); }
  // The provider and the definitions it makes are code of this file: gone before it is.
  void uninitApp() override { sl_db::ValueComputations::remove(kProviderName); }
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(QuantitiesModule)
