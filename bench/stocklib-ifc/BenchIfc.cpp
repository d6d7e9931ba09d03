// IFC export and import of the shipped metric library; its XML export and import are the baseline.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "stocklib/Ifc.h"
#include "stocklib/MemFs.h"

using namespace stocklib;

namespace {

std::shared_ptr<Library> metric() {
  static std::shared_ptr<Library> lib = LibraryManager::instance().open(
      OdString((std::string(SL_SUPPORT_DIR) + "/metric.stocklib").c_str()), true);
  return lib;
}

std::shared_ptr<Library> freshLibrary() {
  register_memvfs();
  OdString name = MemFs::instance().createUnique()->filename();
  return LibraryManager::instance().create(OdString(L"memvfs://") + name, kLibraryUnitMillimeter,
                                           L"bench");
}

void drop(std::shared_ptr<Library>& lib) {
  OdString file = lib->filename().mid(9);
  lib.reset();
  MemFs::instance().remove(file);
}

void IfcExport(benchmark::State& state) {
  std::string out;
  for (auto _ : state) {
    (void)exportToIfc(*metric(), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}

void XmlExport(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("stocklib");
    metric()->exportToXml(root);
    benchmark::DoNotOptimize(root);
  }
}

void IfcImport(benchmark::State& state) {
  std::string text;
  (void)exportToIfc(*metric(), text);
  for (auto _ : state) {
    std::shared_ptr<Library> lib = freshLibrary();
    (void)importFromIfc(*lib, text);
    drop(lib);
  }
}

void XmlImport(benchmark::State& state) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  metric()->exportToXml(root);
  for (auto _ : state) {
    std::shared_ptr<Library> lib = freshLibrary();
    lib->importFromXml(root, Library::ImportOptions());
    drop(lib);
  }
}

}  // namespace

BENCHMARK(IfcExport)->Unit(benchmark::kMillisecond);
BENCHMARK(XmlExport)->Unit(benchmark::kMillisecond);
BENCHMARK(IfcImport)->Unit(benchmark::kMillisecond);
BENCHMARK(XmlImport)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
