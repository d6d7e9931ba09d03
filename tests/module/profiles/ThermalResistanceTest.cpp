// U-values of shipped and hand-built compositions against sums worked out by hand: layers,
// air layers, surfaces by heat flow, ventilated layers and what cannot be counted.
#include "sl_db/ThermalResistance.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "stocklib/Library.h"

using namespace stocklib;
using sl_db::HeatFlow;
using sl_db::PlyRole;

namespace {

KcSmartPtr<Material> material(const wchar_t* name, double lambda, bool gas = false) {
  auto m = Material::create(name);
  if (lambda > 0) {
    auto asset = PhysicalAsset::create(name);
    asset->set_thermal_conductivity(lambda);
    m->set_physical_asset(asset.get());
  }
  if (gas) m->set_type(MaterialType::create(L"Gas").get());
  return m;
}

std::shared_ptr<Library> shipped(const char* name) {
  return LibraryManager::instance().open(
      OdString::fromUtf8(SL_SUPPORT_DIR) + L"/" + OdString::fromUtf8(name), true);
}

}  // namespace

TEST(ThermalResistance, TotalsMatchHandSumsAndNameWhatIsMissing) {
  auto metric = shipped("metric.stocklib"), imperial = shipped("imperial.stocklib");
  ASSERT_TRUE(metric && imperial);
  auto from = [](const std::shared_ptr<Library>& lib, const wchar_t* name) {
    return lib->get<Composition>(NameKey(name));
  };
  // Brick, 40 mm of still air, mineral wool, a board with no conductivity, plaster.
  auto brick = material(L"Brick", 0.81), air = material(L"Air", 0.025, true),
       wool = material(L"Wool", 0.035), board = material(L"Board", 0),
       plaster = material(L"Plaster", 0.4);
  auto built = [&](int type, bool withBoard) {
    auto c = Composition::create(L"Built");
    c->set_type(type);
    c->append_ply(brick.get(), 115);
    c->append_ply(air.get(), 40);
    c->append_ply(wool.get(), 100);
    if (withBoard) c->insert_ply(0, board.get(), 20);
    c->append_ply(plaster.get(), 15);
    return c;
  };
  const double layers = 0.115 / 0.81 + 0.1 / 0.035 + 0.015 / 0.4;
  const double wallStill = 0.13 + layers + 0.18 + 0.04;
  const double wallOpen = 0.13 + 0.1 / 0.035 + 0.015 / 0.4 + 0.13;

  struct Case {
    const char* what;
    KcSmartPtr<Composition> composition;
    sl_db::ThermalOptions options;
    double total;  // 0: no U-value
    std::vector<std::size_t> missing;
    std::vector<PlyRole> roles;
  };
  const PlyRole L = PlyRole::kLayer, A = PlyRole::kAirLayer, V = PlyRole::kVentilated,
                O = PlyRole::kOutside, M = PlyRole::kMissing;
  sl_db::ThermalOptions vent1, slight1, barely1, slabVent, slabUp;
  vent1.ventilatedPly = slight1.ventilatedPly = barely1.ventilatedPly = 1;
  slight1.openings = 1000;
  barely1.openings = 500;
  slabVent.ventilatedPly = 1;
  slabUp.direction = HeatFlow::kUpward;
  const std::vector<Case> cases = {
      {"shipped wall",
       from(metric, L"Concrete wall 250, insulated"),
       {},
       0.13 + 0.010 / 1.0 + 0.120 / 0.034 + 0.250 / 2.3 + 0.04,
       {},
       {L, L, L}},
      {"shipped roof",
       from(metric, L"Flat roof, warm deck"),
       {},
       0.10 + 0.050 / 2.0 + 0.010 / 0.23 + 0.160 / 0.023 + 0.004 / 0.23 + 0.200 / 2.3 + 0.04,
       {},
       {L, L, L, L, L}},
      {"shipped floor",
       from(metric, L"Floor slab, floating screed"),
       {},
       0.17 + 0.010 / 1.3 + 0.060 / 1.4 + 0.0002 / 0.33 + 0.030 / 0.035 + 0.220 / 2.3 + 0.04,
       {},
       {L, L, L, L, L}},
      {"shipped imperial wall",
       from(imperial, L"CMU wall 8 in, brick veneer"),
       {},
       0.13 + 3.625 * 0.0254 / 0.89 + 2 * 0.0254 / 0.0288 + 7.625 * 0.0254 / 1.0 + 0.04,
       {},
       {L, L, L}},
      {"air layer", built(Composition::kWall, false), {}, wallStill, {}, {L, A, L, L}},
      {"well ventilated", built(Composition::kWall, false), vent1, wallOpen, {}, {O, V, L, L}},
      {"slightly ventilated",
       built(Composition::kWall, false),
       slight1,
       (wallStill + wallOpen) / 2,
       {},
       {L, A, L, L}},
      {"openings of an unventilated layer",
       built(Composition::kWall, false),
       barely1,
       wallStill,
       {},
       {L, A, L, L}},
      // 40 mm of air downwards lies between the 25 and 50 mm rows (0.19, 0.21).
      {"slab: the exterior is below",
       built(Composition::kSlab, false),
       slabVent,
       0.17 + 0.115 / 0.81 + 0.17,
       {},
       {L, V, O, O}},
      {"slab, heat flowing up",
       built(Composition::kSlab, false),
       slabUp,
       0.10 + layers + 0.16 + 0.04,
       {},
       {L, A, L, L}},
      {"floor",
       built(Composition::kSlab, false),
       {},
       0.17 + layers + 0.202 + 0.04,
       {},
       {L, A, L, L}},
      {"no conductivity", built(Composition::kWall, true), {}, 0, {0}, {M, L, A, L, L}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.composition);
    std::optional<sl_db::ThermalFigures> f = sl_db::thermalFigures(c.composition.get(), c.options);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->missing, c.missing);
    std::vector<PlyRole> roles;
    for (const sl_db::PlyThermal& p : f->plies)
      roles.push_back(p.role);
    EXPECT_EQ(roles, c.roles);
    if (c.total == 0) {
      EXPECT_FALSE(f->total || f->uValue);
      continue;
    }
    ASSERT_TRUE(f->total && f->uValue);
    EXPECT_NEAR(*f->total, c.total, 1e-9);
    EXPECT_NEAR(*f->uValue, 1 / c.total, 1e-9);
    double sum = f->rsi + f->rse;
    for (const sl_db::PlyThermal& p : f->plies)
      sum += p.resistance.value_or(0);
    if (!c.options.ventilatedPly || c.options.openings >= 1500) {
      EXPECT_NEAR(sum, c.total, 1e-9);  // the listed plies add up to the total
    }
  }
  // A missing ply outside a well-ventilated layer does not count; one out of range is refused.
  sl_db::ThermalOptions vent2;
  vent2.ventilatedPly = 2;
  auto outside = sl_db::thermalFigures(built(Composition::kWall, true).get(), vent2);
  ASSERT_TRUE(outside && outside->uValue);
  EXPECT_EQ(outside->plies[0].role, PlyRole::kOutside);
  vent2.ventilatedPly = 5;
  EXPECT_FALSE(sl_db::thermalFigures(built(Composition::kWall, true).get(), vent2));
  EXPECT_FALSE(sl_db::thermalFigures(Composition::create(L"Empty").get()));
  EXPECT_FALSE(sl_db::thermalFigures(nullptr));
}
