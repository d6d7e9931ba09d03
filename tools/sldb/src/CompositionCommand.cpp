// The composition command of the command-line host: a composition's plies with their thermal
// figures and the element's resistance and U-value. It only reads the drawing and its libraries.
#include "CompositionCommand.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "CommandsModule.h"
#include "Session.h"
#include "sl_db/DocumentLibraries.h"
#include "stocklib/Library.h"

namespace sldb {

KcSmartPtr<stocklib::Composition> requireComposition(DrawingSession& drawing,
                                                     const std::string& name) {
  auto composition =
      drawing.libraries().get<stocklib::Composition>(stocklib::NameKey(OdString::fromUtf8(name)));
  if (!composition)
    throw Failure{"no composition named '" + name + "' in the libraries of " + drawing.path()};
  return composition;
}

std::string functionName(stocklib::MaterialFunction function) {
  static const char* const kNames[] = {"None",     "Structure", "Substrate", "Insulation",
                                       "Finish 1", "Finish 2",  "Membrane"};
  return function >= 0 && function < 7 ? kNames[function] : std::to_string(function);
}

std::string compositionTypeName(const stocklib::Composition& composition) {
  if (KcSmartPtr<stocklib::CompositionType> type = composition.composition_type())
    return type->name().toUtf8();
  switch (composition.type()) {
    case stocklib::Composition::kWall:
      return "Wall";
    case stocklib::Composition::kRoof:
      return "Roof";
    case stocklib::Composition::kSlab:
      return "Slab";
    case stocklib::Composition::kGeneric:
      return "Generic";
    default:
      return std::to_string(composition.type());
  }
}

std::string lengthUnit(const stocklib::Composition& composition) {
  std::shared_ptr<stocklib::Library> library = composition.library();
  return library && library->unit() == stocklib::kLibraryUnitInch ? "in" : "mm";
}

namespace {

class CompositionCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  CompositionCommand()
      : DrawingCommand("composition",
                       "list the plies of the composition NAME, exterior (or top) first, with "
                       "their\nthermal figures, then its thermal resistance and U-value") {}
  void options(CLI::App& c) override {
    c.add_option("NAME", m_name, "the composition's name")->required();
    c.add_flag("--json", m_json, "one JSON object, SI units named");
    c.add_option("--heat-flow", m_flow, "the heat flow's direction (default: by the type)")
        ->check(CLI::IsMember({"horizontal", "upward", "downward"}));
    c.add_option("--ventilated", m_ventilated,
                 "the ply (from 0) that is an air layer open to the outside air")
        ->type_name("PLY");
    c.add_option("--openings", m_openings,
                 "its openings in mm2 per m (vertical) or per m2 (horizontal); default 1500")
        ->type_name("MM2")
        ->check(CLI::Range(0.0, 1e9));
  }
  int run(DrawingSession& drawing) override;

 private:
  std::string m_name, m_flow;
  bool m_json = false;
  std::optional<std::size_t> m_ventilated;
  double m_openings = 1500;
};
SLDB_COMMAND(CompositionCommand);

int CompositionCommand::run(DrawingSession& drawing) {
  KcSmartPtr<stocklib::Composition> composition = requireComposition(drawing, m_name);
  sl_db::ThermalOptions options;
  if (m_flow == "horizontal") options.direction = sl_db::HeatFlow::kHorizontal;
  if (m_flow == "upward") options.direction = sl_db::HeatFlow::kUpward;
  if (m_flow == "downward") options.direction = sl_db::HeatFlow::kDownward;
  options.ventilatedPly = m_ventilated;
  options.openings = m_openings;
  if (m_ventilated && *m_ventilated >= composition->plies_size())
    throw Failure{"the composition '" + m_name + "' has no ply " + std::to_string(*m_ventilated) +
                  " (it has " + std::to_string(composition->plies_size()) + ", counted from 0)"};
  std::optional<sl_db::ThermalFigures> figures = sl_db::thermalFigures(composition.get(), options);
  if (!figures) throw Failure{"the composition '" + m_name + "' has no plies"};
  const std::string unit = lengthUnit(*composition);
  auto optionalNumber = [](const std::optional<double>& v) {
    return v ? jsonNumber(*v) : nlohmann::json();
  };

  if (m_json) {
    nlohmann::ordered_json plies = nlohmann::ordered_json::array(), missing = plies;
    for (const sl_db::PlyThermal& p : figures->plies)
      plies.push_back({{"ply", p.index},
                       {"material", p.material.toUtf8()},
                       {"thickness", jsonNumber(p.thickness)},
                       {"function", functionName(p.function)},
                       {"conductivity", optionalNumber(p.conductivity)},
                       {"resistance", optionalNumber(p.resistance)},
                       {"counted_as", sl_db::plyRoleName(p.role)}});
    for (std::size_t index : figures->missing)
      missing.push_back({{"ply", index}, {"reason", sl_db::missingReason(figures->plies[index])}});
    nlohmann::ordered_json json = {{"composition", composition->name().toUtf8()},
                                   {"type", compositionTypeName(*composition)},
                                   {"units",
                                    {{"thickness", unit},
                                     {"conductivity", "W/(m\xC2\xB7K)"},
                                     {"resistance", "m\xC2\xB2\xC2\xB7K/W"},
                                     {"u_value", "W/(m\xC2\xB2\xC2\xB7K)"}}},
                                   {"heat_flow", sl_db::heatFlowName(figures->direction)},
                                   {"plies", plies},
                                   {"rsi", jsonNumber(figures->rsi)},
                                   {"rse", jsonNumber(figures->rse)},
                                   {"total_resistance", optionalNumber(figures->total)},
                                   {"u_value", optionalNumber(figures->uValue)},
                                   {"missing", missing}};
    std::cout << json.dump() << "\n";
    return 0;
  }
  std::cout << composition->name().toUtf8() << " (" << compositionTypeName(*composition)
            << ", heat flow " << sl_db::heatFlowName(figures->direction)
            << "), plies exterior (or top) first, counted from 0\n";
  // The units' two-byte characters take a byte more than they show: their cells are wider.
  std::printf("  %-3s %-28s %10s  %-10s %11s %11s\n", "ply", "material", "thickness", "function",
              "W/(m\xC2\xB7K)", "m\xC2\xB2K/W");
  auto cell = [](const std::optional<double>& v) {
    char text[32];
    if (v) std::snprintf(text, sizeof text, "%.3f", *v);
    return v ? std::string(text) : std::string("-");
  };
  std::fflush(stdout);
  for (const sl_db::PlyThermal& p : figures->plies) {
    const std::string material = p.material.isEmpty() ? "(no material)" : p.material.toUtf8();
    const std::string role = p.role == sl_db::PlyRole::kLayer ? "" : sl_db::plyRoleName(p.role);
    std::printf("  %-3zu %-28s %10s  %-10s %10s %10s%s%s\n", p.index, material.c_str(),
                (number(p.thickness) + " " + unit).c_str(), functionName(p.function).c_str(),
                p.conductivity ? number(*p.conductivity).c_str() : "-", cell(p.resistance).c_str(),
                role.empty() ? "" : "  ", role.c_str());
  }
  std::printf("  Rsi %.2f, Rse %.2f m\xC2\xB2K/W\n  %s\n", figures->rsi, figures->rse,
              sl_db::thermalSummary(*figures).c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

}  // namespace sldb
