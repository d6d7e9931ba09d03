// Runtime class of the shared test object.
#include "DbTestSupport.h"

namespace dbtest {
ODRX_DEFINE_MEMBERS(AllKinds, OdDbObject)
}
