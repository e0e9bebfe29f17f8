#include "driver/ConversionRun.h"

namespace qx {

void RunConversion(const RunOptions&) {}

}  // namespace qx
