#pragma once
// A database engine for tests that records every member call (with its
// arguments, in order) and keeps its tables in memory. Failures can be
// scripted per member. Register it with RecordingEngine::Install.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbengine/Dao.h"

namespace qx::test {

struct RecordedField {
  std::string name;
  int type = 0;
  int size = 0;
  int attributes = 0;
};

struct RecordedTable {
  std::string name;
  std::vector<RecordedField> fields;
  std::vector<std::vector<Variant>> rows;  // values as the engine received them
};

struct RecordingState {
  std::vector<std::string> calls;               // "Member(arg, arg)" in call order
  std::map<std::string, RecordedTable> tables;  // by name as created
  bool databaseExists = false;                  // OpenDatabase succeeds
  // A call whose text starts with one of these raises EEngineError.
  std::vector<std::string> failOn;
  // Values whose text is in this list are refused by SetValue.
  std::vector<std::string> refuseValues;
  // Update fails for rows holding one of these texts.
  std::vector<std::string> refuseRowsWith;
};

class RecordingEngine {
 public:
  // Registers the engine under progId (default "DAO.DBEngine.120") and
  // unregisters it when destroyed. Every engine created shares state().
  explicit RecordingEngine(std::string progId = "DAO.DBEngine.120");
  ~RecordingEngine();
  RecordingEngine(const RecordingEngine&) = delete;
  RecordingEngine& operator=(const RecordingEngine&) = delete;

  RecordingState& state() { return *state_; }
  // Adds an existing table (before the run).
  void AddTable(const std::string& name, const std::vector<RecordedField>& fields);

 private:
  std::string progId_;
  std::shared_ptr<RecordingState> state_;
};

}  // namespace qx::test
