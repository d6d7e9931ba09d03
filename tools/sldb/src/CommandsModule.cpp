// The module of sldb's library commands. It links stocklib_db.tx and hands its commands to the
// host through one C entry point, so the host itself never links the module.
#include "Cli.h"
#include "RxDynamicModule.h"
#include "RxModule.h"

namespace {

class SldbCommandsModule : public OdRxModule {
 public:
  void initApp() override {}
  void uninitApp() override {}
};

void* applyOptions(const sldb::LibraryOptions& options) {
  return new sldb::AppliedOptions(options);
}

void releaseOptions(void* applied) {
  delete static_cast<sldb::AppliedOptions*>(applied);
}

const sldb::LibraryCommandTable kTable = {
    sldb::cmdInit,         sldb::cmdEmbed,          sldb::cmdSetPrimary, sldb::cmdMovePrimary,
    sldb::cmdAddSecondary, sldb::cmdCloseSecondary, sldb::cmdList,       sldb::cmdFetch,
    applyOptions,          releaseOptions,          sldb::libraryTour,   sldb::printLibraries,
    sldb::cmdPalette,      sldb::cmdSection,        sldb::cmdDraw,       sldb::cmdDefs,
    sldb::cmdDefAdd,       sldb::cmdDefRm,          sldb::cmdAddEntity,  sldb::cmdEntities,
    sldb::cmdProps,        sldb::cmdSetProp,        sldb::cmdResetProp,  sldb::cmdPurgeProps,
    sldb::cmdAttachSet,    sldb::cmdDetachSet,      sldb::valueTour,
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(SldbCommandsModule)

ODRX_MODULE_ENTRY const sldb::LibraryCommandTable* sldbLibraryCommands() {
  return &kTable;
}
