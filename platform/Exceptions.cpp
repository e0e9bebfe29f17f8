#include "platform/Exceptions.h"

#include <dlfcn.h>

namespace qx {

__attribute__((noinline)) Exception::Exception(const std::string& message)
    : std::runtime_error(message), raiser_(__builtin_return_address(0)) {}

uintptr_t Exception::Address() const {
  Dl_info info {};
  if (raiser_ == nullptr || ::dladdr(raiser_, &info) == 0 || info.dli_fbase == nullptr)
    return reinterpret_cast<uintptr_t>(raiser_);
  return reinterpret_cast<uintptr_t>(raiser_) - reinterpret_cast<uintptr_t>(info.dli_fbase);
}

std::string ListIndexMessage(long long index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}

}  // namespace qx
