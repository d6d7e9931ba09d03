// The library record of a drawing: finding and creating it, its accessors and open modes, and
// its filing: embedded bytes through drawing save and load, external paths, old and damaged
// records, and records kept as proxies while the module is not loaded.
#include <cstring>
#include <vector>

#include "../sldb/SldbRun.h"
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
    m_module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
    ASSERT_TRUE(m_module);
  }
  void TearDown() override { odrxModuleManager()->unloadModule(m_module); }

  static DbStockLibManagerPtr newRecord(OdDbDatabase& db) {
    return DbStockLibManager::getInstance(db, true, nullptr).safeOpenObject(OdDb::kForWrite);
  }
  static DbStockLibManagerPtr savedRecord(OdDbDatabase& db) {
    return DbStockLibManager::getInstance(db, false, nullptr).safeOpenObject();
  }
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
  /// A record's filed bytes (file filer).
  static Bytes filed(const DbStockLibManager* record) {
    Bytes out;
    record->dwgOutFields(odDbCreateMemoryWriter(out, OdDbFiler::kFileFiler));
    return out;
  }
  /// How many bytes of a record's filing belong to the base object.
  static std::size_t baseSize(const DbStockLibManager* record) {
    Bytes out;
    record->OdDbObject::dwgOutFields(odDbCreateMemoryWriter(out, OdDbFiler::kFileFiler));
    return out.size();
  }
  static OdResult readInto(DbStockLibManager* record, const Bytes& bytes) {
    try {
      return record->dwgInFields(
          odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler));
    } catch (const OdError& e) {
      return e.code();
    }
  }

  OdRxModulePtr m_module;
};

}  // namespace

TEST_F(Record, GetInstanceFindsCreatesAndRespectsForeignEntries) {
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  bool created = true;
  EXPECT_TRUE(DbStockLibManager::getInstance(*db, false, &created).isNull());
  EXPECT_FALSE(created);
  OdDbObjectId id = DbStockLibManager::getInstance(*db, true, &created);
  ASSERT_FALSE(id.isNull());
  EXPECT_TRUE(created);
  EXPECT_EQ(DbStockLibManager::getInstance(*db, true, &created), id);
  EXPECT_FALSE(created);
  EXPECT_EQ(DbStockLibManager::getInstance(*db), id);
  EXPECT_EQ(DbStockLibManager::getInstance(*db, false, nullptr), id);

  // Another class under the key: no record, nothing replaced, nothing created.
  OdDbDatabasePtr other = odDbCreateDatabase(true);
  OdDbDictionaryPtr root = other->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId foreign =
      root->setAt(DbStockLibManager::dictionaryKey(), OdDbDictionary::createObject());
  root->close();
  EXPECT_TRUE(DbStockLibManager::getInstance(*other, true, &created).isNull());
  EXPECT_FALSE(created);
  EXPECT_EQ(DbStockLibManager::getInstance(*other), foreign);
}

TEST_F(Record, AccessorsNeedTheRightOpenMode) {
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  OdDbObjectId id = DbStockLibManager::getInstance(*db, true, nullptr);
  DbStockLibManagerPtr record = id.safeOpenObject(OdDb::kForWrite);
  EXPECT_TRUE(record->isPrimaryLibraryEmbedded());
  OdString memName = record->primaryLibraryPath();
  EXPECT_TRUE(stocklib::MemFs::instance().exists(memName));
  record->setPrimaryLibraryEmbedded();  // already embedded: same file
  EXPECT_EQ(record->primaryLibraryPath(), memName);
  record->setPrimaryLibraryPath(L"lib/a.stocklib");
  EXPECT_FALSE(stocklib::MemFs::instance().exists(memName));
  EXPECT_FALSE(record->isPrimaryLibraryEmbedded());
  record->setPrimaryLibraryEmbedded();
  EXPECT_TRUE(record->isPrimaryLibraryEmbedded());
  EXPECT_NE(record->primaryLibraryPath(), memName);
  record->close();

  record = id.safeOpenObject(OdDb::kForRead);
  EXPECT_TRUE(record->secondaryLibraryPaths().isEmpty());
  EXPECT_EQ(sltest::odErrorOf([&] { record->setSecondaryLibraryPaths(); }), eNotOpenForWrite);
  EXPECT_EQ(sltest::odErrorOf([&] { record->setPrimaryLibraryPath(L"x"); }), eNotOpenForWrite);
  record->close();
  EXPECT_EQ(sltest::odErrorOf([&] { (void)record->isPrimaryLibraryEmbedded(); }), 61);
}

