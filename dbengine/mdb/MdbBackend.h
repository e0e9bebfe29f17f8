#pragma once
// The engine's storage backend for new Access databases (.mdb): the Jet 4
// writer behind the engine's Backend interface. Rows become durable when
// the database is closed (the file gets its name then); Commit has nothing
// to do in between.
#include <memory>
#include <string>

#include "dbengine/Backend.h"

namespace qx::dao {

// Creates a new .mdb database at path (nothing may exist there).
std::unique_ptr<Backend> CreateMdbBackend(const std::string& path);

}  // namespace qx::dao
