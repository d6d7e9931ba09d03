// The profile commands of the command-line host: section properties of a profile and SVG
// pictures of profiles and compositions. They only read the drawing and its libraries.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "Cli.h"
#include "DbDatabase.h"
#include "EntityAccess.h"
#include "ProfileLookup.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionDrawing.h"
#include "sl_db/SectionProperties.h"

namespace sldb {

namespace {

constexpr double kPi = 3.141592653589793;

KcSmartPtr<stocklib::Profile> requireProfile(OdDbDatabase* db, const std::string& drawing,
                                             const std::string& name) {
  KcSmartPtr<stocklib::Profile> profile =
      findProfile(*sl_db::docLibs(db), OdString::fromUtf8(name));
  if (!profile) throw Failure{"no profile named '" + name + "' in the libraries of " + drawing};
  return profile;
}

/// writeFile: `content` to `path` through a temporary file renamed into place.
void writeFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".sldb-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) {
      std::remove(temporary.c_str());
      throw Failure{"cannot write " + path};
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw Failure{"cannot write " + path};
  }
}

struct SectionArguments {
  std::string drawing, name;
  bool json = false;
  std::optional<double> density;
};

int cmdSection(const SectionArguments& a) {
  OdDbDatabasePtr db = openDrawing(a.drawing);
  KcSmartPtr<stocklib::Profile> profile = requireProfile(db.get(), a.drawing, a.name);
  OdString why;
  std::optional<sl_db::SectionProperties> s = sl_db::sectionProperties(profile.get(), &why);
  if (!s) throw Failure{"the profile '" + a.name + "' has no section properties: " + why.toUtf8()};
  const std::string unit = s->unit == stocklib::kLibraryUnitInch ? "in" : "mm";
  const double alpha = s->alpha * 180 / kPi;
  if (a.json) {
    nlohmann::ordered_json json = {{"unit", unit},
                                   {"area", jsonNumber(s->area)},
                                   {"centroid_y", jsonNumber(s->centroidY)},
                                   {"centroid_z", jsonNumber(s->centroidZ)},
                                   {"Iy", jsonNumber(s->Iy)},
                                   {"Iz", jsonNumber(s->Iz)},
                                   {"Iu", jsonNumber(s->Iu)},
                                   {"Iv", jsonNumber(s->Iv)},
                                   {"alpha", jsonNumber(alpha)},
                                   {"Wel_y", jsonNumber(s->WelY)},
                                   {"Wel_z", jsonNumber(s->WelZ)},
                                   {"iy", jsonNumber(s->iy)},
                                   {"iz", jsonNumber(s->iz)},
                                   {"perimeter", jsonNumber(s->perimeter)}};
    if (a.density) json["mass_per_length"] = jsonNumber(s->massPerLength(*a.density));
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
  if (a.density) row("mass per length", s->massPerLength(*a.density), "kg/m");
  std::fflush(stdout);
  return 0;
}

struct DrawArguments {
  std::string drawing, kind, name, out;
};

int cmdDraw(const DrawArguments& a) {
  OdDbDatabasePtr db = openDrawing(a.drawing);
  std::string svg;
  if (a.kind == "profile") {
    KcSmartPtr<stocklib::Profile> profile = requireProfile(db.get(), a.drawing, a.name);
    svg = sl_db::profileSvg(profile.get());
    OdString why;
    if (svg.empty() && !sl_db::sectionProperties(profile.get(), &why)) {
      throw Failure{"the profile '" + a.name + "' has no section properties: " + why.toUtf8()};
    }
    if (svg.empty())
      throw Failure{"the profile '" + a.name + "' cannot be drawn in finite numbers"};
  } else {
    auto composition = sl_db::docLibs(db.get())->get<stocklib::Composition>(
        stocklib::NameKey(OdString::fromUtf8(a.name)));
    if (!composition)
      throw Failure{"no composition named '" + a.name + "' in the libraries of " + a.drawing};
    svg = sl_db::compositionSvg(composition.get());
    if (svg.empty()) throw Failure{"the composition '" + a.name + "' has no plies to draw"};
  }
  writeFile(a.out, svg);
  std::cout << "wrote " << a.out << "\n";
  return 0;
}

}  // namespace

void declareProfileCommands(Commands& commands) {
  auto& section = commands.arguments<SectionArguments>();
  CLI::App* c = commands.add(
      "section",
      "print the section properties of the profile NAME (its full name, as list prints it)\n"
      "in its library's unit",
      [&section] { return cmdSection(section); });
  drawingArgument(c, section.drawing);
  c->add_option("NAME", section.name, "the profile's full name")->required();
  c->add_flag("--json", section.json, "one JSON object (alpha in degrees)");
  c->add_option("--density", section.density, "adds the mass per length in kg/m")
      ->type_name("KG_PER_M3")
      ->check(CLI::PositiveNumber)
      ->check(CLI::Validator(
          [](std::string& text) {
            return std::isfinite(std::strtod(text.c_str(), nullptr))
                       ? std::string()
                       : "wants a positive number of kg/m3, not '" + text + "'";
          },
          ""));

  auto& draw = commands.arguments<DrawArguments>();
  c = commands.add("draw",
                   "draw a profile's cross-section or a composition's plies to scale as an SVG "
                   "picture",
                   [&draw] { return cmdDraw(draw); });
  drawingArgument(c, draw.drawing);
  c->add_option("KIND", draw.kind, "what to draw")
      ->required()
      ->check(CLI::IsMember({"profile", "composition"}));
  c->add_option("NAME", draw.name, "the profile's full name or the composition's name")->required();
  c->add_option("OUT", draw.out, "the SVG file to write")->required()->type_name("OUT.svg");
}

}  // namespace sldb
