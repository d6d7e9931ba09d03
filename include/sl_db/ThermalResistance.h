// Thermal resistance and U-value of a composition's plies, by the simple method for building
// elements of homogeneous layers (EN ISO 6946): what engineers check a wall or roof against.
#pragma once
/// @file

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "OdString.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Materials.h"

namespace sl_db {

/// HeatFlow: the direction of the heat flow through the element, which sets its surface
/// resistances and those of its air layers.
enum class HeatFlow { kHorizontal, kUpward, kDownward };

/// PlyRole: how a ply enters the total resistance.
enum class PlyRole {
  kLayer,       ///< a solid layer: thickness over conductivity
  kAirLayer,    ///< an unventilated air layer (material of type "Gas"): tabled by thickness
  kVentilated,  ///< the ventilated air layer named in ThermalOptions: not counted
  kOutside,     ///< outside the ventilated layer (on the exterior side): not counted
  kMissing      ///< counted, but no resistance can be given (see PlyThermal::resistance)
};

/// ThermalOptions: what the library does not store about a composition as built.
struct ThermalOptions {
  /// direction: the heat flow; empty: by the composition's type (roof upward, slab downward,
  /// any other horizontal).
  std::optional<HeatFlow> direction;
  /// ventilatedPly: the ply (counted from 0) that is an air layer open to the outside air.
  std::optional<std::size_t> ventilatedPly;
  /// openings: the ventilation openings of that ply in mm² per metre of length (vertical
  /// layers) or per m² of surface (horizontal ones). Up to 500 the layer counts as
  /// unventilated, from 1500 as well ventilated; in between the total is interpolated.
  double openings = 1500;
};

/// PlyThermal: one ply's figures, in the composition's ply order.
struct PlyThermal {
  std::size_t index = 0;  ///< the ply number, counted from 0
  OdString material;      ///< the material's name; empty when the ply has none
  double thickness = 0;   ///< in the library's unit, as stored
  stocklib::MaterialFunction function = stocklib::kFunctionNone;  ///< as stored
  std::optional<double> conductivity;  ///< W/(m·K); empty when the material has none
  std::optional<double> resistance;    ///< m²K/W; empty for kVentilated, kOutside, kMissing
  PlyRole role = PlyRole::kLayer;      ///< how the ply is counted
};

/// ThermalFigures: the element's figures in SI units whatever the library unit.
struct ThermalFigures {
  HeatFlow direction = HeatFlow::kHorizontal;  ///< the heat flow the figures hold for
  double rsi = 0;                              ///< internal surface resistance, m²K/W
  double rse = 0;  ///< external surface resistance, m²K/W (Rsi's value behind a ventilated layer)
  std::vector<PlyThermal> plies;  ///< every ply, counted or not
  /// missing: the counted plies that have no material, no conductivity above 0 or no valid
  /// thickness; while any is listed, total and uValue are empty.
  std::vector<std::size_t> missing;
  std::optional<double> total;   ///< RT, surfaces included, m²K/W
  std::optional<double> uValue;  ///< 1 / RT, W/(m²K)
};

/// thermalFigures: the figures of `composition`, whose plies are stored exterior (or top) first;
/// slabs have their interior on top, so for them what lies below a ventilated layer is outside.
/// Empty for a null composition, one without plies, and a ventilatedPly out of range.
[[nodiscard]] SLDB_API std::optional<ThermalFigures> thermalFigures(
    const stocklib::Composition* composition, const ThermalOptions& options = {});

/// missingReason: why a ply listed in ThermalFigures::missing gives no resistance, as UTF-8:
/// "ply 2 (Board) has no thermal conductivity", "ply 0 has no material" or "... has no valid
/// thickness".
SLDB_API std::string missingReason(const PlyThermal& ply);

/// thermalSummary: "R = 3.818 m²K/W, U = 0.262 W/(m²K)" (UTF-8), or "no U-value: " followed by
/// the reason of every missing ply.
SLDB_API std::string thermalSummary(const ThermalFigures& figures);

/// heatFlowName: "horizontal", "upward" or "downward".
SLDB_API const char* heatFlowName(HeatFlow direction);

/// plyRoleName: "layer", "air layer", "ventilated", "outside" or "missing".
SLDB_API const char* plyRoleName(PlyRole role);

}  // namespace sl_db
