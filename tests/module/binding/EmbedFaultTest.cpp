// Failed reads, writes, syncs and truncates while a drawing's primary is copied to another
// library: an external primary made embedded, an embedded one moved out to a file. After each
// fault the error surfaces, the drawing keeps the libraries it had with all they held, the
// external file passes SQLite's and the store's checks, and after a one-off fault the same change
// succeeds.
#include <filesystem>

#include "DocLibsSupport.h"
#include "FaultInjection.h"
#include "OdError.h"

using sltest::DocLibsTest;
using sltest::FaultVfs;

namespace {
constexpr int kTags = 30;

int tagCount(const std::shared_ptr<const stocklib::Library>& lib) {
  std::vector<KcSmartPtr<stocklib::Tag>> all;
  return lib ? static_cast<int>(lib->get(all)) : -1;
}

class EmbedFaults : public DocLibsTest {
 protected:
  void SetUp() override {
    DocLibsTest::SetUp();
    auto base = makeLibrary("base.stocklib", {});
    for (int i = 0; i < kTags; ++i)  // long names: the copy spans pages for faults at many points
      base->save(
          stocklib::Tag::create(OdString::formatted(L"%d%ls", i, OdString(L'x', 100).c_str())));
    m_vfs.install();
  }
  void TearDown() override {
    m_vfs.uninstall();
    DocLibsTest::TearDown();
  }
  OdString ext() const { return dir.file("ext.stocklib"); }

  /// A drawing bound to a primary holding kTags tags: a fresh copy of the base file when
  /// `external`, else an embedded copy of it.
  OdDbDatabasePtr drawing(bool external) {
    const std::string file = ext().toUtf8();
    std::filesystem::remove(file);
    std::filesystem::remove(file + "-journal");
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
    if (external) {
      std::filesystem::copy_file(dir.file("base.stocklib").toUtf8(), file);
      EXPECT_TRUE(docs->openPrimary(ext()));
    } else if (auto embedded = docs->openEmbeddedPrimary()) {
      stocklib::IdMapping mapping(embedded.get());
      embedded->copyAll(stocklib::LibraryManager::instance().open(dir.file("base.stocklib"), true),
                        mapping);
    }
    EXPECT_EQ(tagCount(docs->primary()), kTags);
    return db;
  }

  /// change: embeds an external primary, or moves an embedded one to `ext.stocklib`; false when
  /// it failed.
  bool change(sl_db::DocumentLibraries* docs, bool embedding) {
    try {
      return embedding ? bool(docs->openEmbeddedPrimary()) : bool(docs->openPrimary(ext()));
    } catch (const stocklib::Exception&) {
    } catch (const OdError&) {
    }
    return false;
  }

  /// bound: whether the drawing's primary is the embedded one (else `ext.stocklib`), whole.
  void expectPrimary(sl_db::DocumentLibraries* docs, bool embedded) {
    EXPECT_EQ(docs->isPrimaryEmbedded(), embedded);
    ASSERT_EQ(tagCount(docs->primary()), kTags);
    if (!embedded) {
      EXPECT_TRUE(docs->primary()->filename() == ext() &&
                  docs->stocklibManager()->primaryLibraryPath() == ext());
    }
  }

  /// externalFile: `ext.stocklib`, unless missing, is a library passing both checks, or a blank
  /// file a library can be made in (a failed making may leave one); answers its tag count (-1:
  /// no file).
  int externalFile() {
    const std::string file = ext().toUtf8();
    if (!std::filesystem::exists(file)) return -1;
    // Opened for writing first: that rolls back what a failed commit left in the journal.
    auto lib = stocklib::LibraryManager::instance().create(ext(), stocklib::kLibraryUnitMillimeter,
                                                           OdString());
    EXPECT_TRUE(sltest::integrityOk(file));
    EXPECT_TRUE(lib) << lib.message().toUtf8();
    if (!lib) return -1;
    EXPECT_EQ(lib->check(), std::vector<OdString>());
    return tagCount(lib);
  }

  FaultVfs& m_vfs = FaultVfs::instance();
};

}  // namespace

TEST_F(EmbedFaults, AFailedCopyKeepsTheDrawingsPrimaryAndLeavesTheFileWhole) {
  for (bool embedding : {true, false}) {
    OdDbDatabasePtr counted = drawing(embedding);
    m_vfs.arm(0, false);
    ASSERT_TRUE(change(sl_db::docLibs(counted.get()), embedding));
    const uint64_t total = m_vfs.count();
    expectPrimary(sl_db::docLibs(counted.get()), embedding);
    counted = nullptr;
    ASSERT_GT(total, 3u);
    for (bool persistent : {false, true}) {
      for (uint64_t at : sltest::faultPoints(total)) {
        SCOPED_TRACE((embedding ? "embed" : "move out") +
                     std::string(persistent ? " from" : " at") + " operation " +
                     std::to_string(at));
        OdDbDatabasePtr db = drawing(embedding);
        sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
        m_vfs.arm(at, persistent);
        const bool changed = change(docs, embedding);
        m_vfs.arm(0, false);
        if (changed) {
          expectPrimary(docs, embedding);
          continue;
        }
        // The drawing is bound as before, and the file holds what it held or the whole copy (a
        // fault after the copy's commit), never a part of it.
        expectPrimary(docs, !embedding);
        const int inFile = externalFile();
        EXPECT_TRUE(inFile == kTags || (!embedding && (inFile == -1 || inFile == 0))) << inFile;
        if (persistent) continue;
        EXPECT_TRUE(change(docs, embedding));
        expectPrimary(docs, embedding);
        EXPECT_EQ(externalFile(), kTags);
      }
    }
  }
}
