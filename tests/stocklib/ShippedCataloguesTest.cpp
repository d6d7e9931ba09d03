// The shipped libraries against the published tables they were built from (copies in
// data/reference): every row shipped, with its dimensions and within tolerance of its printed
// figures; the derived units' factors and the steel grades.
#include "ReferenceTables.h"
#include "TestSupport.h"
#include "sl_db/SectionProperties.h"

using namespace stocklib;

namespace {

using testsupport::number;
using testsupport::Row;

std::vector<Row> readTable(const char* file) {
  return testsupport::readTable(SL_REFERENCE_DIR, file);
}

/// The numbers of a designation, fractions included: "L3-1/2X3X5/16" gives 3.5, 3, 0.3125.
std::vector<double> numbersOf(const std::string& designation) {
  auto fraction = [](const std::string& text) {
    const std::size_t slash = text.find('/');
    return slash == std::string::npos
               ? std::stod(text)
               : std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
  };
  std::vector<double> out;
  std::stringstream parts(designation);
  for (std::string part;
       std::getline(parts, part, designation.find('X') != std::string::npos ? 'X' : 'x');) {
    std::size_t start = part.find_first_of("0123456789."), dash = part.find('-', start);
    if (start == std::string::npos) return {};
    out.push_back(dash == std::string::npos ? fraction(part.substr(start))
                                            : std::stod(part.substr(start, dash - start)) +
                                                  fraction(part.substr(dash + 1)));
  }
  return out;
}

// Tables print 5/16 as .313: sizes match to a thousandth.
bool sameNumbers(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) {
           return std::fabs(x - y) <= 1e-3;
         });
}

using Dimensions = std::vector<std::pair<std::string, double>>;
using Props = const sl_db::SectionProperties&;
/// Figure: a computed figure from the properties and the profile's height.
using Figure = double (*)(Props, double height);

/// Published: a profile's row, the dimensions it gives and the figures to check against it
/// (column, the computed figure in the table's unit, whether the column is a centroid distance).
/// A tube's table weighs its nominal wall (`nominalWall`, 0 for other shapes), not the design one.
struct Published {
  const Row* row = nullptr;
  Dimensions dims;
  std::vector<std::tuple<const char*, Figure, bool>> figures;
  double nominalWall = 0;
};

// The EN tables' figures are checked against their own dimensions with the section
// properties' tests: a shipped profile of those dimensions has them too. AISC's are checked here,
// as the shipped dimensions are derived from what the table prints. Steel of 490 lb/ft3 over a
// section in square inches weighs 490 / 144 lb per foot.
const std::tuple<const char*, Figure, bool> kUsWeight = {
    "W_lb_ft", [](Props s, double) { return s.area * 490 / 144; }, false};

/// The published tables and how each shipped family reads its row from them: the EN families as
/// data/shipped_en_dimensions.txt lists them, AISC's here.
class Tables {
 public:
  Tables() : m_en(sltest::dataRows("shipped_en_dimensions.txt", 4)) {
    for (const auto& family : m_en)
      m_tables.emplace(family[2], readTable(family[2].c_str()));
    m_tables["aisc_dimensions.csv"] = readTable("aisc_dimensions.csv");
  }

  bool loaded() const {
    return std::none_of(m_tables.begin(), m_tables.end(),
                        [](const auto& table) { return table.second.empty(); });
  }

  /// all: every table by its file name.
  const std::map<std::string, std::vector<Row>>& all() const { return m_tables; }

