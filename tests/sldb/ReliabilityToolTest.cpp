// The command-line host on a drawing it must not lose values of: an entity whose stored values
// cannot be read, and a drawing another process is changing.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "DbFileLock.h"
#include "DbMemoryFiler.h"
#include "SldbRun.h"
#include "TestSupport.h"
#include "dbprops/DbProperties.h"
#include "dbprops/DbPropertyContainer.h"

using namespace sldbtest;

namespace {

// Changes the container of the entity at `handle` in the drawing at `path` and saves it.
template <class F>
void editContainer(const OdString& path, const std::string& handle, F&& edit) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(path);
  OdDbObjectPtr entity = db->getOdDbObjectId(OdDbHandle(std::stoull(handle, nullptr, 16)))
                             .safeOpenObject(OdDb::kForWrite);
  edit(entity.get());
  entity->close();
  db->writeFile(path);
}

// Gives the stored LoadBearing~Geometry a bool byte of 2, as a damaged file would.
void damageLoadBearing(OdDbObject* entity) {
  std::vector<std::uint8_t> bytes;
  DbProperties::get(entity)->dwgOut(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler).get());
  const std::string name = "LoadBearing~Geometry";
  auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  // After the name: the descriptor (12 bytes), the flags, then the bool.
  auto value = at + static_cast<long>(name.size()) + 13;
  ASSERT_EQ(*value, 1);
  *value = 2;
  OdDbObjectExtensionPtr damaged(new OdRxObjectImpl<DbProperties>(), kOdRxObjAttach);
  ASSERT_EQ(damaged->dwgIn(
                odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler).get()),
            eOk);
  entity->setExtension(DbProperties::kExtensionKind, damaged.get());
}

}  // namespace

// A drawing d.dwg with a primary library and one line.
class ToolReliability : public testing::Test {
 protected:
  Drawing w;
  const std::string& d = w.d;
  const std::string line = w.line();
  const OdString file = w.dir.file("d.dwg");
  Outcome run(const std::string& args) const { return w.run(args); }
};

TEST_F(ToolReliability, UnreadableValuesAreReportedKeptAndDroppedOnlyWhenAsked) {
  ASSERT_EQ(run("set-prop d.dwg " + line + " Thickness~Geometry 200").rc, 0);
  ASSERT_EQ(run("set-prop d.dwg " + line + " LoadBearing~Geometry true").rc, 0);
  // A mapped value is listed once, marked.
  editContainer(file, line, [](OdDbObject* entity) {
    DbProperties::get(entity)->getProperty(L"Thickness~Geometry")->setMapped(true);
  });
  Outcome mapped = run("props d.dwg " + line);
  EXPECT_EQ(lines(mapped.out), 5) << mapped.out;
  EXPECT_TRUE(has(mapped,
                  "Thickness~Geometry  set Linear~Geometry  property  double  200 "
                  "(stored)  Ok  mapped\n"))
      << mapped.out;
  editContainer(file, line, damageLoadBearing);
  EXPECT_EQ(runTable(w, "damaged.txt", {{"$LINE", line}}), 9);
}

TEST_F(ToolReliability, ASecondChangerIsToldWhoHoldsTheDrawing) {
  const auto before = w.stamp();
  {
    OdDbDatabasePtr holder = odDbCreateDatabase();
    odDbReadFileForChange(holder.get(), file);
    const std::string held =
        ": the drawing is being changed by process " + std::to_string(::getpid()) + "\n";
    EXPECT_EQ(run("set-prop d.dwg " + line + " Count~Geometry 3").out, "sldb set-prop" + held);
    EXPECT_EQ(run("add-entity d.dwg line 0,0,0 1,0,0").out, "sldb add-entity" + held);
    EXPECT_EQ(run("entities d.dwg").rc, 0);  // reading goes on
    EXPECT_EQ(w.stamp(), before);
  }
  EXPECT_EQ(run("set-prop d.dwg " + line + " Count~Geometry 3").rc, 0);
}

TEST_F(ToolReliability, BlankOrNonUtf8NamesAreNeverMade) {
  ASSERT_EQ(run("ns-add d.dwg N").rc, 0);
  EXPECT_EQ(runTable(w, "names.txt",
                     {{"$LINE", line},
                      {"$M", "palette d.dwg material 'Concrete C30/37'"},
                      {"$C", "palette d.dwg composition 'Flat roof, warm deck'"}}),
            15);
}

TEST_F(ToolReliability, NamesAreListedWithTheirControlCharactersEscaped) {
  editContainer(file, line, [](OdDbObject* entity) {
    auto value = std::make_shared<DbPropertyContainer<double>>(1.0);
    value->setMapped(true);
    DbProperties::get(entity)->setProperty(OdString(L"M\0\r\u00e9~X", 6), value);
  });
  EXPECT_EQ(runTable(w, "escaped.txt", {{"$LINE", line}}), 11);
  std::ifstream in(d + "/o.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(has(svg, "<title>F\xc2\x9b</title>")) << svg;
}
