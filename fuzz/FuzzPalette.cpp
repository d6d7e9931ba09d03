// Fuzz target: a palette edit of a material or composition. The first bytes choose the object,
// one of its definitions (children included) and how the rest becomes a value: as text, a
// number read from the text, the raw bits of a double, a whole number, a boolean or no value.
// An edit the definition takes reads back and is saved by the store; a blank name is refused.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzLibraries.h"
#include "FuzzSupport.h"
#include "RxModule.h"
#include "sl_db/PropertySources.h"
#include "stocklib/Materials.h"
#include "ut/NumberText.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  return module ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using Value = tdx::PropertyValue;
  if (size < 3) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  const OdString text = fuzz::wide(rest);
  std::shared_ptr<stocklib::Library> library = fuzz::freshLibrary();
  KcSmartPtr<stocklib::Object> object;
  if (data[0] % 2) {
    object = stocklib::Composition::create(L"C")->saveObject(library, nullptr);
  } else {
    object = stocklib::Material::create(L"M")->saveObject(library, nullptr);
  }
  oa::PropertyInfoArray infos;
  for (const oa::PropertySourcePtr& source : sl_db::stocklibPropertySources())
    source->getAllPropertyDefinitions(infos, object.get());
  if (infos.isEmpty()) __builtin_trap();
  const oa::PropertyDefinitionPtr definition = infos[data[1] % infos.size()].definition;
  Value value(text);
  double real = 0.0;
  switch (data[2] % 6) {
    case 1:
      if (!ut::realFromText(text, real)) return fuzz::drop(library), 0;
      value = Value(real);
      break;
    case 2:
      std::memcpy(&real, rest.data(), std::min(rest.size(), sizeof real));
      value = Value(real);
      break;
    case 3:
      value = Value::integer(std::strtoll(rest.c_str(), nullptr, 10));
      break;
    case 4:
      value = Value(rest.size() % 2 == 1);
      break;
    case 5:
      value = Value(definition->type()->valueKind(), 0, Value::kNoValue);
      break;
  }
  const bool written = !definition->isReadOnly(object.get(), nullptr) &&
                       definition->validateValue(object.get(), value, nullptr) &&
                       definition->setValue(object.get(), value, nullptr);
  if (written) {
    if (definition->globalName() == L"Name" && value.kind() == Value::kString && text.isBlank())
      __builtin_trap();
    Value read;
    if (!definition->getValue(read, object.get(), nullptr)) __builtin_trap();
    try {
      object->saveObject(library, nullptr);
    } catch (const stocklib::Exception&) {
      __builtin_trap();  // the palette took what the store refuses
    }
  }
  fuzz::drop(library);
  return 0;
}