  /// expected: the row of this profile, the dimensions it gives and its figures; false (with
  /// `why`) when no row of the tables is this profile.
  bool expected(const std::string& standard, const std::string& name, const std::string& size,
                Published& out, std::string& why) const {
    const std::vector<double> sizeNumbers = numbersOf(size);
    if (standard == "AISC") return expectedAisc(name, size, sizeNumbers, out, why);
    auto family = std::find_if(m_en.begin(), m_en.end(), [&](const auto& f) {
      return f[0] == standard && (f[1] == name || f[1] == "*");
    });
    if (family == m_en.end()) {
      why = "no published table for the standard";
      return false;
    }
    // The row's cells that name a profile, those the table has, are this one's.
    out.row = find(table(family->at(2).c_str()), [&](const Row& row) {
      auto is = [&](const char* column, const std::string& value) {
        return !row.count(column) || row.at(column) == value;
      };
      return is("standard", standard) && is("shape", name) && is("name", name) &&
             is("size", size) &&
             (!row.count("designation") ||
              sameNumbers(numbersOf(row.at("designation")), sizeNumbers));
    });
    if (!out.row) return missing(why);
    const Row& r = *out.row;
    for (auto cell = family->begin() + 3; cell != family->end(); ++cell) {
      const std::size_t space = cell->find(' ');
      const std::string from = cell->substr(space + 1);
      out.dims.push_back(
          {cell->substr(0, space), r.count(from) ? number(r, from) : std::stod(from)});
    }
    if (name == "UPN") out.dims.push_back({"flange_slope", number(r, "h_mm") <= 300 ? 0.08 : 0.05});
    if (!r.count("b_or_d_mm") || name == "CHS") return true;
    // Corner radii (inner, outer): hot finished 1 t and 1.5 t; cold formed by thickness.
    const bool hot = standard == "EN 10210-2";
    const double t = number(r, "t_mm"), inner = hot || t <= 6 ? t : t <= 10 ? 1.5 * t : 2 * t;
    out.dims.push_back({"inner_radius", inner});
    out.dims.push_back({"outer_radius", hot ? 1.5 * t : inner + t});
    return true;
  }

 private:
  template <class Match>
  static const Row* find(const std::vector<Row>& rows, Match match) {
    for (const Row& row : rows)
      if (match(row)) return &row;
    return nullptr;
  }
  static bool missing(std::string& why) {
    why = "no row of that size in the published table";
    return false;
  }

