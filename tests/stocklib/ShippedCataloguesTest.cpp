// The shipped libraries against the published tables they were built from (copies in
// data/reference): every profile's dimensions, the derived units' factors and the steel grades.
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "TestSupport.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

using namespace stocklib;

namespace {

using Row = std::map<std::string, std::string>;

/// A published table: one map from column name to text per row; empty when the file is missing.
std::vector<Row> readTable(const char* file) {
  std::ifstream in(std::string(SL_REFERENCE_DIR) + "/" + file);
  std::vector<Row> rows;
  std::string line;
  std::vector<std::string> header;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream cellsOf(line);
    for (std::string cell; std::getline(cellsOf, cell, ',');)
      cells.push_back(cell);
    if (header.empty()) {
      header = cells;
      continue;
    }
    Row row;
    for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i)
      row[header[i]] = cells[i];
    rows.push_back(row);
  }
  return rows;
}

double number(const Row& row, const std::string& column) {
  auto it = row.find(column);
  return it == row.end() || it->second.empty() ? NAN : std::stod(it->second);
}

/// The numbers of a designation, fractions included: "L3-1/2X3X5/16" gives 3.5, 3, 0.3125.
std::vector<double> numbersOf(const std::string& designation) {
  std::vector<double> out;
  std::stringstream parts(designation);
  for (std::string part;
       std::getline(parts, part, designation.find('X') != std::string::npos ? 'X' : 'x');) {
    std::size_t start = part.find_first_of("0123456789.");
    if (start == std::string::npos) return {};
    part = part.substr(start);
    double whole = 0;
    std::size_t dash = part.find('-'), slash = part.find('/');
    if (dash != std::string::npos) {
      whole = std::stod(part.substr(0, dash));
      part = part.substr(dash + 1);
      slash = part.find('/');
    }
    double value = slash == std::string::npos
                       ? std::stod(part)
                       : std::stod(part.substr(0, slash)) / std::stod(part.substr(slash + 1));
    out.push_back(whole + value);
  }
  return out;
}

// Tables print 5/16 as .313: sizes match to half a thousandth.
bool sameNumbers(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::fabs(a[i] - b[i]) > 5e-4) return false;
  return true;
}

using Dimensions = std::vector<std::pair<const char*, double>>;

/// The published tables and how each shipped family reads its row from them.
class Tables {
 public:
  Tables()
      : m_i(readTable("en_i_sections.csv")),
        m_channels(readTable("en_channels.csv")),
        m_angles(readTable("en_angles.csv")),
        m_hollow(readTable("en_hollow_sections.csv")),
        m_aisc(readTable("aisc_dimensions.csv")) {}

  bool loaded() const {
    return !m_i.empty() && !m_channels.empty() && !m_angles.empty() && !m_hollow.empty() &&
           !m_aisc.empty();
  }

