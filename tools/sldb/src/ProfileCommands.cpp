// The profile commands of the command-line host: section properties of a profile and SVG
// pictures of profiles and compositions. They only read the drawing and its libraries.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

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
  KcSmartPtr<stocklib::Profile> profile =
      findProfile(drawing.libraries(), OdString::fromUtf8(name));
  if (!profile)
    throw Failure{"no profile named '" + name + "' in the libraries of " + drawing.path()};
  return profile;
}

class SectionCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  SectionCommand()
      : DrawingCommand("section",
                       "print the section properties of the profile NAME (its full name, as list "
                       "prints it)\nin its library's unit") {}
  void options(CLI::App& c) override {
    c.add_option("NAME", m_name, "the profile's full name")->required();
    c.add_flag("--json", m_json, "one JSON object (alpha in degrees)");
    // Checked here: the parser's own range check prints the largest double in full.
    c.add_option("--density", m_density, "adds the mass per length in kg/m")
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
  std::string m_name;
  bool m_json = false;
  std::optional<double> m_density;
};
SLDB_COMMAND(SectionCommand);

int SectionCommand::run(DrawingSession& drawing) {
  KcSmartPtr<stocklib::Profile> profile = requireProfile(drawing, m_name);
  OdString why;
  std::optional<sl_db::SectionProperties> s = sl_db::sectionProperties(profile.get(), &why);
  if (!s) throw Failure{"the profile '" + m_name + "' has no section properties: " + why.toUtf8()};
  const std::string unit = s->unit == stocklib::kLibraryUnitInch ? "in" : "mm";
  const double alpha = s->alpha * 180 / kPi;
  if (m_json) {
    // snake_case keys, as every JSON document of both tools: Iy and iy differ only in case.
    nlohmann::ordered_json json = {{"unit", unit},
                                   {"area", jsonNumber(s->area)},
                                   {"centroid_y", jsonNumber(s->centroidY)},
                                   {"centroid_z", jsonNumber(s->centroidZ)},
                                   {"second_moment_y", jsonNumber(s->Iy)},
                                   {"second_moment_z", jsonNumber(s->Iz)},
                                   {"second_moment_u", jsonNumber(s->Iu)},
                                   {"second_moment_v", jsonNumber(s->Iv)},
                                   {"alpha", jsonNumber(alpha)},
                                   {"elastic_modulus_y", jsonNumber(s->WelY)},
                                   {"elastic_modulus_z", jsonNumber(s->WelZ)},
                                   {"radius_of_gyration_y", jsonNumber(s->iy)},
                                   {"radius_of_gyration_z", jsonNumber(s->iz)},
                                   {"perimeter", jsonNumber(s->perimeter)}};
    if (m_density) json["mass_per_length"] = jsonNumber(s->massPerLength(*m_density));
    std::cout << json.dump() << "\n";
    return 0;
  }
  std::cout << sl_db::fullProfileName(profile.get()).toUtf8() << " ("
            << sl_db::getProfileShapeLabel(profile->objectType(), false).toUtf8() << ")\n";
  auto row = [](const char* name, double value, const std::string& unitText) {
    std::printf("  %-22s %14s %s\n", name, number(value).c_str(), unitText.c_str());
  };
  std::cout.flush();
  row("area", s->area, unit + "2");
  row("centroid y", s->centroidY, unit);
  row("centroid z", s->centroidZ, unit);
  row("Iy", s->Iy, unit + "4");
  row("Iz", s->Iz, unit + "4");
  row("Iu (principal, max)", s->Iu, unit + "4");
  row("Iv (principal, min)", s->Iv, unit + "4");
  row("alpha (y to u)", alpha, "degrees");
  row("Wel,y", s->WelY, unit + "3");
  row("Wel,z", s->WelZ, unit + "3");
  row("iy", s->iy, unit);
  row("iz", s->iz, unit);
  row("perimeter", s->perimeter, unit);
  if (m_density) row("mass per length", s->massPerLength(*m_density), "kg/m");
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

}  // namespace

}  // namespace sldb
