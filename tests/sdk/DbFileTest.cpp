// The drawing file: round trips of system variables, dictionaries, entities, every filed value
// kind, objects of every size, extension data of registered and unregistered kinds, proxies of
// unknown classes, and failing writes (of the file, or of an object filing differently each time
// it is asked) that keep the old file; the change lock, one changer at a time across processes,
// and a lock left by a killed process taken over.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbFileFaults.h"
#include "DbFileLock.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "DbTestSupport.h"

namespace dbfiletest {

/// Files `first` bytes of data the first time it is asked, `later` bytes every time after.
class Fickle : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Fickle)
 public:
  std::size_t first = 0, later = 0;
  mutable int calls = 0;
  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    std::vector<std::uint8_t> data(calls++ == 0 ? first : later, 7);
    f->wrBytes(data.data(), data.size());
  }
};
ODRX_DEFINE_MEMBERS(Fickle, OdDbObject)

}  // namespace dbfiletest

namespace {

using dbtest::AllKinds;
using dbtest::Note;
using dbtest::ScratchDir;
using Bytes = std::vector<std::uint8_t>;

// The extension data of `kind` on the drawing's dictionary, when that kind is registered.
OdSmartPtr<Note> note(const OdDbDatabasePtr& db, const OdString& kind) {
  OdDbObjectPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject();
  return OdSmartPtr<Note>(dynamic_cast<Note*>(nod->extension(kind)));
}

// Fails unless `call` throws eFileLocked naming `pid`.
template <class F>
void expectLockedBy(pid_t pid, F&& call) {
  OdString why;
  EXPECT_EQ(dbtest::errorCode(call, &why), eFileLocked);
  EXPECT_EQ(why, OdString::formatted(L"the drawing is being changed by process %d", int(pid)));
}

TEST(DbFile, RoundTripOfContents) {
  ScratchDir dir;
  OdString path = dir.file("a.sldrw"), again = dir.file("b.sldrw");
  const OdString unknown(L"test.later");
  odDbRegisterObjectExtension(unknown, &Note::make);
  // The first object is the sample; then sizes of data around where the writer changes course
  // (memory or streaming, buffer or `write`), a large object, and many small ones after it.
  const std::size_t k64 = 64u << 10, m1 = 1u << 20;
  std::vector<std::size_t> sizes = {5, 1000, k64 - 60, k64 - 40, k64, m1 - 1, m1, m1 + 1, 6 * m1};
  for (std::size_t k = 0; k < 300; ++k)
    sizes.push_back(k);
  std::vector<OdDbHandle> handles;
  std::vector<Bytes> filed, contents;
  OdDbHandle lineHandle, goneHandle;
  {
    dbtest::AllKindsClass allKinds;
    {
      OdDbDatabasePtr db = odDbCreateDatabase(false);
      db->setINSUNITS(OdDb::kUnitsFeet);
      OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
      OdDbLinePtr line = OdDbLine::createObject();
      line->setStartPoint(OdGePoint3d(1, 2, 3));
      line->setEndPoint(OdGePoint3d(4, 5, 6));
      line->setColorIndex(7);
      lineHandle = ms->appendOdDbEntity(line).handle();
      OdDbCirclePtr circle = OdDbCircle::createObject();
      circle->setRadius(2.5);
      ms->appendOdDbEntity(circle);
      OdDbPolylinePtr pl = OdDbPolyline::createObject();
      for (unsigned i = 0; i < 3; ++i)
        pl->addVertexAt(i, OdGePoint2d(i > 0, i > 1));
      pl->setClosed(true);
      ms->appendOdDbEntity(pl);
      OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
      OdDbDictionaryPtr sub = OdDbDictionary::createObject();
      nod->setAt(OdString(L"SUB"), sub);
      nod->setExtension(unknown, Note::of(OdString(L"bytes"), -1));
      for (std::size_t i = 0; i < sizes.size(); ++i) {
        OdSmartPtr<AllKinds> p = AllKinds::createObject();
        p->fillSample();
        if (i > 0) p->bytes.resize(sizes[i]);
        for (std::size_t k = 0; i > 0 && k < sizes[i]; ++k)
          p->bytes[k] = static_cast<std::uint8_t>(k * 131 + i);
        contents.push_back(p->bytes);
        handles.push_back(sub->setAt(OdString::formatted(L"p%d", int(i)), p).handle());
        p->dwgOutFields(
            odDbCreateMemoryWriter(filed.emplace_back(), OdDbFiler::kFileFiler, db.get()));
      }
      OdDbLinePtr gone = OdDbLine::createObject();
      goneHandle = ms->appendOdDbEntity(gone).handle();
      gone->erase();  // erased objects are not saved, their handles are not given again
      nod = nullptr;
      odDbUnregisterObjectExtension(unknown);  // live data becomes bytes
      EXPECT_THROW(odDbUnregisterObjectExtension(unknown), OdError);
      db->writeFile(path);
    }
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(path);
    EXPECT_EQ(db->getFilename(), path);
    EXPECT_EQ(db->getMEASUREMENT(), 0);
    EXPECT_EQ(db->getINSUNITS(), 2);
    EXPECT_EQ(db->numObjects(), 6 + sizes.size());  // nod, ms, 3 entities, sub, the sized ones
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject();
    auto ids = ms->entityIds();
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[0].handle(), lineHandle);
    OdDbLinePtr line = ids[0].safeOpenObject();
    EXPECT_EQ(line->startPoint(), OdGePoint3d(1, 2, 3));
    EXPECT_EQ(line->endPoint(), OdGePoint3d(4, 5, 6));
    EXPECT_EQ(line->colorIndex(), 7);
    EXPECT_EQ(line->ownerId(), db->getModelSpaceId());
    EXPECT_EQ(OdDbCirclePtr(ids[1].safeOpenObject())->radius(), 2.5);
    OdDbPolylinePtr pl = ids[2].safeOpenObject();
    EXPECT_EQ(pl->numVerts(), 3u);
    EXPECT_EQ(pl->getPointAt(2), OdGePoint2d(1, 1));
    EXPECT_TRUE(pl->isClosed());
    EXPECT_TRUE(OdSmartPtr<AllKinds>(db->getOdDbObjectId(handles[0]).safeOpenObject())->isSample());
    for (std::size_t i = 0; i < handles.size(); ++i)
      ASSERT_EQ(OdSmartPtr<AllKinds>(db->getOdDbObjectId(handles[i]).safeOpenObject())->bytes,
                contents[i])
          << i;
    EXPECT_FALSE(note(db, unknown));  // kept as bytes
    EXPECT_EQ(
        OdDbObjectPtr(db->getNamedObjectsDictionaryId().safeOpenObject())->extensionKinds().size(),
        1u);
    // New objects never reuse a handle of the file, nor one of an object erased before saving.
    EXPECT_GT(handles[0].value(), lineHandle.value());
    EXPECT_GT(db->handseed().value(), goneHandle.value());
  }
  // Their class unknown now, the objects are proxies that keep the exact bytes of their records,
  // which must be those a memory filer made, as the unknown extension data keeps its own:
  // written again, the same file.
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(path);
    for (std::size_t i = 0; i < handles.size(); ++i) {
      OdDbProxyObjectPtr proxy = db->getOdDbObjectId(handles[i]).safeOpenObject();
      ASSERT_TRUE(proxy->data() == filed[i]) << "object " << i;
      EXPECT_EQ(proxy->originalClass().name, OdString(L"AllKinds"));
      EXPECT_EQ(proxy->originalClass().parentName, OdString(L"OdDbObject"));
    }
    db->writeFile(again);
    odDbRegisterObjectExtension(unknown, &Note::make);
    ASSERT_TRUE(note(db, unknown));  // converted once the kind is known
    EXPECT_EQ(note(db, unknown)->text, OdString(L"bytes"));
    EXPECT_EQ(note(db, unknown)->number, -1);
  }
  EXPECT_TRUE(dbtest::readBytes(path) == dbtest::readBytes(again));
  odDbUnregisterObjectExtension(unknown);
}