  /// expected: the dimensions the published row of this profile gives; false (with `why`) when
  /// no row of the tables is this profile.
  bool expected(const std::string& standard, const std::string& name, const std::string& size,
                Dimensions& out, std::string& why) const {
    const std::vector<double> sizeNumbers = numbersOf(size);
    if (standard == "EN 10365") {
      bool channel = name == "UPN" || name == "UPE";
      const Row* r = find(channel ? m_channels : m_i, [&](const Row& row) {
        return row.at("name") == name && row.at("size") == size;
      });
      if (!r) return missing(why);
      out = {{"height", number(*r, "h_mm")},
             {"width", number(*r, "b_mm")},
             {"web_thickness", number(*r, "tw_mm")},
             {"flange_thickness", number(*r, "tf_mm")},
             {"fillet_radius", number(*r, channel ? "r1_mm" : "r_mm")}};
      if (channel) out.push_back({"flange_slope", name == "UPN" ? 0.08 : 0.0});
      return true;
    }
    if (standard == "EN 10056-1") {
      const Row* r = find(m_angles, [&](const Row& row) {
        return sameNumbers(numbersOf(row.at("designation")), sizeNumbers);
      });
      if (!r) return missing(why);
      out = {{"height", number(*r, "h_mm")},
             {"width", number(*r, "b_mm")},
             {"thickness", number(*r, "t_mm")},
             {"root_radius", number(*r, "r1_mm")},
             {"toe_radius", number(*r, "r2_mm")}};
      return true;
    }
    if (standard == "EN 10210-2" || standard == "EN 10219-2") {
      const Row* r = find(m_hollow, [&](const Row& row) {
        return row.at("standard") == standard && row.at("shape") == name &&
               sameNumbers(numbersOf(row.at("designation")), sizeNumbers);
      });
      if (!r) return missing(why);
      double t = number(*r, "t_mm");
      if (name == "CHS") {
        out = {{"diameter", number(*r, "h_or_d_mm")}, {"wall_thickness", t}};
        return true;
      }
      // Corner radii (inner, outer): hot finished 1 t and 1.5 t; cold formed by thickness.
      double inner = t, outer = 1.5 * t;
      if (standard == "EN 10219-2") {
        inner = t <= 6 ? t : t <= 10 ? 1.5 * t : 2 * t;
        outer = t <= 6 ? 2 * t : t <= 10 ? 2.5 * t : 3 * t;
      }
      out = {{"height", number(*r, "h_or_d_mm")},
             {"width", number(*r, "b_or_d_mm")},
             {"wall_thickness", t},
             {"inner_radius", inner},
             {"outer_radius", outer}};
      return true;
    }
    if (standard == "AISC") return expectedAisc(name, size, sizeNumbers, out, why);
    why = "no published table for the standard";
    return false;
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
                    const std::vector<double>& sizeNumbers, Dimensions& out,
                    std::string& why) const {
    if (name == "Pipe") return expectedPipe(size, out, why);
    const std::string type = name == "HSS round" ? "HSS" : name;
    const Row* r = find(m_aisc, [&](const Row& row) {
      return row.at("type") == type && sameNumbers(numbersOf(row.at("designation")), sizeNumbers);
    });
    if (!r) return missing(why);
    const double d = number(*r, "d_in"), bf = number(*r, "bf_in"), tw = number(*r, "tw_in"),
                 tf = number(*r, "tf_in"), fillet = number(*r, "kdes_in") - tf;
    if (name == "W" || name == "S" || name == "HP" || name == "WT") {
      out = {{"height", d},
             {"width", bf},
             {"web_thickness", tw},
             {"flange_thickness", tf},
             {"fillet_radius", fillet}};
    } else if (name == "C" || name == "MC") {
      out = {{"height", d}, {"width", bf}, {"web_thickness", tw}, {"flange_thickness", tf}};
    } else if (name == "L") {
      // The tables round the thickness (1-3/8 prints as 1.38); the designation is exact. Their
      // b is the long leg, d the short one.
      if (std::fabs(number(*r, "t_in") - sizeNumbers[2]) > 0.006) return missing(why);
      out = {{"height", number(*r, "b_in")}, {"width", d}, {"thickness", sizeNumbers[2]}};
    } else if (name == "HSS") {
      double t = number(*r, "tdes_in");
      out = {{"height", number(*r, "Ht_in")},
             {"width", number(*r, "B_in")},
             {"wall_thickness", t},
             {"inner_radius", t},
             {"outer_radius", 2 * t}};
    } else if (name == "HSS round") {
      // The outside diameter prints to three figures (10.8): the designation is exact.
      if (std::fabs(number(*r, "OD_in") - sizeNumbers[0]) > 0.051) return missing(why);
      out = {{"diameter", sizeNumbers[0]}, {"wall_thickness", number(*r, "tdes_in")}};
    } else {
      why = "no published table for the family";
      return false;
    }
    return true;
  }