  bool expectedAisc(const std::string& name, const std::string& size,
                    const std::vector<double>& sizeNumbers, Published& out,
                    std::string& why) const {
    if (name == "Pipe") {
      if (!expectedPipe(size, out)) return missing(why);
      out.dims = {{"diameter", number(*out.row, "OD_in")},
                  {"wall_thickness", number(*out.row, "tdes_in")}};
      out.figures = {kUsWeight};
      out.nominalWall = number(*out.row, "tnom_in");
      return true;
    }
    const std::string type = name == "HSS round" ? "HSS" : name;
    out.row = find(table("aisc_dimensions.csv"), [&](const Row& row) {
      if (row.at("type") != type || row.at("OD_in").empty() != (name != "HSS round")) return false;
      std::vector<double> designated = numbersOf(row.at("designation"));
      if (type == "HSS") designated.back() = number(row, "tnom_in");  // once misprinted there
      return sameNumbers(designated, sizeNumbers);
    });
    if (!out.row) return missing(why);
    const Row& r = *out.row;
    const double d = number(r, "d_in"), bf = number(r, "bf_in"), tw = number(r, "tw_in"),
                 tf = number(r, "tf_in"), kdes = number(r, "kdes_in");
    out.figures = {kUsWeight};
    if (name == "W" || name == "M" || name == "S" || name == "HP" || name == "WT") {
      // AISC's mean thickness of a tapered flange is the one at the middle of its outstand, the
      // store's a quarter of the width from the tip; the fillet ends kdes from the flange's face.
      const double slope = name == "S" ? 1.0 / 6 : 0.0, mean = tf + slope * tw / 4;
      out.dims = {{"height", d},
                  {"width", bf},
                  {"web_thickness", tw},
                  {"flange_thickness", mean},
                  {"fillet_radius", kdes - (mean + slope * (bf / 4 - tw / 2))}};
      if (name != "WT") out.dims.push_back({"flange_slope", slope});
      // A tee's centroid is measured from the flange's face.
      if (name == "WT")
        out.figures.push_back({"y_in", [](Props s, double h) { return h - s.centroidZ; }, true});
    } else if (name == "C" || name == "MC") {
      // As for S, but the store's mean is at half the width from the web's back. MC slopes are
      // not printed (they are derived from the centroid the table prints): any will do here.
      const double slope = name == "C" ? 1.0 / 6 : NAN, mean = tf + slope * tw / 2;
      out.dims = {{"height", d}, {"width", bf}, {"web_thickness", tw}};
      if (name == "C") {
        out.dims.push_back({"flange_thickness", mean});
        out.dims.push_back({"flange_slope", slope});
        out.dims.push_back({"fillet_radius", kdes - (mean + slope * (bf / 2 - tw))});
      }
      out.figures.push_back({"x_in", [](Props s, double) { return s.centroidY; }, true});
    } else if (name == "L") {
      // The tables round the thickness (1-3/8 prints as 1.38); the designation is exact. Their
      // b is the long leg, d the short one.
      if (std::fabs(number(r, "t_in") - sizeNumbers[2]) > 0.006) return missing(why);
      const double t = sizeNumbers[2];
      out.dims = {{"height", number(r, "b_in")},
                  {"width", d},
                  {"thickness", t},
                  {"root_radius", kdes - t},
                  {"toe_radius", (kdes - t) / 2}};
      out.figures.push_back({"y_in", [](Props s, double) { return s.centroidZ; }, true});
      out.figures.push_back({"x_in", [](Props s, double) { return s.centroidY; }, true});
    } else if (name == "HSS") {
      double t = number(r, "tdes_in");
      out.dims = {{"height", number(r, "Ht_in")},
                  {"width", number(r, "B_in")},
                  {"wall_thickness", t},
                  {"inner_radius", t},
                  {"outer_radius", 2 * t}};
      out.nominalWall = number(r, "tnom_in");
    } else if (name == "HSS round") {
      // The outside diameter prints to three figures (10.8): the designation is exact.
      out.dims = {{"diameter", sizeNumbers[0]}, {"wall_thickness", number(r, "tdes_in")}};
      out.nominalWall = number(r, "tnom_in");
    } else {
      why = "no published table for the family";
      return false;
    }
    return true;
  }

  // "10 STD": up to 10 in the tables call STD schedule 40 and XS schedule 80; from 12 in on STD
  // is the 0.375 in wall and XS the 0.500 in wall, under whatever schedule the row is named;
  // other walls go by their own name (XXS, SCH120).
  bool expectedPipe(const std::string& size, Published& out) const {
    std::size_t space = size.find(' ');
    if (space == std::string::npos) return false;
    const std::string nominal = size.substr(0, space), weight = size.substr(space + 1);
    const double n = numbersOf(nominal).at(0);
    out.row = find(table("aisc_dimensions.csv"), [&](const Row& row) {
      const std::string& designation = row.at("designation");
      if (row.at("type") != "PIPE" || designation.rfind("Pipe" + nominal, 0) != 0) return false;
      const std::string schedule = designation.substr(4 + nominal.size());
      if (schedule.empty() || !std::isalpha(static_cast<unsigned char>(schedule[0])))
        return false;  // "Pipe1" must not take the rows of "Pipe1-1/2"
      if (schedule == weight) return true;
      if (weight != "STD" && weight != "XS") return false;
      if (n <= 10) return schedule == (weight == "STD" ? "SCH40" : "SCH80");
      return number(row, "tnom_in") == (weight == "STD" ? 0.375 : 0.5);
    });
    return out.row != nullptr;
  }

  const std::vector<Row>& table(const char* file) const { return m_tables.at(file); }

  std::vector<std::vector<std::string>> m_en;
  std::map<std::string, std::vector<Row>> m_tables;
};

