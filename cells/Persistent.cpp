#include "cells/Persistent.h"

#include "platform/Exceptions.h"

namespace qx {

void TPersistent::Assign(const TPersistent& Source) {
  throw EAssignError(std::string("Cannot assign a ") + Source.ClassName() + " to a " + ClassName());
}

}  // namespace qx
