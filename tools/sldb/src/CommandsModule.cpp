// The module of sldb's library commands. It links stocklib_db.tx and hands its commands to the
// host through one C entry point, so the host itself never links the module.
#include "CommandsModule.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

}  // namespace sldb

namespace {

class SldbCommandsModule : public OdRxModule {
 public:
  void initApp() override { sldb::installHostReactor(); }
  void uninitApp() override { sldb::removeHostReactor(); }
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(SldbCommandsModule)

ODRX_MODULE_ENTRY void sldbDeclareCommands(sldb::Commands& commands,
                                           const sldb::LibraryOptions& options) {
  commands.addAll(sldb::registry(), [options](sldb::Command& command) {
    sldb::AppliedOptions applied(options);
    return command.run();
  });
}
