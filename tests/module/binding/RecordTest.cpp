// The library record of a drawing: finding and creating it, its accessors and open modes, and
// its filing: embedded bytes through drawing save and load, external paths, old and damaged
// records, and records kept as proxies while the module is not loaded.
#include <cstring>
#include <vector>

#include "DbDictionary.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "RxModule.h"
#include "TestSupport.h"
#include "sl_db/DbStockLibManager.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Record : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH)));
  }
  void TearDown() override { odrxModuleManager()->unloadModule(m_module); }

  static Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
  }
  static Bytes memFileBytes(const OdString& name) {
    auto file = stocklib::MemFs::instance().open(name, false);
    if (!file) return {};
    Bytes bytes(file->size());
    file->read(bytes.data(), bytes.size(), 0);
    return bytes;
  }
  /// A record's filed bytes (file filer), or those of its base object alone.
  static Bytes filed(const DbStockLibManager* record, bool base = false) {
    Bytes out;
    auto filer = odDbCreateMemoryWriter(out, OdDbFiler::kFileFiler);
    base ? record->OdDbObject::dwgOutFields(filer) : record->dwgOutFields(filer);
    return out;
  }
  static OdResult readInto(DbStockLibManager* record, const Bytes& bytes) {
    OdResult read = eOk, thrown = sltest::odErrorOf([&] {
                           read = record->dwgInFields(odDbCreateMemoryReader(
                               bytes.data(), bytes.size(), OdDbFiler::kFileFiler));
                         });
    return thrown != eOk ? thrown : read;
  }

  OdRxModulePtr m_module;
};

}  // namespace

TEST_F(Record, FoundOrMadeUnderItsKeyAndChangedOnlyWhenOpenForWrite) {
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  bool created = true;
  EXPECT_TRUE(DbStockLibManager::getInstance(*db, false, &created).isNull() && !created);
  OdDbObjectId id = DbStockLibManager::getInstance(*db, true, &created);
  ASSERT_TRUE(!id.isNull() && created);
  EXPECT_TRUE(DbStockLibManager::getInstance(*db, true, &created) == id && !created);

  DbStockLibManagerPtr record = id.safeOpenObject(OdDb::kForWrite);
  const OdString memName = record->primaryLibraryPath();
  record->setPrimaryLibraryEmbedded();  // already embedded: same file
  EXPECT_EQ(record->primaryLibraryPath(), memName);
  record->setPrimaryLibraryPath(L"lib/a.stocklib");  // the in-memory file goes with it
  EXPECT_FALSE(stocklib::MemFs::instance().exists(memName) || record->isPrimaryLibraryEmbedded());
  record->setPrimaryLibraryEmbedded();
  EXPECT_TRUE(stocklib::MemFs::instance().exists(record->primaryLibraryPath()));
  record->close();
  record = id.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(sltest::odErrorOf([&] { record->setSecondaryLibraryPaths(); }), eNotOpenForWrite);
  EXPECT_EQ(sltest::odErrorOf([&] { record->setPrimaryLibraryPath(L"x"); }), eNotOpenForWrite);
  record->close();
  EXPECT_EQ(sltest::odErrorOf([&] { (void)record->isPrimaryLibraryEmbedded(); }), 61);

  // Another class under the key: no record, nothing replaced, nothing created.
  OdDbDatabasePtr other = odDbCreateDatabase(true);
  OdDbDictionaryPtr root = other->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId foreign =
      root->setAt(DbStockLibManager::dictionaryKey(), OdDbDictionary::createObject());
  root->close();
  EXPECT_TRUE(DbStockLibManager::getInstance(*other, true, &created).isNull() && !created &&
              DbStockLibManager::getInstance(*other) == foreign);
}

TEST_F(Record, EmbeddedBytesSurviveSaveAndLoad) {
  sltest::ScratchDir dir;
  const OdString path = dir.file("d.sldrw"), proxied = dir.file("proxied.sldrw");
  Bytes bytes;
  auto expectLoaded = [&](const OdString& file) {
    OdDbDatabasePtr loaded = odDbCreateDatabase(true);
    loaded->readFile(file);
    DbStockLibManagerPtr record = DbStockLibManager::getInstance(*loaded).safeOpenObject();
    ASSERT_TRUE(record->isPrimaryLibraryEmbedded());
    EXPECT_EQ(memFileBytes(record->primaryLibraryPath()), bytes);
    // Empty strings are dropped from both arrays.
    EXPECT_EQ(record->secondaryLibraryPaths(), (OdArray<OdString>{L"a.stocklib", L"c.stocklib"}));
    EXPECT_EQ(record->filterTags(), (OdArray<OdString>{L"steel"}));
  };
  const std::size_t block = stocklib::MemFile::kBlockSize;
  for (std::size_t size : {std::size_t(0), std::size_t(1), block, 3 * block, 3 * block + 17,
                           std::size_t(5) * 1024 * 1024 + 3}) {
    SCOPED_TRACE(size);
    bytes = pattern(size);
    {
      OdDbDatabasePtr db = odDbCreateDatabase(true);
      DbStockLibManagerPtr record =
          DbStockLibManager::getInstance(*db, true, nullptr).safeOpenObject(OdDb::kForWrite);
      auto file = stocklib::MemFs::instance().open(record->primaryLibraryPath(), false);
      if (size) file->write(bytes.data(), size, 0);
      record->setSecondaryLibraryPaths() = {L"a.stocklib", L"", L"c.stocklib"};
      record->setFilterTags() = {L"", L"steel"};
      record->close();
      db->writeFile(path);
    }
    expectLoaded(path);
  }
  // Kept as a proxy while the module is not loaded, and read whole once it is again.
  ASSERT_TRUE(odrxModuleManager()->unloadModule(m_module));
  {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    db->readFile(path);
    OdSmartPtr<OdDbProxyObject> proxy =
        OdDbProxyObject::cast(OdDbDictionaryPtr(db->getNamedObjectsDictionaryId().safeOpenObject())
                                  ->getAt(L"STOCK_LIB_MANAGER", OdDb::kForRead));
    ASSERT_TRUE(proxy && proxy->originalClass().name == L"StockLibManager");
    proxy = nullptr;
    db->writeFile(proxied);
  }
  SetUp();
  expectLoaded(proxied);
}

