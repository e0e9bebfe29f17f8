#include "platform/Exceptions.h"

namespace qx {

std::string ListIndexMessage(long long index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}

}  // namespace qx