TEST_F(Record, EmbeddedBytesSurviveSaveAndLoad) {
  sltest::ScratchDir dir;
  const std::size_t block = stocklib::MemFile::kBlockSize;
  for (std::size_t size : {std::size_t(0), std::size_t(1), block, 3 * block, 3 * block + 17,
                           std::size_t(5) * 1024 * 1024 + 3}) {
    SCOPED_TRACE(size);
    Bytes bytes = pattern(size);
    OdString path = dir.file("d.sldrw");
    {
      OdDbDatabasePtr db = odDbCreateDatabase(true);
      DbStockLibManagerPtr record = newRecord(*db);
      auto file = stocklib::MemFs::instance().open(record->primaryLibraryPath(), false);
      ASSERT_TRUE(file);
      if (size) file->write(bytes.data(), size, 0);
      record->setSecondaryLibraryPaths() = {L"a.stocklib", L"", L"c.stocklib"};
      record->setFilterTags() = {L"", L"steel"};
      record->close();
      db->writeFile(path);
    }
    OdDbDatabasePtr loaded = odDbCreateDatabase(true);
    loaded->readFile(path);
    DbStockLibManagerPtr record = savedRecord(*loaded);
    ASSERT_TRUE(record->isPrimaryLibraryEmbedded());
    EXPECT_EQ(memFileBytes(record->primaryLibraryPath()), bytes);
    // Empty strings are dropped from both arrays.
    EXPECT_EQ(record->secondaryLibraryPaths(), (OdArray<OdString>{L"a.stocklib", L"c.stocklib"}));
    EXPECT_EQ(record->filterTags(), (OdArray<OdString>{L"steel"}));
  }
}

TEST_F(Record, UndoFilerAndMissingFileAndExternalRecords) {
  OdSmartPtr<DbStockLibManager> record = DbStockLibManager::createObject();
  Bytes undo;
  record->dwgOutFields(odDbCreateMemoryWriter(undo, OdDbFiler::kUndoFiler));
  EXPECT_TRUE(undo.empty());
  EXPECT_EQ(record->dwgInFields(odDbCreateMemoryReader(nullptr, 0, OdDbFiler::kUndoFiler)), eOk);

  // An embedded record whose in-memory file is gone saves an empty library.
  stocklib::MemFs::instance().remove(record->primaryLibraryPath());
  Bytes empty = filed(record);
  EXPECT_EQ(empty.size(), baseSize(record) + 2 + 8 + 4 + 4);

  OdSmartPtr<DbStockLibManager> external = DbStockLibManager::createObject();
  OdString ownFile = external->primaryLibraryPath();
  external->setPrimaryLibraryPath(L"../libs/a.stocklib");
  external->setSecondaryLibraryPaths() = {L"s.stocklib"};
  Bytes bytes = filed(external);

  // Reading an external record into an embedded one frees the embedded file.
  OdSmartPtr<DbStockLibManager> target = DbStockLibManager::createObject();
  OdString targetFile = target->primaryLibraryPath();
  ASSERT_EQ(readInto(target, bytes), eOk);
  EXPECT_FALSE(target->isPrimaryLibraryEmbedded());
  EXPECT_EQ(target->primaryLibraryPath(), L"../libs/a.stocklib");
  EXPECT_EQ(target->secondaryLibraryPaths(), (OdArray<OdString>{L"s.stocklib"}));
  EXPECT_FALSE(stocklib::MemFs::instance().exists(targetFile));
  EXPECT_FALSE(stocklib::MemFs::instance().exists(ownFile));
}