  // "10 STD": up to 10 in the tables call STD schedule 40 and XS schedule 80; from 12 in on STD
  // is the 0.375 in wall and XS the 0.500 in wall, under whatever schedule the row is named.
  bool expectedPipe(const std::string& size, Dimensions& out, std::string& why) const {
    std::size_t space = size.find(' ');
    if (space == std::string::npos) return missing(why);
    const std::string nominal = size.substr(0, space), weight = size.substr(space + 1);
    const double n = numbersOf(nominal).at(0);
    const Row* r = find(m_aisc, [&](const Row& row) {
      const std::string& designation = row.at("designation");
      if (row.at("type") != "PIPE" || designation.rfind("Pipe" + nominal, 0) != 0) return false;
      const std::string schedule = designation.substr(4 + nominal.size());
      if (schedule.empty() || !std::isalpha(static_cast<unsigned char>(schedule[0])))
        return false;  // "Pipe1" must not take the rows of "Pipe1-1/2"
      if (schedule == weight) return true;
      if (n <= 10) return schedule == (weight == "STD" ? "SCH40" : "SCH80");
      return number(row, "tnom_in") == (weight == "STD" ? 0.375 : 0.5);
    });
    if (!r) return missing(why);
    out = {{"diameter", number(*r, "OD_in")}, {"wall_thickness", number(*r, "tdes_in")}};
    return true;
  }

  std::vector<Row> m_i, m_channels, m_angles, m_hollow, m_aisc;
};

class ShippedCatalogues : public sltest::TempDir {
 protected:
  static std::shared_ptr<Library> shipped(const char* name) {
    return LibraryManager::instance().open(
        OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/" + name), true);
  }
};

}  // namespace

TEST_F(ShippedCatalogues, EveryProfileHasTheDimensionsOfItsPublishedRow) {
  const Tables tables;
  ASSERT_TRUE(tables.loaded()) << "reference tables in " << SL_REFERENCE_DIR;
  // Rows of the standards that the copied tables leave out: their dimensions are those of their
  // designation, and an angle's toe radius is half its root radius.
  const std::vector<std::string> unpublished = {"EN 10056-1 L 20x20x3", "EN 10210-2 CHS 21.3x2.3",
                                                "EN 10210-2 CHS 26.9x2.6",
                                                "EN 10210-2 CHS 33.7x3.2"};
  for (const char* file : {"metric.stocklib", "imperial.stocklib"}) {
    SCOPED_TRACE(file);
    auto lib = shipped(file);
    ASSERT_TRUE(lib);
    std::vector<KcSmartPtr<Profile>> all;
    std::vector<KcSmartPtr<ParametrizedProfile>> profiles;
    ASSERT_GT(lib->get(profiles), 0u);
    EXPECT_EQ(lib->get(all), profiles.size()) << "every shipped profile is of a shape";
    std::map<std::string, int> checked;
    for (const auto& shape : profiles) {
      auto pname = shape->name();
      ASSERT_TRUE(pname);
      const std::string standard = pname->standard() ? pname->standard()->name().toUtf8() : "",
                        name = pname->name().toUtf8(), size = shape->size().toUtf8();
      const std::string label = standard + " " + name + " " + size;
      if (standard == "user defined") continue;  // sizes of our own choosing
      auto dim = [&](const char* d) { return shape->dimension(shape->dimension_index(d)); };
      if (std::find(unpublished.begin(), unpublished.end(), label) != unpublished.end()) {
        const std::vector<double> numbers = numbersOf(size);
        for (std::size_t i = 0; i < numbers.size(); ++i)
          EXPECT_EQ(shape->dimension(i), numbers[i]) << label << " " << i;
        if (name == "L") {
          EXPECT_EQ(dim("toe_radius"), dim("root_radius") / 2) << label;
        }
        continue;
      }
      Dimensions want;
      std::string why;
      if (!tables.expected(standard, name, size, want, why)) {
        ADD_FAILURE() << label << ": " << why;
        continue;
      }
      for (const auto& [dimension, value] : want) {
        int index = shape->dimension_index(OdString(dimension));
        ASSERT_GE(index, 0) << label << " has no " << dimension;
        EXPECT_TRUE(shape->has_dimension(static_cast<std::size_t>(index)))
            << label << " " << dimension;
        EXPECT_NEAR(dim(dimension), value, 1e-6) << label << " " << dimension;
      }
      ++checked[standard + " " + name];
    }
    // Every family added from the tables is there in full.
    const std::map<std::string, int> families =
        std::string(file) == "metric.stocklib" ? std::map<std::string, int>{{"EN 10365 HEM", 24},
                                                                            {"EN 10365 UPE", 14},
                                                                            {"EN 10219-2 CHS", 106},
                                                                            {"EN 10219-2 RHS", 137},
                                                                            {"EN 10219-2 SHS", 96}}
                                               : std::map<std::string, int>{{"AISC S", 28},
                                                                            {"AISC HP", 22},
                                                                            {"AISC MC", 40},
                                                                            {"AISC WT", 289},
                                                                            {"AISC Pipe", 42}};
    for (const auto& [family, count] : families)
      EXPECT_EQ(checked[family], count) << family;
  }
}

