// Thermal figures of compositions: layer resistances from thickness and conductivity, air layers
// and surface resistances from the tables of EN ISO 6946 for high-emissivity surfaces.
#include "sl_db/ThermalResistance.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "stocklib/Library.h"

namespace sl_db {

namespace {

struct Surfaces {
  double rsi, rse;
};

Surfaces surfaces(HeatFlow direction) {
  switch (direction) {
    case HeatFlow::kUpward:
      return {0.10, 0.04};
    case HeatFlow::kDownward:
      return {0.17, 0.04};
    case HeatFlow::kHorizontal:
      break;
  }
  return {0.13, 0.04};
}

/// The resistance of an unventilated air layer `mm` thick, interpolated in the standard's table;
/// above 300 mm (the table's end) it stays at the last row.
double airLayer(double mm, HeatFlow direction) {
  struct Row {
    double mm, up, horizontal, down;
  };
  static constexpr std::array<Row, 9> kRows = {{{0, 0, 0, 0},
                                                {5, 0.11, 0.11, 0.11},
                                                {7, 0.13, 0.13, 0.13},
                                                {10, 0.15, 0.15, 0.15},
                                                {15, 0.16, 0.17, 0.17},
                                                {25, 0.16, 0.18, 0.19},
                                                {50, 0.16, 0.18, 0.21},
                                                {100, 0.16, 0.18, 0.22},
                                                {300, 0.16, 0.18, 0.23}}};
  auto column = [direction](const Row& row) {
    return direction == HeatFlow::kUpward     ? row.up
           : direction == HeatFlow::kDownward ? row.down
                                              : row.horizontal;
  };
  if (mm >= kRows.back().mm) return column(kRows.back());
  for (std::size_t i = 1; i < kRows.size(); ++i) {
    if (mm > kRows[i].mm) continue;
    const Row &a = kRows[i - 1], &b = kRows[i];
    return column(a) + (column(b) - column(a)) * (mm - a.mm) / (b.mm - a.mm);
  }
  return 0;
}

bool isGas(const stocklib::Material* material) {
  if (!material) return false;
  KcSmartPtr<stocklib::MaterialType> type = material->type();
  return type && type->name() == L"Gas";
}

HeatFlow directionOf(const stocklib::Composition& composition) {
  switch (composition.type()) {
    case stocklib::Composition::kRoof:
      return HeatFlow::kUpward;
    case stocklib::Composition::kSlab:
      return HeatFlow::kDownward;
    default:
      return HeatFlow::kHorizontal;
  }
}

}  // namespace

std::string missingReason(const PlyThermal& ply) {
  const std::string who = "ply " + std::to_string(ply.index) +
                          (ply.material.isEmpty() ? "" : " (" + ply.material.toUtf8() + ")");
  if (ply.material.isEmpty()) return who + " has no material";
  if (!ply.conductivity || !(*ply.conductivity > 0)) return who + " has no thermal conductivity";
  return who + " has no valid thickness";
}

std::string thermalSummary(const ThermalFigures& figures) {
  if (!figures.total || !figures.uValue) {
    std::string why;
    for (std::size_t index : figures.missing)
      if (index < figures.plies.size())
        why += (why.empty() ? "" : "; ") + missingReason(figures.plies[index]);
    return "no U-value: " + why;
  }
  char text[96];
  std::snprintf(text, sizeof text, "R = %.3f m\xC2\xB2K/W, U = %.3f W/(m\xC2\xB2K)", *figures.total,
                *figures.uValue);
  return text;
}

const char* heatFlowName(HeatFlow direction) {
  switch (direction) {
    case HeatFlow::kUpward:
      return "upward";
    case HeatFlow::kDownward:
      return "downward";
    case HeatFlow::kHorizontal:
      break;
  }
  return "horizontal";
}

const char* plyRoleName(PlyRole role) {
  switch (role) {
    case PlyRole::kLayer:
      return "layer";
    case PlyRole::kAirLayer:
      return "air layer";
    case PlyRole::kVentilated:
      return "ventilated";
    case PlyRole::kOutside:
      return "outside";
    case PlyRole::kMissing:
      break;
  }
  return "missing";
}

std::optional<ThermalFigures> thermalFigures(const stocklib::Composition* composition,
                                             const ThermalOptions& options) {
  if (!composition) return std::nullopt;
  const std::vector<KcSmartPtr<stocklib::Ply>> plies = composition->plies();
  if (plies.empty()) return std::nullopt;
  if (options.ventilatedPly && *options.ventilatedPly >= plies.size()) return std::nullopt;

  ThermalFigures figures;
  figures.direction = options.direction.value_or(directionOf(*composition));
  const Surfaces s = surfaces(figures.direction);
  figures.rsi = s.rsi;
  figures.rse = s.rse;
  std::shared_ptr<stocklib::Library> library = composition->library();
  const double metresPerUnit =
      library && library->unit() == stocklib::kLibraryUnitInch ? 0.0254 : 0.001;
  // Slabs hold their interior on top: their exterior side is the last ply.
  const bool exteriorFirst = composition->type() != stocklib::Composition::kSlab;
  const double openings = std::isfinite(options.openings) ? options.openings : 0;
  const bool ventilated = options.ventilatedPly.has_value() && openings > 500;
  const bool wellVentilated = ventilated && openings >= 1500;

  // The sum of the counted plies with the ventilated one as still air (unventilated), and
  // without it and what lies outside it (well ventilated).
  double sumStill = 0, sumInside = 0;
  for (std::size_t i = 0; i < plies.size(); ++i) {
    const stocklib::Ply& ply = *plies[i];
    KcSmartPtr<stocklib::Material> material = ply.material();
    PlyThermal p;
    p.index = i;
    p.material = material ? material->name() : OdString();
    p.thickness = ply.thickness();
    p.function = ply.function();
    if (material)
      if (KcSmartPtr<stocklib::PhysicalAsset> asset = material->physical_asset())
        if (asset->has_thermal_conductivity()) p.conductivity = asset->thermal_conductivity();
    const bool isVentilatedPly = options.ventilatedPly == i;
    const bool outside =
        ventilated && (exteriorFirst ? i < *options.ventilatedPly : i > *options.ventilatedPly);
    const double metres = p.thickness * metresPerUnit;
    const bool validThickness = std::isfinite(metres) && metres >= 0;
    if (validThickness && (isVentilatedPly || isGas(material.get()))) {
      p.role = PlyRole::kAirLayer;
      p.resistance = airLayer(metres * 1000, figures.direction);
    } else if (validThickness && p.conductivity && std::isfinite(*p.conductivity) &&
               *p.conductivity > 0) {
      p.role = PlyRole::kLayer;
      p.resistance = metres / *p.conductivity;
    } else {
      p.role = PlyRole::kMissing;
    }
    // Plies that do not count need no figures; with slight ventilation every ply counts.
    const bool dropped = wellVentilated && (outside || isVentilatedPly);
    if (p.role == PlyRole::kMissing && !dropped) figures.missing.push_back(i);
    if (p.resistance) {
      sumStill += *p.resistance;
      if (!outside && !isVentilatedPly) sumInside += *p.resistance;
    }
    if (dropped) {
      p.role = isVentilatedPly ? PlyRole::kVentilated : PlyRole::kOutside;
      p.resistance.reset();
    }
    figures.plies.push_back(std::move(p));
  }
  if (!figures.missing.empty()) return figures;

  const double still = s.rsi + sumStill + s.rse;
  // Behind a well-ventilated layer the outer surface sees still air: Rsi on both faces.
  const double open = s.rsi + sumInside + s.rsi;
  double total = still;
  if (wellVentilated) {
    total = open;
    figures.rse = s.rsi;
  } else if (ventilated) {
    total = (1500 - openings) / 1000 * still + (openings - 500) / 1000 * open;
  }
  figures.total = total;
  figures.uValue = 1 / total;
  return figures;
}

}  // namespace sl_db
