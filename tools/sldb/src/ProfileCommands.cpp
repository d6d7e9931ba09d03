// The profile commands of the command-line host: section properties of a profile and SVG
// pictures of profiles and compositions. They only read the drawing and its libraries.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
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

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
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

}  // namespace

int cmdSection(const Args& args) {
  bool json = false;
  double density = 0;
  bool hasDensity = false;
  Args rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--density") {
      if (++i == args.size()) throw UsageError{"--density needs a value in kg/m3"};
      char* end = nullptr;
      density = std::strtod(args[i].c_str(), &end);
      if (args[i].empty() || *end || !std::isfinite(density) || density <= 0)
        throw UsageError{"--density wants a positive number of kg/m3, not '" + args[i] + "'"};
      hasDensity = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.size() != 2) throw UsageError{"section needs a drawing and a profile name"};
  OdDbDatabasePtr db = openDrawing(rest[0]);
  KcSmartPtr<stocklib::Profile> profile = requireProfile(db.get(), rest[0], rest[1]);
  std::optional<sl_db::SectionProperties> s = sl_db::sectionProperties(profile.get());
  if (!s) {
    throw Failure{"the profile '" + rest[1] +
                  "' has no cross-section: a dimension is missing or they do not fit together"};
  }
  const std::string unit = s->unit == stocklib::kLibraryUnitInch ? "in" : "mm";
  const double alpha = s->alpha * 180 / kPi;
  if (json) {
    std::cout << "{\"unit\": \"" << unit << "\", \"area\": " << number(s->area)
              << ", \"centroid_y\": " << number(s->centroidY)
              << ", \"centroid_z\": " << number(s->centroidZ) << ", \"Iy\": " << number(s->Iy)
              << ", \"Iz\": " << number(s->Iz) << ", \"Iu\": " << number(s->Iu)
              << ", \"Iv\": " << number(s->Iv) << ", \"alpha\": " << number(alpha)
              << ", \"Wel_y\": " << number(s->WelY) << ", \"Wel_z\": " << number(s->WelZ)
              << ", \"iy\": " << number(s->iy) << ", \"iz\": " << number(s->iz)
              << ", \"perimeter\": " << number(s->perimeter);
    if (hasDensity) std::cout << ", \"mass_per_length\": " << number(s->massPerLength(density));
    std::cout << "}\n";
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
  if (hasDensity) row("mass per length", s->massPerLength(density), "kg/m");
  std::fflush(stdout);
  return 0;
}

int cmdDraw(const Args& args) {
  if (args.size() != 4) throw UsageError{"draw needs a drawing, a kind, a name and an output file"};
  if (args[1] != "profile" && args[1] != "composition")
    throw UsageError{"draw wants profile or composition, not '" + args[1] + "'"};
  OdDbDatabasePtr db = openDrawing(args[0]);
  std::string svg;
  if (args[1] == "profile") {
    KcSmartPtr<stocklib::Profile> profile = requireProfile(db.get(), args[0], args[2]);
    svg = sl_db::profileSvg(profile.get());
    if (svg.empty())
      throw Failure{"the profile '" + args[2] +
                    "' has no cross-section: a dimension is missing or they do not fit together"};
  } else {
    auto composition = sl_db::docLibs(db.get())->get<stocklib::Composition>(
        stocklib::NameKey(OdString::fromUtf8(args[2])));
    if (!composition)
      throw Failure{"no composition named '" + args[2] + "' in the libraries of " + args[0]};
    svg = sl_db::compositionSvg(composition.get());
    if (svg.empty()) throw Failure{"the composition '" + args[2] + "' has no plies to draw"};
  }
  writeFile(args[3], svg);
  std::cout << "wrote " << args[3] << "\n";
  return 0;
}

}  // namespace sldb
