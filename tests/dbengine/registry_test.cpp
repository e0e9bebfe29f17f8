#include <gtest/gtest.h>

#include <vector>

#include "EngineTestUtil.h"
#include "dbengine/Dao.h"

namespace qx::dao {
namespace {

// An engine that only records that it was made.
class RecordingEngine : public DBEngine {
 public:
  std::shared_ptr<Database> OpenDatabase(const std::string&) override { return nullptr; }
  std::shared_ptr<Database> CreateDatabase(const std::string&, const std::string&, int) override { return nullptr; }
};

TEST(Registry, CreatesByIdentifierIgnoringCaseAndForgetsOnUnregister) {
  int made = 0;
  RegisterEngine("Test.Engine.1", [&] {
    ++made;
    return std::make_shared<RecordingEngine>();
  });
  EXPECT_NE(CreateEngine("test.ENGINE.1"), nullptr);
  EXPECT_EQ(made, 1);
  UnregisterEngine("TEST.Engine.1");
  EXPECT_ENGINE_ERROR(CreateEngine("Test.Engine.1"), "No database engine is registered as 'Test.Engine.1'.");
}

TEST(Registry, FactoryFailuresArriveAsEngineErrors) {
  RegisterEngine("Test.Throws", []() -> std::shared_ptr<DBEngine> { throw std::runtime_error("server gone"); });
  EXPECT_ENGINE_ERROR(CreateEngine("Test.Throws"), "'Test.Throws' could not be created", "server gone");
  RegisterEngine("Test.Null", [] { return std::shared_ptr<DBEngine>(); });
  EXPECT_ENGINE_ERROR(CreateEngine("Test.Null"), "'Test.Null' could not be created");
  UnregisterEngine("Test.Throws");
  UnregisterEngine("Test.Null");
}

TEST(Registry, BuiltinEngineIsRegisteredOnlyUnderItsOwnIdentifier) {
  RegisterBuiltinEngines();
  RegisterBuiltinEngines();  // a second call changes nothing
  EXPECT_NE(CreateEngine("DAO.DBEngine.120"), nullptr);
  EXPECT_ENGINE_ERROR(CreateEngine("DAO.DBEngine.36"), "DAO.DBEngine.36");
  EXPECT_ENGINE_ERROR(CreateEngine("DAO.DBEngine.35"), "DAO.DBEngine.35");
  UnregisterEngine("DAO.DBEngine.120");
}

}  // namespace
}  // namespace qx::dao