TEST_F(Record, UndoFilerMissingFileExternalOldNewerAndDamagedRecords) {
  OdSmartPtr<DbStockLibManager> record = DbStockLibManager::createObject();
  Bytes undo;
  record->dwgOutFields(odDbCreateMemoryWriter(undo, OdDbFiler::kUndoFiler));
  EXPECT_TRUE(undo.empty() && record->dwgInFields(odDbCreateMemoryReader(
                                  nullptr, 0, OdDbFiler::kUndoFiler)) == eOk);
  // An embedded record whose in-memory file is gone saves an empty library.
  stocklib::MemFs::instance().remove(record->primaryLibraryPath());
  EXPECT_EQ(filed(record).size(), filed(record, true).size() + 2 + 8 + 4 + 4);

  // Reading an external record into an embedded one frees the embedded file.
  record->setPrimaryLibraryPath(L"../libs/a.stocklib");
  record->setSecondaryLibraryPaths() = {L"s.stocklib"};
  OdSmartPtr<DbStockLibManager> target = DbStockLibManager::createObject();
  const OdString targetFile = target->primaryLibraryPath();
  ASSERT_EQ(readInto(target, filed(record)), eOk);
  EXPECT_TRUE(target->primaryLibraryPath() == L"../libs/a.stocklib" &&
              target->secondaryLibraryPaths() == OdArray<OdString>{L"s.stocklib"});
  EXPECT_FALSE(target->isPrimaryLibraryEmbedded() ||
               stocklib::MemFs::instance().exists(targetFile));

  OdSmartPtr<DbStockLibManager> source = DbStockLibManager::createObject();
  const std::size_t base = filed(source, true).size();

  // Version 0: embedded bytes only; the arrays keep what the object had.
  Bytes v0 = filed(source);
  v0.resize(base);
  v0.insert(v0.end(), {0, 3, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c'});  // version, size, bytes
  target = DbStockLibManager::createObject();
  target->setPrimaryLibraryPath(L"x.stocklib");
  target->setSecondaryLibraryPaths() = {L"kept.stocklib"};
  ASSERT_EQ(readInto(target, v0), eOk);
  EXPECT_TRUE(target->isPrimaryLibraryEmbedded());
  auto expectUnchanged = [&] {
    EXPECT_EQ(memFileBytes(target->primaryLibraryPath()), (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(target->secondaryLibraryPaths(), (OdArray<OdString>{L"kept.stocklib"}));
  };
  expectUnchanged();

  // A newer version is refused with nothing read.
  Bytes v2 = filed(source);
  v2[base] = 2;
  EXPECT_EQ(readInto(target, v2), eNotImplementedYet);
  expectUnchanged();

  // Truncated at every offset after the base data, and absurd counts: refused, unchanged.
  Bytes content = pattern(1000);
  stocklib::MemFs::instance()
      .open(source->primaryLibraryPath(), false)
      ->write(content.data(), 1000, 0);
  source->setSecondaryLibraryPaths() = {L"one.stocklib", L"two.stocklib"};
  source->setFilterTags() = {L"tag"};
  const Bytes good = filed(source);
  for (std::size_t cut = base; cut < good.size(); ++cut) {
    Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_NE(readInto(target, truncated), eOk) << "cut at " << cut;
    expectUnchanged();
  }
  auto patched = [&](std::size_t at, std::int64_t value, std::size_t width) {
    Bytes bytes = good;
    std::memcpy(bytes.data() + at, &value, width);
    return bytes;
  };
  const std::size_t sizeAt = base + 2;
  const std::size_t secondaryCountAt = sizeAt + 8 + content.size();
  for (const Bytes& hostile :
       {patched(sizeAt, std::int64_t(1) << 50, 8), patched(sizeAt, -5, 8),
        patched(secondaryCountAt, 0x7fffffff, 4), patched(secondaryCountAt, -1, 4)}) {
    EXPECT_NE(readInto(target, hostile), eOk);
    expectUnchanged();
  }
  ASSERT_EQ(readInto(target, good), eOk);
  EXPECT_EQ(memFileBytes(target->primaryLibraryPath()), content);
}
