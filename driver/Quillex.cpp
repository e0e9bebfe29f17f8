#include "driver/Quillex.h"

namespace qx {

int RunQuillex(int, char**) { return 0; }

}  // namespace qx
