// The profile commands of the command-line host: section properties of a profile and SVG
// pictures of profiles and compositions. They only read the drawing and its libraries.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "CommandsModule.h"
#include "CompositionCommand.h"
#include "DbDatabase.h"
#include "ProfileLookup.h"
#include "Session.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionDrawing.h"
#include "sl_db/SectionProperties.h"

namespace sldb {

namespace {

constexpr double kPi = 3.141592653589793;

KcSmartPtr<stocklib::Profile> requireProfile(DrawingSession& drawing, const std::string& name) {
  std::string why;
  KcSmartPtr<stocklib::Profile> profile = findProfileAsTyped(drawing.libraries(), name, why);
  if (!profile) throw Failure{why + " in the libraries of " + drawing.path()};
  return profile;
}

/// One figure of `sldb section`: its JSON key, its symbol in European and in US tables, the
/// power of length it carries (0 for none), and its value in the library's unit.
struct SectionFigure {
  const char* key;
  const char* en;
  const char* us;
  const char* what;
  int power;
  double value;
};

const char* const kSuperscripts[] = {
    "", "", "\xC2\xB2", "\xC2\xB3", "\xE2\x81\xB4", "", "\xE2\x81\xB6"};

/// The figures of `s` in the order they are printed; torsion, warping and the shear centre
/// where the shape has them.
std::vector<SectionFigure> sectionFigures(const sl_db::SectionProperties& s) {
  std::vector<SectionFigure> figures = {
      {"area", "A", "A", "area", 2, s.area},
      {"centroid_y", "ys", "x", "centroid from the left edge", 1, s.centroidY},
      {"centroid_z", "zs", "y", "centroid from the bottom edge", 1, s.centroidZ},
      {"second_moment_y", "Iy", "Ix", "second moment, horizontal axis", 4, s.Iy},
      {"second_moment_z", "Iz", "Iy", "second moment, vertical axis", 4, s.Iz},
      {"second_moment_u", "Iu", "Iw", "principal second moment, largest", 4, s.Iu},
      {"second_moment_v", "Iv", "Iz", "principal second moment, smallest", 4, s.Iv},
      {"alpha", "alpha", "alpha", "angle from the horizontal axis to u, degrees", 0,
       s.alpha * 180 / kPi},
      {"elastic_modulus_y", "Wel,y", "Sx", "elastic modulus, horizontal axis", 3, s.WelY},
      {"elastic_modulus_z", "Wel,z", "Sy", "elastic modulus, vertical axis", 3, s.WelZ},
      {"plastic_modulus_y", "Wpl,y", "Zx", "plastic modulus, horizontal axis", 3, s.WplY},
      {"plastic_modulus_z", "Wpl,z", "Zy", "plastic modulus, vertical axis", 3, s.WplZ},
      {"plastic_axis_z", "zpl", "ypl", "plastic neutral axis from the bottom edge", 1,
       s.plasticAxisZ},
      {"plastic_axis_y", "ypl", "xpl", "plastic neutral axis from the left edge", 1,
       s.plasticAxisY},
      {"radius_of_gyration_y", "iy", "rx", "radius of gyration, horizontal axis", 1, s.iy},
      {"radius_of_gyration_z", "iz", "ry", "radius of gyration, vertical axis", 1, s.iz}};
  if (s.It) figures.push_back({"torsion_constant", "It", "J", "torsion constant", 4, *s.It});
  if (s.Iw) figures.push_back({"warping_constant", "Iw", "Cw", "warping constant", 6, *s.Iw});
  if (s.shearCentre) {
    figures.push_back(
        {"shear_centre_y", "ysc", "xo", "shear centre from the left edge", 1, s.shearCentre->y});
    figures.push_back(
        {"shear_centre_z", "zsc", "yo", "shear centre from the bottom edge", 1, s.shearCentre->z});
  }
  figures.push_back(
      {"perimeter", "U", "P", "perimeter (painted surface per length)", 1, s.perimeter});
  return figures;
}

class SectionCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  SectionCommand()
      : DrawingCommand("section",
                       "print the section properties of the profile NAME (its full name as list "
                       "prints it,\nor as typed: \"hea200\", \"W14x90\") in cm (metric libraries) "
                       "or in (imperial ones)") {}
  void options(CLI::App& c) override {
    c.add_option("NAME", m_name, "the profile's full name, or its name and size")->required();
    c.add_flag("--json", m_json, "one JSON object in full precision, naming each unit");
    c.add_option("--unit", m_unit, "the length unit of the figures")
        ->check(CLI::IsMember({"mm", "cm", "in"}));
    c.add_option("--material", m_material,
                 "a material of the libraries whose density gives the mass per length");
    // Checked here: the parser's own range check prints the largest double in full.
    c.add_option("--density", m_density, "the density that gives the mass per length")
        ->type_name("KG_PER_M3")
        ->check(CLI::Validator(
            [](std::string& text) {
              char* end = nullptr;
              const double value = std::strtod(text.c_str(), &end);
              return !text.empty() && *end == 0 && std::isfinite(value) && value > 0
                         ? std::string()
                         : "wants a number of kg/m3 above 0, not '" + text + "'";
            },
            ""));
  }
  int run(DrawingSession& drawing) override;

