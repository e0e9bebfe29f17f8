// The object registry: engine factories by programmatic identifier, matched
// without regard to ASCII letter case.
#include <map>

#include "dbengine/Dao.h"
#include "dbengine/Engine.h"
#include "platform/Exceptions.h"

namespace qx::dao {

namespace {

std::string Key(const std::string& progId) {
  std::string k = progId;
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return k;
}

std::map<std::string, EngineFactory>& Factories() {
  static std::map<std::string, EngineFactory> factories;
  return factories;
}

}  // namespace

void RegisterEngine(const std::string& progId, EngineFactory factory) { Factories()[Key(progId)] = std::move(factory); }

void UnregisterEngine(const std::string& progId) { Factories().erase(Key(progId)); }

std::shared_ptr<DBEngine> CreateEngine(const std::string& progId) {
  auto it = Factories().find(Key(progId));
  if (it == Factories().end() || !it->second)
    throw EEngineError("No database engine is registered as '" + progId + "'.");
  std::shared_ptr<DBEngine> engine;
  try {
    engine = it->second();
  } catch (const EEngineError&) {
    throw;
  } catch (const std::exception& e) {
    throw EEngineError("The database engine '" + progId + "' could not be created: " + e.what());
  }
  if (engine == nullptr) throw EEngineError("The database engine '" + progId + "' could not be created.");
  return engine;
}

void RegisterBuiltinEngines() { RegisterEngine("DAO.DBEngine.120", [] { return CreateBuiltinEngine(); }); }

}  // namespace qx::dao
