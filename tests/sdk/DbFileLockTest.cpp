// The change lock of drawing files: one changer at a time, across processes, and a lock left by
// a killed process taken over.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "DbDatabase.h"
#include "DbFileLock.h"
#include "DbTestSupport.h"

namespace {

// Fails unless `call` throws eFileLocked naming `pid`.
template <class F>
void expectLockedBy(pid_t pid, F&& call) {
  OdString why;
  EXPECT_EQ(dbtest::errorCode(call, &why), eFileLocked);
  EXPECT_EQ(why, OdString::formatted(L"the drawing is being changed by process %d", int(pid)));
}

}  // namespace

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