 private:
  /// The density given, else that of --material, else that of the library's material for the
  /// profile's kind (steel, concrete); none when there is none with a density. `source` names
  /// the material.
  std::optional<double> density(DrawingSession& drawing, const stocklib::Profile& profile,
                                std::string& source) const;

  std::string m_name, m_unit, m_material;
  bool m_json = false;
  std::optional<double> m_density;
};
SLDB_COMMAND(SectionCommand);

std::optional<double> SectionCommand::density(DrawingSession& drawing,
                                              const stocklib::Profile& profile,
                                              std::string& source) const {
  source = "given";
  if (m_density) return m_density;
  auto densityOf = [](const stocklib::Material* material) -> std::optional<double> {
    KcSmartPtr<stocklib::PhysicalAsset> asset = material ? material->physical_asset() : nullptr;
    if (!asset || !asset->has_density() || !(asset->density() > 0) ||
        !std::isfinite(asset->density()))
      return std::nullopt;
    return asset->density();
  };
  std::shared_ptr<stocklib::Library> library = profile.library();
  if (!m_material.empty()) {
    const stocklib::NameKey key(OdString::fromUtf8(m_material));
    KcSmartPtr<stocklib::Material> material;
    if (library) material = library->get<stocklib::Material>(key);
    if (!material) material = drawing.libraries().get<stocklib::Material>(key);
    if (!material) throw Failure{"no material named '" + m_material + "' in the libraries"};
    source = m_material;
    if (std::optional<double> d = densityOf(material.get())) return d;
    throw Failure{"the material '" + m_material + "' has no density"};
  }
  OdString name;
  std::optional<double> d = sl_db::profileDensity(&profile, &name);
  source = name.toUtf8();
  return d;
}

int SectionCommand::run(DrawingSession& drawing) {
  KcSmartPtr<stocklib::Profile> profile = requireProfile(drawing, m_name);
  const std::string fullName = sl_db::fullProfileName(profile.get()).toUtf8();
  OdString why;
  std::optional<sl_db::SectionProperties> s = sl_db::sectionProperties(profile.get(), &why);
  if (!s)
    throw Failure{"the profile '" + fullName + "' has no section properties: " + why.toUtf8()};
  const bool imperial = s->unit == stocklib::kLibraryUnitInch;
  const std::string unit = !m_unit.empty() ? m_unit : imperial ? "in" : "cm";
  // Millimetres or inches of the library to the unit asked for.
  const double toMm = imperial ? 25.4 : 1.0;
  const double scale = toMm / (unit == "in" ? 25.4 : unit == "cm" ? 10.0 : 1.0);
  std::string material;
  const std::optional<double> kgPerM3 = density(drawing, *profile, material);
  const std::string massUnit = unit == "in" ? "lb/ft" : "kg/m";
  std::optional<double> mass;
  if (kgPerM3) mass = s->massPerLength(*kgPerM3) * (unit == "in" ? 0.3048 / 0.45359237 : 1.0);
  std::vector<SectionFigure> figures = sectionFigures(*s);
  // Rounding leaves traces where a figure is nothing (a product of a symmetric section).
  const double size = std::sqrt(s->area);
  auto value = [&](const SectionFigure& f) {
    const double v = f.value * std::pow(scale, f.power);
    return std::fabs(f.value) <= 1e-9 * std::pow(size, f.power) ? 0.0 : v;
  };
  auto unitOf = [&](const SectionFigure& f) {
    return f.power == 0 ? std::string("degrees")
                        : unit + (f.power > 1 ? std::to_string(f.power) : std::string());
  };
  std::shared_ptr<stocklib::Library> library = profile->library();
  if (m_json) {
    // snake_case keys, as every JSON document of both tools: Iy and iy differ only in case.
    nlohmann::ordered_json json = {{"profile", fullName},
                                   {"library", library ? library->name().toUtf8() : ""},
                                   {"unit", unit}};
    // The keys name the axes as European tables do (y across, z up); US tables call them x, y.
    json["axes"] = {{"y", imperial ? "x" : "y"}, {"z", imperial ? "y" : "z"}};
    nlohmann::ordered_json units = nlohmann::ordered_json::object();
    for (const SectionFigure& f : figures) {
      json[f.key] = value(f);
      units[f.key] = unitOf(f);
    }
    if (mass) {
      json["mass_per_length"] = *mass;
      json["density"] = *kgPerM3;
      json["material"] = material;
      units["mass_per_length"] = massUnit;
      units["density"] = "kg/m3";
    }
    json["units"] = units;
    std::cout << json.dump() << "\n";
    return 0;
  }
  std::cout << shown(fullName) << " ("
            << sl_db::getProfileShapeLabel(profile->objectType(), false).toUtf8() << ")";
  if (library) std::cout << ", library " << shown(library->name().toUtf8());
  std::cout << ", axes as " << (imperial ? "US" : "European") << " tables name them\n";
  // Padded by characters, not bytes: the unit's superscripts take two or three.
  auto row = [](const std::string& symbol, const std::string& text, std::string unitText,
                const char* what) {
    std::size_t shown = 0;
    for (char c : unitText)
      shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    unitText.append(shown < 6 ? 6 - shown : 0, ' ');
    std::printf("  %-6s %10s %s %s\n", symbol.c_str(), text.c_str(), unitText.c_str(), what);
  };
  std::cout.flush();
  for (const SectionFigure& f : figures)
    row(imperial ? f.us : f.en, sl_db::figureText(value(f)),
        f.power == 0 ? "deg" : unit + kSuperscripts[f.power], f.what);
  if (mass) {
    const std::string what = "mass per length (" + shown(material) + ", " +
                             sl_db::figureText(*kgPerM3) + " kg/m\xC2\xB3)";
    row(imperial ? "W" : "G", sl_db::figureText(*mass), massUnit, what.c_str());
  }
  std::fflush(stdout);
  return 0;
}

class DrawCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  DrawCommand()
      : DrawingCommand("draw",
                       "draw a profile's cross-section or a composition's plies to scale as an "
                       "SVG picture") {}
  void options(CLI::App& c) override {
    c.add_option("KIND", m_kind, "what to draw")
        ->required()
        ->check(CLI::IsMember({"profile", "composition"}));
    c.add_option("NAME", m_name, "the profile's full name or the composition's name")->required();
    c.add_option("OUT", m_out, "the SVG file to write")->required()->type_name("OUT.svg");
  }
  int run(DrawingSession& drawing) override;

