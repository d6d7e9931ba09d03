// U-values of shipped and hand-built compositions against sums worked out by hand: layers,
// air layers, surfaces by heat flow, ventilated layers and what cannot be counted.
#include "sl_db/ThermalResistance.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ProfileTestSupport.h"
#include "stocklib/Library.h"

using namespace stocklib;
using sl_db::HeatFlow;
using sl_db::PlyRole;
using sltest::material;

TEST(ThermalResistance, TotalsMatchHandSumsAndNameWhatIsMissing) {
  std::vector<std::shared_ptr<Library>> shipped;
  auto from = [&](const char* file, const wchar_t* name) {
    shipped.push_back(LibraryManager::instance().open(
        OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/" + file), true));
    return shipped.back() ? shipped.back()->get<Composition>(NameKey(name)) : nullptr;
  };
  // Brick, 40 mm of still air, mineral wool, a board with no conductivity, plaster.
  auto brick = material(L"Brick", 0.81), air = material(L"Air", 0.025, L"Gas"),
       wool = material(L"Wool", 0.035), board = material(L"Board", 0),
       plaster = material(L"Plaster", 0.4);
  auto built = [&](int type, bool withBoard) {
    auto c = Composition::create(L"Built");
    c->set_type(type);
    const std::pair<KcSmartPtr<Material>, double> plies[] = {
        {brick, 115}, {air, 40}, {wool, 100}, {plaster, 15}};
    for (const auto& [m, mm] : plies)
      c->append_ply(m.get(), mm);
    if (withBoard) c->insert_ply(0, board.get(), 20);
    return c;
  };
  const double layers = 0.115 / 0.81 + 0.1 / 0.035 + 0.015 / 0.4,
               wallStill = 0.13 + layers + 0.18 + 0.04,
               wallOpen = 0.13 + 0.1 / 0.035 + 0.015 / 0.4 + 0.13;

  using Options = sl_db::ThermalOptions;  // direction, ventilated ply, its openings
  const PlyRole L = PlyRole::kLayer, A = PlyRole::kAirLayer, V = PlyRole::kVentilated,
                O = PlyRole::kOutside, M = PlyRole::kMissing;
  auto wall = built(Composition::kWall, false), slab = built(Composition::kSlab, false);
  // The shipped roof lets heat flow upward; the imperial wall's plies are given in inches.
  const double shippedRoof = 0.10 + 0.050 / 2.0 + 0.010 / 0.23 + 0.160 / 0.023 + 0.004 / 0.23 +
                             0.200 / 2.3 + 0.04,
               shippedImperial = 0.13 + 0.0254 * (3.625 / 0.89 + 2 / 0.0288 + 7.625 / 1.0) + 0.04;
  auto roof = from("metric.stocklib", L"Flat roof, warm deck"),
       cmu = from("imperial.stocklib", L"CMU wall 8 in, brick veneer");
  struct Case {
    const char* what;
    KcSmartPtr<Composition> composition;
    sl_db::ThermalOptions options;
    double total;  // 0: no U-value, the plies marked M named as missing
    std::vector<PlyRole> roles;
  };
  const std::vector<Case> cases = {
      {"shipped roof", roof, {}, shippedRoof, {L, L, L, L, L}},
      {"inches", cmu, {}, shippedImperial, {L, L, L}},
      {"air layer", wall, {}, wallStill, {L, A, L, L}},
      {"well ventilated", wall, Options{{}, 1}, wallOpen, {O, V, L, L}},
      {"slightly ventilated", wall, Options{{}, 1, 1000}, (wallStill + wallOpen) / 2, {L, A, L, L}},
      {"slab: the exterior below", slab, Options{{}, 1}, 0.17 + 0.115 / 0.81 + 0.17, {L, V, O, O}},
      {"up", slab, Options{HeatFlow::kUpward, {}, 0}, 0.10 + layers + 0.16 + 0.04, {L, A, L, L}},
      // 40 mm of air downwards lies between the 25 and 50 mm rows (0.19, 0.21).
      {"air, downwards", slab, {}, 0.17 + layers + 0.202 + 0.04, {L, A, L, L}},
      {"no conductivity", built(Composition::kWall, true), {}, 0, {M, L, A, L, L}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.composition);
    std::optional<sl_db::ThermalFigures> f = sl_db::thermalFigures(c.composition.get(), c.options);
    ASSERT_TRUE(f);
    std::vector<PlyRole> roles;
    std::vector<std::size_t> missing;
    double sum = f->rsi + f->rse;
    for (const sl_db::PlyThermal& p : f->plies) {
      roles.push_back(p.role);
      if (p.role == M) missing.push_back(p.index);
      sum += p.resistance.value_or(0);
    }
    EXPECT_EQ(roles, c.roles);
    EXPECT_EQ(f->missing, missing);
    EXPECT_NEAR(f->total.value_or(0), c.total, 1e-9);
    EXPECT_NEAR(f->uValue.value_or(0), c.total ? 1 / c.total : 0, 1e-9);
    if (c.total && (!c.options.ventilatedPly || c.options.openings >= 1500)) {
      EXPECT_NEAR(sum, c.total, 1e-9);  // the listed plies add up to the total
    }
  }
  // A missing ply outside a well-ventilated layer does not count; one out of range is refused.
  auto boarded = built(Composition::kWall, true);
  auto outside = sl_db::thermalFigures(boarded.get(), Options{{}, 2});
  ASSERT_TRUE(outside && outside->uValue);
  EXPECT_EQ(outside->plies[0].role, PlyRole::kOutside);
  EXPECT_FALSE(sl_db::thermalFigures(boarded.get(), Options{{}, 5}));
  EXPECT_FALSE(sl_db::thermalFigures(Composition::create(L"Empty").get()) ||
               sl_db::thermalFigures(nullptr));
}
