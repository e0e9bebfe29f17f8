#pragma once
// The system's own database engine: the object model of Dao.h over the
// storage backends of Backend.h. RegisterBuiltinEngines registers it as
// "DAO.DBEngine.120"; tests may also create it directly.
#include <memory>

#include "dbengine/Dao.h"

namespace qx::dao {

std::shared_ptr<DBEngine> CreateBuiltinEngine();

}  // namespace qx::dao
