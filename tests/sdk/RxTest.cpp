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

}  // namespace rxtest

using namespace rxtest;

TEST(RxClass, RegistrationDerivationCastingAndExtensions) {
  Shape::rxInit();
  Square::rxInit();
  Other::rxInit();
  EXPECT_EQ(odrxClassDictionary()->getAt(L"Square"), Square::desc());
  EXPECT_EQ(dbtest::errorCode([] { Shape::rxInit(); }), 313);  // registered twice
  {
    OdRxObjectPtr obj = Square::desc()->create();
    EXPECT_EQ(Shape::live, 1);
    EXPECT_TRUE(obj->isKindOf(Square::desc()));
    EXPECT_TRUE(obj->isKindOf(Shape::desc()));
    EXPECT_FALSE(obj->isKindOf(Other::desc()));
    EXPECT_FALSE(Shape::desc()->isDerivedFrom(Square::desc()));
    OdSmartPtr<Shape> shape = Shape::cast(obj);
    EXPECT_EQ(obj->numRefs(), 2);
    EXPECT_FALSE(Other::cast(obj));
    EXPECT_THROW(OdSmartPtr<Other> wrong(obj), OdError_NotThatKindOfClass);
    EXPECT_EQ(obj->numRefs(), 2);
    // A protocol extension of a class answers for objects of its derived classes.
    OdStaticRxObject<Other> extension;
    Shape::desc()->addX(Other::desc(), &extension);
    EXPECT_EQ(OdRxObjectPtr(obj->queryX(Other::desc()), kOdRxObjAttach).get(), &extension);
    Shape::desc()->delX(Other::desc());
    EXPECT_EQ(obj->queryX(Other::desc()), nullptr);
  }
  EXPECT_EQ(Shape::live, 0);
  EXPECT_FALSE(Other::desc()->create());  // abstract: the pseudo-constructor makes nothing
  Other::rxUninit();
  Square::rxUninit();
  Shape::rxUninit();
  EXPECT_EQ(Shape::desc(), nullptr);
  EXPECT_FALSE(odrxClassDictionary()->has(L"Square"));
  EXPECT_EQ(dbtest::errorCode([] { Shape::rxUninit(); }), 255);  // unregistered twice
  EXPECT_THROW(Shape::createObject(), OdError);
}
