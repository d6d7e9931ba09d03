// The module of sldb's library commands. It links stocklib_db.tx and hands its commands to the
// host through one C entry point, so the host itself never links the module.
#include <cstdio>
#include <cstdlib>

#include "Cli.h"
#include "RxDynamicModule.h"
#include "RxModule.h"

namespace sldb {

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

nlohmann::json jsonNumber(double value) {
  return std::strtod(number(value).c_str(), nullptr);
}

}  // namespace sldb

namespace {

class SldbCommandsModule : public OdRxModule {
 public:
  void initApp() override {}
  void uninitApp() override {}
};

void declare(sldb::Commands& commands) {
  sldb::declareLibraryCommands(commands);
  sldb::declarePaletteCommand(commands);
  sldb::declareProfileCommands(commands);
  sldb::declareDefinitionCommands(commands);
  sldb::declareEntityCommands(commands);
  sldb::declareValueCommands(commands);
}

void* applyOptions(const sldb::LibraryOptions& options) {
  return new sldb::AppliedOptions(options);
}

void releaseOptions(void* applied) {
  delete static_cast<sldb::AppliedOptions*>(applied);
}

const sldb::LibraryCommandTable kTable = {
    declare,         applyOptions,    releaseOptions,       sldb::libraryTour,
    sldb::valueTour, sldb::libraries, sldb::printLibraries, sldb::damagedEntities,
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(SldbCommandsModule)

ODRX_MODULE_ENTRY const sldb::LibraryCommandTable* sldbLibraryCommands() {
  return &kTable;
}