TEST_F(Record, OldNewerAndDamagedRecords) {
  OdSmartPtr<DbStockLibManager> source = DbStockLibManager::createObject();
  const std::size_t base = baseSize(source);

  // Version 0: embedded bytes only; the arrays keep what the object had.
  Bytes v0 = filed(source);
  v0.resize(base);
  v0.push_back(0);
  const std::int64_t n = 3;
  v0.insert(v0.end(), reinterpret_cast<const std::uint8_t*>(&n),
            reinterpret_cast<const std::uint8_t*>(&n) + 8);
  v0.insert(v0.end(), {'a', 'b', 'c'});
  OdSmartPtr<DbStockLibManager> target = DbStockLibManager::createObject();
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
  auto file = stocklib::MemFs::instance().open(source->primaryLibraryPath(), false);
  Bytes content = pattern(1000);
  file->write(content.data(), content.size(), 0);
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

TEST_F(Record, KeptAsProxyWhileTheModuleIsNotLoaded) {
  sltest::ScratchDir dir;
  OdString first = dir.file("first.sldrw"), second = dir.file("second.sldrw");
  {
    OdDbDatabasePtr db = odDbCreateDatabase(false);
    DbStockLibManagerPtr record = newRecord(*db);
    stocklib::MemFs::instance().open(record->primaryLibraryPath(), false)->write("library", 7, 0);
    record->setSecondaryLibraryPaths() = {L"imperial.stocklib"};
    record->close();
    db->writeFile(first);
  }
  ASSERT_TRUE(odrxModuleManager()->unloadModule(m_module));
  {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    db->readFile(first);
    OdDbDictionaryPtr root = db->getNamedObjectsDictionaryId().safeOpenObject();
    OdDbObjectPtr entry = root->getAt(L"STOCK_LIB_MANAGER", OdDb::kForRead);
    ASSERT_TRUE(entry);
    OdSmartPtr<OdDbProxyObject> proxy = OdDbProxyObject::cast(entry);
    ASSERT_TRUE(proxy);
    EXPECT_EQ(proxy->originalClass().name, L"StockLibManager");
    entry = nullptr;
    proxy = nullptr;
    root = nullptr;
    db->writeFile(second);
  }
  m_module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  ASSERT_TRUE(m_module);
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  db->readFile(second);
  DbStockLibManagerPtr record = savedRecord(*db);
  EXPECT_TRUE(record->isPrimaryLibraryEmbedded());
  EXPECT_EQ(memFileBytes(record->primaryLibraryPath()), (Bytes{'l', 'i', 'b', 'r', 'a', 'r', 'y'}));
  EXPECT_EQ(record->secondaryLibraryPaths(), (OdArray<OdString>{L"imperial.stocklib"}));
}

TEST_F(Record, ExportedEmbeddedLibraryOpensAsALibraryFile) {
  sltest::ScratchDir dir;
  OdString drawing = dir.file("d.sldrw"), exported = dir.file("out.stocklib");
  {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    DbStockLibManagerPtr record = newRecord(*db);
    auto library = stocklib::LibraryManager::instance().create(
        OdString(L"memvfs://") + record->primaryLibraryPath(), stocklib::kLibraryUnitMillimeter,
        L"embedded");
    ASSERT_TRUE(library);
    stocklib::PropertyNamespace::create(L"Exported")->save(library);
    record->close();
    db->writeFile(drawing);
  }
  ASSERT_EQ(
      sldbtest::run(dir.path().toUtf8(), SLDB_TOOL_PATH, "export-embedded d.sldrw out.stocklib").rc,
      0);
  auto opened = stocklib::LibraryManager::instance().open(exported, true);
  ASSERT_TRUE(opened) << opened.message().toUtf8();
  EXPECT_TRUE(opened->get<stocklib::PropertyNamespace>(stocklib::NameKey(L"Exported")));
}