TEST_F(ShippedCatalogues, DerivedUnitsAreTheProductsOfTheirParts) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file((std::string(SL_SUPPORT_DIR) + "/stocklib_units.xml").c_str()));
  auto units = library("units.stocklib");
  pugi::xml_node root = doc.first_child();
  units->importFromXml(root, Library::ImportOptions());
  auto factor = [&](const wchar_t* symbol) {
    auto unit = units->get<Unit>(NameKey(symbol));
    EXPECT_TRUE(unit) << OdString(symbol).toUtf8();
    return unit ? unit->factor() : NAN;
  };
  struct Derived {
    const wchar_t *symbol, *measure;
    double expected;
  };
  const Derived derived[] = {
      {L"ksi", L"PRESSURE", factor(L"kip") / factor(L"in^2")},
      {L"psi", L"PRESSURE", factor(L"lbf") / factor(L"in^2")},
      {L"GPa", L"PRESSURE", 1000 * factor(L"MPa")},
      {L"kN/m^2", L"PRESSURE", factor(L"kN") / factor(L"m^2")},
      {L"kN/m^3", L"UNIT WEIGHT", factor(L"kN") / factor(L"m^3")},
      {L"kg/m", L"MASS PER LENGTH", factor(L"kg") / factor(L"m")},
      {L"lb/ft", L"MASS PER LENGTH", factor(L"lb") / factor(L"ft")},
      {L"lb/ft^3", L"DENSITY", factor(L"lb") / factor(L"ft^3")},
  };
  for (const Derived& d : derived) {
    SCOPED_TRACE(OdString(d.symbol).toUtf8());
    auto unit = units->get<Unit>(NameKey(d.symbol));
    ASSERT_TRUE(unit);
    EXPECT_NEAR(unit->factor(), d.expected, d.expected * 1e-14);
    ASSERT_TRUE(unit->measure());
    EXPECT_EQ(unit->measure()->name(), OdString(d.measure));
  }
  EXPECT_DOUBLE_EQ(factor(L"lb"), 0.45359237);
  EXPECT_FALSE(units->get<Unit>(NameKey(L"lbs")));
}

// Every shipped material, and nothing else, has a row of materials.csv, and its density, thermal
// conductivity and specific heat are that row's: equal, or within a range `low..high`; an empty
// cell is a value the material must not have.
TEST_F(ShippedCatalogues, EveryMaterialHasTheFiguresOfItsStandard) {
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
    lib->get(materials);
    std::size_t rows = 0;
    for (const Row& row : table)
      rows += row.at("library") == market;
    EXPECT_EQ(materials.size(), rows);
    for (const auto& m : materials) {
      SCOPED_TRACE(m->name().toUtf8());
      auto row = std::find_if(table.begin(), table.end(), [&](const Row& r) {
        return r.at("library") == market && r.at("name") == m->name().toUtf8();
      });
      ASSERT_NE(row, table.end());
      // A row's trailing empty cells are not read at all.
      auto cell = [&](const char* column) { return row->count(column) ? row->at(column) : ""; };
      auto p = m->physical_asset();
      EXPECT_TRUE(agrees(cell("density_kg_m3"), p && p->has_density(), p ? p->density() : 0));
      EXPECT_TRUE(agrees(cell("lambda_W_mK"), p && p->has_thermal_conductivity(),
                         p ? p->thermal_conductivity() : 0));
      EXPECT_TRUE(
          agrees(cell("cp_J_kgK"), p && p->has_specific_heat(), p ? p->specific_heat() : 0));
    }
  }
}
