// The palette context: its runtime class, registered while the module is loaded, and recovering a
// context from a plain runtime object.
#include "DbEntity.h"
#include "OdError.h"
#include "RxModule.h"
#include "TestSupport.h"
#include "sl_db/DynamicPropertyContext.h"

using sl_db::DynamicPropertyContext;

namespace {

OdResult codeOf(void (*call)()) {
  try {
    call();
  } catch (const OdError& e) {
    return e.code();
  }
  return eOk;
}

}  // namespace

TEST(DynamicPropertyContext, CarriesEntityAndPlyIsRecoveredFromPlainObjectsAndSurvivesReload) {
  OdDbLinePtr line = OdDbLine::createObject();
  KcSmartPtr<DynamicPropertyContext> context = DynamicPropertyContext::createObject(line.get(), 3);
  ASSERT_TRUE(context);
  EXPECT_TRUE(context->isA() == DynamicPropertyContext::desc() && context->entity() == line.get() &&
              context->plyIndex() == 3);
  // Recovered from a plain object, the context is itself; nothing else is one.
  EXPECT_EQ(DynamicPropertyContext::queryX(static_cast<const OdRxObject*>(context.get())).get(),
            context.get());
  EXPECT_FALSE(DynamicPropertyContext::queryX(line.get()) ||
               DynamicPropertyContext::queryX(static_cast<const OdRxObject*>(nullptr)));
  // The class makes no objects by itself.
  EXPECT_FALSE(DynamicPropertyContext::createVirtualObject());

  // Registered once; unregistered it recovers nothing, and a module reload keeps it.
  EXPECT_EQ(codeOf(&DynamicPropertyContext::rxInit), eAlreadyRegistered);
  ASSERT_NE(DynamicPropertyContext::desc(), nullptr);

  DynamicPropertyContext::rxUninit();
  EXPECT_EQ(DynamicPropertyContext::desc(), nullptr);
  EXPECT_EQ(codeOf([] { DynamicPropertyContext::createVirtualObject(); }), eNotRegistered);
  EXPECT_EQ(codeOf(&DynamicPropertyContext::rxUninit), eNotRegistered);
  KcSmartPtr<DynamicPropertyContext> orphan = DynamicPropertyContext::createObject(nullptr, 1);
  EXPECT_FALSE(DynamicPropertyContext::queryX(orphan.get()));
  DynamicPropertyContext::rxInit();
  EXPECT_EQ(DynamicPropertyContext::queryX(orphan.get()).get(), orphan.get());

  // Loading and unloading the module as a host does, twice, leaves the class usable.
  for (int round = 0; round < 2; ++round) {
    OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
    ASSERT_TRUE(module);
    EXPECT_NE(DynamicPropertyContext::desc(), nullptr);
    EXPECT_TRUE(odrxModuleManager()->unloadModule(module));
  }
  ASSERT_NE(DynamicPropertyContext::desc(), nullptr);
  EXPECT_TRUE(DynamicPropertyContext::queryX(DynamicPropertyContext::createObject(nullptr, 0)));
}