/// Tolerances: the rows whose published figures part from their own dimensions, from
/// data/reference/tolerances.csv: profile and figure to the tolerance, a fraction of the figure
/// or mm for a centroid. A profile ending in "*" covers every label it begins; a figure "*",
/// every figure of the tolerance's kind.
class Tolerances {
 public:
  Tolerances() {
    for (const Row& row : readTable("tolerances.csv")) {
      const std::string& text = row.at("tolerance");
      const double value = std::stod(text);
      const bool mm = text.find("mm") != std::string::npos;
      m_rows[{row.at("profile"), row.at("figure")}] = {mm ? value : value / 100, mm};
    }
  }
  bool empty() const { return m_rows.empty(); }
  /// of: the listed tolerance of `label`'s `figure`, the exact label before the longest prefix;
  /// `otherwise` when none is listed.
  double of(const std::string& label, const std::string& figure, bool centroid,
            double otherwise) const {
    std::size_t best = 0;
    double out = otherwise;
    for (const auto& [key, entry] : m_rows) {
      const auto& [value, mm] = entry;
      const std::string& profile = key.first;
      if (mm != centroid || (key.second != figure && key.second != "*")) continue;
      const bool prefix = !profile.empty() && profile.back() == '*';
      const std::size_t length = prefix ? profile.size() - 1 : std::string::npos;
      if (prefix ? label.compare(0, length, profile, 0, length) != 0 : profile != label) continue;
      if (length >= best) best = length, out = value;
    }
    return out;
  }

 private:
  std::map<std::pair<std::string, std::string>, std::pair<double, bool>> m_rows;
};

/// A figure's allowance: `tolerance` of the printed `text`, or `tolerance` mm for a centroid,
/// widened by the rounding of what the table prints.
double allowance(const std::string& text, bool centroid, double tolerance, bool inch) {
  if (!centroid) return testsupport::printedTolerance(text, tolerance);
  const std::size_t dot = text.find('.');
  const double printed =
      dot == std::string::npos ? 1.0 : std::pow(10.0, -double(text.size() - dot - 1));
  return tolerance / (inch ? 25.4 : 10) + printed / 2;
}

/// nominal: a tube as `shape` with the wall `wall` and its corner radii scaled alike.
KcSmartPtr<ParametrizedProfile> nominal(const ParametrizedProfile& shape, double wall) {
  KcSmartPtr<ParametrizedProfile> out;
  if (shape.dimension_index(L"diameter") < 0)
    out = RectangleHollowProfile::create(nullptr, OdString(L"nominal"));
  else
    out = CircleHollowProfile::create(nullptr, OdString(L"nominal"));
  const double design = shape.dimension(shape.dimension_index(L"wall_thickness"));
  for (std::size_t i = 0; i < shape.dimension_count(); ++i) {
    const OdString name = shape.dimension_name(i);
    const bool scaled = name == L"wall_thickness" || name.find(L"radius") >= 0;
    EXPECT_TRUE(out->set_dimension(i, shape.dimension(i) * (scaled ? wall / design : 1)));
  }
  return out;
}

class ShippedCatalogues : public sltest::TempDir {
 protected:
  static std::shared_ptr<Library> shipped(const char* name) {
    return LibraryManager::instance().open(
        OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/" + name), true);
  }
};

}  // namespace

