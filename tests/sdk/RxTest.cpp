// Runtime classes: registration, derivation, casting, protocol extensions, reference counts.
#include "RxObject.h"

#include <gtest/gtest.h>

#include "DbTestSupport.h"

namespace rxtest {

class Shape : public OdRxObject {
  ODRX_DECLARE_MEMBERS(Shape)
 public:
  static int live;
  Shape() { ++live; }
  ~Shape() override { --live; }
};
int Shape::live = 0;
ODRX_DEFINE_MEMBERS(Shape, OdRxObject)

class Square : public Shape {
  ODRX_DECLARE_MEMBERS(Square)
};
ODRX_DEFINE_MEMBERS(Square, Shape)

class Other : public OdRxObject {
  ODRX_DECLARE_MEMBERS(Other)
};
ODRX_NO_CONS_DEFINE_MEMBERS(Other, OdRxObject)

struct Registered {
  Registered() {
    Shape::rxInit();
    Square::rxInit();
    Other::rxInit();
  }
  ~Registered() {
    Other::rxUninit();
    Square::rxUninit();
    Shape::rxUninit();
  }
};

}  // namespace rxtest

using namespace rxtest;

TEST(RxClass, RegistrationCodes) {
  {
    Registered registered;
    EXPECT_EQ(odrxClassDictionary()->getAt(L"Square"), Square::desc());
    EXPECT_EQ(dbtest::errorCode([] { Shape::rxInit(); }), 313);  // registered twice
  }
  EXPECT_EQ(Shape::desc(), nullptr);
  EXPECT_FALSE(odrxClassDictionary()->has(L"Square"));
  EXPECT_EQ(dbtest::errorCode([] { Shape::rxUninit(); }), 255);  // unregistered twice
  EXPECT_THROW(Shape::createObject(), OdError);
}

TEST(RxClass, DerivationCastingAndLifetime) {
  Registered registered;
  {
    OdRxObjectPtr obj = Square::desc()->create();
    ASSERT_TRUE(obj);
    EXPECT_EQ(Shape::live, 1);
    EXPECT_TRUE(obj->isKindOf(Shape::desc()));
    EXPECT_TRUE(obj->isKindOf(OdRxObject::desc()));
    EXPECT_FALSE(obj->isKindOf(Other::desc()));
    EXPECT_TRUE(Square::desc()->isDerivedFrom(Shape::desc()));
    EXPECT_FALSE(Shape::desc()->isDerivedFrom(Square::desc()));
    OdSmartPtr<Shape> shape = Shape::cast(obj);
    EXPECT_EQ(obj->numRefs(), 2);
    EXPECT_TRUE(shape);
    EXPECT_FALSE(Other::cast(obj));
    EXPECT_THROW(OdSmartPtr<Other> wrong(obj), OdError_NotThatKindOfClass);
    EXPECT_EQ(obj->numRefs(), 2);
  }
  EXPECT_EQ(Shape::live, 0);
  EXPECT_FALSE(Other::desc()->create());  // abstract: the pseudo-constructor makes nothing
}

TEST(RxClass, ProtocolExtensions) {
  Registered registered;
  OdStaticRxObject<Other> extension;
  Shape::desc()->addX(Other::desc(), &extension);
  OdRxObjectPtr square = Square::desc()->create();
  OdRxObjectPtr found(square->queryX(Other::desc()), kOdRxObjAttach);
  EXPECT_EQ(found.get(), &extension);
  Shape::desc()->delX(Other::desc());
  EXPECT_EQ(square->queryX(Other::desc()), nullptr);
}
