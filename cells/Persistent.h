#pragma once
// The copyable-object root of the cell model. Assign copies the state of an
// object of a compatible class; anything else is refused with EAssignError,
// the way an unrelated copy is refused throughout the system.
#include <string>

namespace qx {

class TPersistent {
 public:
  virtual ~TPersistent() = default;
  virtual const char* ClassName() const { return "TPersistent"; }
  // Copies Source into this object. The base knows no compatible class and
  // raises EAssignError "Cannot assign a <source class> to a <this class>".
  virtual void Assign(const TPersistent& Source);

 protected:
  TPersistent() = default;
  TPersistent(const TPersistent&) = default;
  TPersistent& operator=(const TPersistent&) = default;
};

}  // namespace qx