TEST_F(ShippedCatalogues, EveryPublishedRowIsShippedWithItsDimensionsAndFigures) {
  const Tables tables;
  ASSERT_TRUE(tables.loaded()) << "reference tables in " << SL_REFERENCE_DIR;
  const Tolerances tolerances;
  ASSERT_FALSE(tolerances.empty());
  std::map<const Row*, std::string> shippedAs;
  for (const char* file : {"metric.stocklib", "imperial.stocklib"}) {
    SCOPED_TRACE(file);
    const bool inch = std::string(file) == "imperial.stocklib";
    auto lib = shipped(file);
    ASSERT_TRUE(lib);
    std::vector<KcSmartPtr<ParametrizedProfile>> profiles;
    ASSERT_GT(lib->get(profiles), 0u);
    EXPECT_EQ(sltest::count<Profile>(lib), profiles.size())
        << "every shipped profile is of a shape";
    for (const auto& shape : profiles) {
      auto pname = shape->name();
      ASSERT_TRUE(pname);
      const std::string standard = pname->standard() ? pname->standard()->name().toUtf8() : "",
                        name = pname->name().toUtf8(), size = shape->size().toUtf8();
      const std::string label = standard + " " + name + " " + size;
      if (standard == "user defined") continue;  // sizes of our own choosing
      Published want;
      std::string why;
      if (!tables.expected(standard, name, size, want, why)) {
        ADD_FAILURE() << label << ": " << why;
        continue;
      }
      if (!shippedAs.emplace(want.row, label).second)
        ADD_FAILURE() << label << " is the row of " << shippedAs[want.row] << " again";
      for (const auto& [dimension, value] : want.dims) {
        int index = shape->dimension_index(OdString::fromUtf8(dimension));
        ASSERT_GE(index, 0) << label << " has no " << dimension;
        EXPECT_NEAR(shape->dimension(static_cast<std::size_t>(index)), value, 1e-6)
            << label << " " << dimension;
      }
      OdString reason;
      auto s = sl_db::sectionProperties(shape.get(), &reason);
      if (s && want.nominalWall > 0)
        s = sl_db::sectionProperties(nominal(*shape, want.nominalWall).get(), &reason);
      if (!s) {
        ADD_FAILURE() << label << ": no section properties, " << reason.toUtf8();
        continue;
      }
      // 0 for a shape without a height: the dimension of no index.
      const double height =
          shape->dimension(static_cast<std::size_t>(shape->dimension_index(L"height")));
      for (const auto& [column, figure, centroid] : want.figures) {
        auto cell = want.row->find(column);
        ASSERT_NE(cell, want.row->end()) << label << " " << column;
        const std::string& text = cell->second;
        if (text.empty()) continue;
        const double tolerance = tolerances.of(label, column, centroid, centroid ? 0.5 : 0.005);
        EXPECT_NEAR(figure(*s, height), std::stod(text), allowance(text, centroid, tolerance, inch))
            << label << " " << column;
      }
    }
  }
  // And every row of every table is one of them.
  for (const auto& [table, rows] : tables.all())
    for (const Row& row : rows)
      if (!shippedAs.count(&row))
        ADD_FAILURE() << table << ": "
                      << (row.count("designation") ? row.at("designation")
                                                   : row.at("name") + " " + row.at("size"))
                      << " is not shipped";
}

TEST_F(ShippedCatalogues, DerivedUnitsAreTheQuotientsOfTheirParts) {
  auto units = library("units.stocklib");
  sltest::importXml(*units, std::string(SL_SUPPORT_DIR) + "/stocklib_units.xml");
  auto unit = [&](const std::string& symbol) {
    return units->get<Unit>(NameKey(OdString::fromUtf8(symbol)));
  };
  auto factor = [&](const std::string& symbol) {
    return unit(symbol) ? unit(symbol)->factor() : NAN;
  };
  for (const auto& row : sltest::dataRows("derived_units.txt", 4)) {
    SCOPED_TRACE(row[0]);
    auto derived = unit(row[0]);
    ASSERT_TRUE(derived && derived->measure());
    const double expected = factor(row[2]) / factor(row[3]);
    EXPECT_NEAR(derived->factor(), expected, expected * 1e-14);  // NAN when a part is missing
    EXPECT_EQ(derived->measure()->name().toUtf8(), row[1]);
  }
  EXPECT_DOUBLE_EQ(factor("lb"), 0.45359237);
  EXPECT_FALSE(unit("lbs"));
}

