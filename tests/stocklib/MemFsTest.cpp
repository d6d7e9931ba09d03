// In-memory files and libraries living in them: block access, growth and truncation, copying a
// library's bytes out and back, removal while open, counted registration.
#include "TestSupport.h"

using namespace stocklib;
using MemVfs = sltest::TempDir;

/// bytes: the content of `file`, read block by block.
static std::string bytes(const MemFile& file) {
  std::string out;
  std::size_t pieces = 0;
  uint64_t told = 0;
  file.readBlocks([&](uint64_t size) { told = size; },
                  [&](const void* p, std::size_t n) {
                    out.append(static_cast<const char*>(p), n);
                    ++pieces;
                  });
  EXPECT_EQ(told, out.size());
  EXPECT_EQ(pieces, (out.size() + file.blocksize() - 1) / file.blocksize());
  return out;
}

TEST_F(MemVfs, FilesGrowShrinkAndHoldLibrariesWhoseBytesCopyOut) {
  auto f = MemFs::instance().createUnique();
  ASSERT_TRUE(f);
  EXPECT_NE(MemFs::instance().createUnique()->filename(), f->filename());
  const std::size_t b = f->blocksize();
  EXPECT_EQ(bytes(*f), "");

  std::string text(b + 10, 'a');
  f->write(text.data(), text.size(), b - 5);  // spans the first two blocks and a third
  EXPECT_EQ(f->size(), 2 * b + 5);
  EXPECT_EQ(bytes(*f), std::string(b - 5, '\0') + text);

  char buf[8];
  EXPECT_EQ(f->read(buf, 8, 2 * b + 1), 4u);  // only four bytes left
  EXPECT_EQ(f->read(buf, 8, 10 * b), 0u);

  f->truncate(b - 2);  // bytes past the end read as zero when the file grows again
  EXPECT_EQ(f->size(), b - 2);
  f->write("x", 1, b + 1);  // leaves a gap from the old end
  EXPECT_EQ(f->size(), b + 2);
  EXPECT_EQ(f->read(buf, 5, b - 3), 5u);
  EXPECT_EQ(std::string(buf, 5), std::string("a\0\0\0x", 5));
  f->write(nullptr, 2, b - 4);  // no data: zeros
  EXPECT_EQ(f->read(buf, 2, b - 4), 2u);
  EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
  // fill replaces the whole content, piece by piece.
  char next = 'a';
  f->fill(b + 3, [&](void* p, std::size_t n) { std::memset(p, next++, n); });
  EXPECT_EQ(bytes(*f), std::string(b, 'a') + "bbb");
  EXPECT_TRUE(MemFs::instance().remove(f->filename()));
  EXPECT_FALSE(MemFs::instance().open(f->filename(), false));

  // install replaces a file under its name; whoever held the old one keeps its bytes.
  auto old = MemFs::instance().createUnique();
  old->write("old", 3, 0);
  auto fresh = std::make_shared<MemFile>(old->filename());
  fresh->write("fresh", 5, 0);
  EXPECT_FALSE(MemFs::instance().install(nullptr));
  EXPECT_TRUE(MemFs::instance().install(fresh));
  EXPECT_EQ(MemFs::instance().open(old->filename(), false), fresh);
  EXPECT_EQ(old->size(), 3u);
  EXPECT_TRUE(MemFs::instance().remove(fresh->filename()));

  // A library's bytes copied out open as the same library; the registration is counted.
  auto file = MemFs::instance().createUnique();
  const OdString location = OdString(L"memvfs://") + file->filename();
  std::shared_ptr<Library> lib =
      LibraryManager::instance().create(location, kLibraryUnitMillimeter, L"Embedded").value();
  auto ns = PropertyNamespace::create(L"User")->save(lib);
  auto set = PropertySet::create(ns, L"Fire");
  set->append_property_definition(L"Rating", PropertyType(1, 4))->set_default_int(90);
  set = set->save(lib);

  // Copied out between transactions, as a drawing save does.
  auto copy = MemFs::instance().createUnique();
  const std::string image = bytes(*file);
  copy->write(image.data(), image.size(), 0);
  std::shared_ptr<Library> twin =
      LibraryManager::instance().open(OdString(L"memvfs://") + copy->filename(), false).value();
  EXPECT_NE(twin, lib);
  EXPECT_EQ(twin->name(), L"Embedded");
  auto fire = twin->get<PropertySet>(DefinitionKey(L"Fire", ns->id()));
  ASSERT_TRUE(fire);
  EXPECT_EQ(fire->property_definitions().at(0)->default_int(), 90);

  // Removing the name while the library is open keeps its bytes for the library.
  EXPECT_TRUE(MemFs::instance().remove(copy->filename()));
  copy.reset();
  PropertyNamespace::create(L"More")->save(twin);
  EXPECT_TRUE(twin->get<PropertyNamespace>(NameKey(L"More")));
  twin.reset();

  // Registrations are counted (the fixture holds one), and kept while a database uses them.
  EXPECT_EQ(register_memvfs(), 2);
  EXPECT_EQ(unregister_memvfs(), 1);
  EXPECT_EQ(unregister_memvfs(), 0);
  EXPECT_TRUE(memvfs_registered());
  PropertyNamespace::create(L"Still")->save(lib);
  lib.reset();
  EXPECT_FALSE(memvfs_registered());
  EXPECT_FALSE(LibraryManager::instance().open(location, false));
  EXPECT_EQ(unregister_memvfs(), 0);  // never below zero
  register_memvfs();                  // for the fixture's TearDown
  EXPECT_TRUE(LibraryManager::instance()
                  .open(location, false)
                  .value()
                  ->get<PropertyNamespace>(NameKey(L"Still")));
  MemFs::instance().remove(file->filename());
}