 private:
  std::string m_kind, m_name, m_out;
};
SLDB_COMMAND(DrawCommand);

int DrawCommand::run(DrawingSession& drawing) {
  std::string svg;
  if (m_kind == "profile") {
    KcSmartPtr<stocklib::Profile> profile = requireProfile(drawing, m_name);
    svg = sl_db::profileSvg(profile.get());
    OdString why;
    if (svg.empty() && !sl_db::sectionProperties(profile.get(), &why))
      throw Failure{"the profile '" + m_name + "' has no section properties: " + why.toUtf8()};
    if (svg.empty())
      throw Failure{"the profile '" + m_name + "' cannot be drawn in finite numbers"};
  } else {
    KcSmartPtr<stocklib::Composition> composition = requireComposition(drawing, m_name);
    svg = sl_db::compositionSvg(composition.get());
    if (svg.empty()) throw Failure{"the composition '" + m_name + "' has no plies to draw"};
  }
  writeFile(m_out, svg);
  status("wrote " + m_out);
  return 0;
}

/// The text as compared when typed: lower case, without spaces.
std::string folded(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c)))
      out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return out;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = up;
    }
  }
  return row[b.size()];
}

}  // namespace

KcSmartPtr<stocklib::Profile> findProfileAsTyped(const sl_db::DocumentLibraries& docs,
                                                 const std::string& typed, std::string& why) {
  why.clear();
  if (KcSmartPtr<stocklib::Profile> exact = findProfile(docs, OdString::fromUtf8(typed)))
    return exact;
  std::vector<std::shared_ptr<const stocklib::Library>> libraries;
  if (docs.primary()) libraries.push_back(docs.primary());
  for (const auto& s : docs.secondaries())
    if (s) libraries.push_back(s);
  const std::string wanted = folded(typed);
  // Full names in library order, the first profile of each name; and how near each reads.
  std::vector<std::pair<std::string, KcSmartPtr<stocklib::Profile>>> matches;
  std::vector<std::pair<std::size_t, std::string>> near;
  for (const auto& library : libraries) {
    std::vector<KcSmartPtr<stocklib::Profile>> profiles;
    library->get(profiles);
    for (const auto& p : profiles) {
      const std::string full = sl_db::fullProfileName(p.get()).toUtf8();
      KcSmartPtr<stocklib::ProfileName> name = p->name();
      const std::string bare = folded((name ? name->name().toUtf8() : "") + p->size().toUtf8());
      const bool seen = std::any_of(matches.begin(), matches.end(),
                                    [&](const auto& m) { return m.first == full; });
      if ((folded(full) == wanted || bare == wanted) && !seen) matches.emplace_back(full, p);
      near.emplace_back(std::min(editDistance(folded(full), wanted), editDistance(bare, wanted)),
                        full);
    }
  }
  if (matches.size() == 1) return matches[0].second;
  auto listed = [](const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names)
      out += (out.empty() ? "'" : ", '") + n + "'";
    return out;
  };
  std::vector<std::string> names;
  if (!matches.empty()) {
    for (const auto& m : matches)
      names.push_back(m.first);
    why = "'" + typed + "' names several profiles: " + listed(names);
    return nullptr;
  }
  std::stable_sort(near.begin(), near.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [distance, full] : near)
    if (names.size() < 3 && std::find(names.begin(), names.end(), full) == names.end())
      names.push_back(full);
  why = "no profile named '" + typed + "'" +
        (names.empty() ? std::string() : " (nearest: " + listed(names) + ")");
  return nullptr;
}

}  // namespace sldb