TEST(DbFile, EachFailingFileOperationOfAWriteKeepsTheOldDrawing) {
  ScratchDir dir;
  OdString path = dir.file("f.sldrw");
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->writeFile(path);
  const Bytes old = dbtest::readBytes(path);
  db->setINSUNITS(OdDb::kUnitsMeters);
  EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(dir.file("missing-folder/x.sldrw")); }),
            eFileWriteError);
  odDbSetWriteFault(0, false);
  db->writeFile(dir.file("count.sldrw"));
  const std::uint64_t operations = odDbWriteOperations();
  ASSERT_GE(operations, 4u);  // writes, sync, close, rename
  for (bool persistent : {false, true}) {
    for (std::uint64_t at = 1; at <= operations; ++at) {
      SCOPED_TRACE((persistent ? "from operation " : "at operation ") + std::to_string(at));
      odDbSetWriteFault(at, persistent);
      EXPECT_THROW(db->writeFile(path), OdError);
      odDbSetWriteFault(0, false);
      EXPECT_EQ(dbtest::readBytes(path), old);
      EXPECT_EQ(dbtest::filesIn(dir.path()), 2);  // no temporary file left beside the two drawings
    }
  }
  // The drawing in memory is as it was: the next write replaces the file and holds the change.
  db->writeFile(path);
  EXPECT_EQ(dbtest::filesIn(dir.path()), 2);
  OdDbDatabasePtr back = odDbCreateDatabase();
  back->readFile(path);
  EXPECT_EQ(back->getINSUNITS(), OdDb::kUnitsMeters);

  // An object too large to be filed only once that files more, then fewer bytes the second time
  // fails the save, to the old file or a new one.
  dbfiletest::Fickle::rxInit();
  OdSmartPtr<dbfiletest::Fickle> fickle = dbfiletest::Fickle::createObject();
  OdDbDictionaryPtr(db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite))
      ->setAt(OdString(L"fickle"), fickle);
  const OdString fresh = dir.file("g.sldrw");
  const Bytes now = dbtest::readBytes(path);
  for (std::size_t size : {(3u << 20) + 1, (3u << 20) - 8}) {
    fickle->first = 3u << 20;
    fickle->later = size;
    for (const OdString& target : {path, fresh}) {
      fickle->calls = 0;
      OdString why;
      EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(target); }, &why), eFileWriteError);
      EXPECT_NE(why.find(L"Fickle"), -1) << why.toUtf8();
    }
    EXPECT_TRUE(dbtest::readBytes(path) == now);
    EXPECT_EQ(dbtest::filesIn(dir.path()), 2);
  }
  fickle->later = fickle->first;  // consistent again: it saves
  db->writeFile(fresh);
  EXPECT_EQ(dbtest::filesIn(dir.path()), 3);
  fickle = nullptr;
  db = nullptr;
  dbfiletest::Fickle::rxUninit();
}