// Every shipped material, and nothing else, has a row of materials.csv, and its density, thermal
// conductivity and specific heat are that row's: equal, or within a range `low..high`; an empty
// cell is a value the material must not have. Every shipped composition runs from its exterior
// (or top) face: an interior lining (finish 2) never comes first nor an exterior finish (finish 1)
// last, but for a composition the same on both faces. Its core holds the structural ply, which is
// of structure and not an insulation, and a variable ply is of a material that may vary in
// thickness.
TEST_F(ShippedCatalogues, MaterialsHaveTheFiguresOfTheirStandardAndCompositionsRunFromTheExterior) {
  const std::vector<Row> table = readTable("materials.csv");
  ASSERT_FALSE(table.empty()) << "materials.csv in " << SL_REFERENCE_DIR;
  auto agrees = [](const std::string& cell, bool has, double value) {
    if (cell.empty() || !has) return cell.empty() && !has;
    std::size_t dots = cell.find("..");
    if (dots == std::string::npos) return std::fabs(value - std::stod(cell)) <= 1e-9 * value;
    return std::stod(cell.substr(0, dots)) <= value && value <= std::stod(cell.substr(dots + 2));
  };
  for (const char* market : {"metric", "imperial"}) {
    SCOPED_TRACE(market);
    auto lib = shipped((std::string(market) + ".stocklib").c_str());
    ASSERT_TRUE(lib);
    std::vector<KcSmartPtr<Material>> materials;
    EXPECT_EQ(lib->get(materials),
              std::size_t(std::count_if(table.begin(), table.end(),
                                        [&](auto& r) { return r.at("library") == market; })));
    for (const auto& m : materials) {
      SCOPED_TRACE(m->name().toUtf8());
      auto row = std::find_if(table.begin(), table.end(), [&](const Row& r) {
        return r.at("library") == market && r.at("name") == m->name().toUtf8();
      });
      ASSERT_NE(row, table.end());
      auto cell = [&](const char* column) { return row->count(column) ? row->at(column) : ""; };
      auto p = m->physical_asset();
      EXPECT_TRUE(agrees(cell("density_kg_m3"), p && p->has_density(), p ? p->density() : 0));
      EXPECT_TRUE(agrees(cell("lambda_W_mK"), p && p->has_thermal_conductivity(),
                         p ? p->thermal_conductivity() : 0));
      EXPECT_TRUE(
          agrees(cell("cp_J_kgK"), p && p->has_specific_heat(), p ? p->specific_heat() : 0));
    }
    std::vector<KcSmartPtr<Composition>> compositions;
    lib->get(compositions);
    EXPECT_GE(compositions.size(), 5u);
    for (const auto& c : compositions) {
      SCOPED_TRACE(c->name().toUtf8());
      std::size_t n = c->plies_size();
      ASSERT_GT(n, 0u);
      auto first = c->ply(0), last = c->ply(n - 1);
      bool symmetric = first->material()->name() == last->material()->name() &&
                       first->function() == last->function();
      EXPECT_TRUE(symmetric ||
                  (first->function() != kFunctionFinish2 && last->function() != kFunctionFinish1));
      EXPECT_LE(c->first_core_ply(), c->structural_ply());
      EXPECT_LE(c->structural_ply(), c->last_core_ply());
      ASSERT_LT(c->last_core_ply(), n);
      auto structural = c->ply(c->structural_ply());
      EXPECT_EQ(structural->function(), kFunctionStructure);
      ASSERT_TRUE(structural->material() && structural->material()->bim_asset());
      EXPECT_NE(structural->material()->bim_asset()->default_function(), kFunctionInsulation);
      if (c->has_variable_ply()) {
        ASSERT_LT(c->variable_ply(), n);
        auto variable = c->ply(c->variable_ply())->material();
        ASSERT_TRUE(variable && variable->bim_asset());
        EXPECT_TRUE(variable->bim_asset()->variable_thickness());
      }
    }
    if (std::string(market) != "imperial") continue;
    // The insulating glass unit is its lites and its air space, not a material of averages.
    EXPECT_FALSE(lib->get<Material>(NameKey(L"Insulating glass unit")));
    auto unit = lib->get<Composition>(NameKey(L"Insulating glass unit"));
    ASSERT_TRUE(unit);
    std::vector<OdString> plies;
    for (const auto& p : unit->plies())
      plies.push_back(p->material()->name());
    EXPECT_EQ(plies, (std::vector<OdString>{L"Float glass", L"Air", L"Float glass"}));
  }
}