TEST(DbFileLock, OneChangerAtATimeAndAKilledOneIsTakenOver) {
  dbtest::ScratchDir dir;
  const OdString path = dir.file("shared.sldrw");
  odDbCreateDatabase()->writeFile(path);
  const std::vector<std::uint8_t> before = dbtest::readBytes(path);

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    OdDbDatabasePtr holder = odDbCreateDatabase();
    odDbReadFileForChange(holder.get(), path);
    char c = 1;
    if (::write(ready[1], &c, 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);

  // While the child changes it: no second changer, no save; reading is still allowed.
  OdDbDatabasePtr other = odDbCreateDatabase();
  expectLockedBy(child, [&] { odDbReadFileForChange(other.get(), path); });
  other->readFile(path);
  other->setINSUNITS(OdDb::kUnitsMeters);
  expectLockedBy(child, [&] { other->writeFile(path); });
  EXPECT_EQ(dbtest::readBytes(path), before);

  // Killed while holding it: its lock file stays, and is taken over.
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(std::filesystem::exists(path.toUtf8() + ".lock"));
  OdDbDatabasePtr changer = odDbCreateDatabase();
  odDbReadFileForChange(changer.get(), path);
  changer->setINSUNITS(OdDb::kUnitsMeters);
  changer->writeFile(path);
  odDbReadFileForChange(changer.get(), path);  // reading again for change keeps the lock it holds
  // Another drawing of this process is another changer.
  expectLockedBy(::getpid(), [&] { odDbReadFileForChange(odDbCreateDatabase().get(), path); });
  expectLockedBy(::getpid(), [&] { other->writeFile(path); });
  // Holding one drawing's lock is no leave to save over another one being changed.
  const OdString second = dir.file("second.sldrw");
  odDbCreateDatabase()->writeFile(second);
  OdDbDatabasePtr secondChanger = odDbCreateDatabase();
  odDbReadFileForChange(secondChanger.get(), second);
  expectLockedBy(::getpid(), [&] { changer->writeFile(second); });

  // Released with the drawing, lock file and all.
  changer = nullptr;
  EXPECT_FALSE(std::filesystem::exists(path.toUtf8() + ".lock"));
  OdDbDatabasePtr next = odDbCreateDatabase();
  odDbReadFileForChange(next.get(), path);
  EXPECT_EQ(next->getINSUNITS(), OdDb::kUnitsMeters);
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
