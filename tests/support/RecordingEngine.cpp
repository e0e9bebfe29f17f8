#include "support/RecordingEngine.h"

#include <algorithm>

#include "cells/KelUtils.h"
#include "platform/Exceptions.h"
#include "platform/VarConvert.h"

namespace qx::test {

namespace {

using StatePtr = std::shared_ptr<RecordingState>;

std::string Describe(const Variant& v) {
  if (v.IsNull()) return "Null";
  if (v.IsEmpty()) return "Empty";
  if (v.Kind() == VarKind::Bytes) {
    std::string s = "bytes:";
    for (uint8_t b : v.AsBytes()) s.push_back(static_cast<char>(b));
    return s;
  }
  if (v.IsText()) return "'" + v.AsText() + "'";
  return VarKindName(v.Kind());
}

void Record(const StatePtr& st, const std::string& call) {
  st->calls.push_back(call);
  for (const auto& f : st->failOn)
    if (call.rfind(f, 0) == 0) throw EEngineError("Recorded failure of " + call);
}

class RecField : public dao::Field {
 public:
  RecField(StatePtr st, RecordedField def, std::vector<Variant>* pending)
      : st_(std::move(st)), def_(std::move(def)), pending_(pending) {}
  std::string Name() const override { return def_.name; }
  int Type() const override {
    st_->calls.push_back("Field(" + def_.name + ").Type");
    return def_.type;
  }
  int Size() const override { return def_.size; }
  int Attributes() const override { return def_.attributes; }
  void SetAttributes(int a) override {
    Record(st_, "Field(" + def_.name + ").Attributes=" + std::to_string(a));
    def_.attributes = a;
  }
  void SetValue(const Variant& v) override {
    Record(st_, "Field(" + def_.name + ").Value=" + Describe(v));
    if (v.IsText() && std::find(st_->refuseValues.begin(), st_->refuseValues.end(), v.AsText()) != st_->refuseValues.end())
      throw EEngineError("Value refused: " + v.AsText());
    if (pending_) (*pending_)[static_cast<size_t>(index_)] = v;
  }
  RecordedField& def() { return def_; }
  int index_ = 0;

 private:
  StatePtr st_;
  RecordedField def_;
  std::vector<Variant>* pending_;
};

class RecFields : public dao::Fields {
 public:
  explicit RecFields(StatePtr st, std::string owner) : st_(std::move(st)), owner_(std::move(owner)) {}
  int Count() const override { return static_cast<int>(items_.size()); }
  std::shared_ptr<dao::Field> Item(int index) override {
    Record(st_, owner_ + ".Fields(" + std::to_string(index) + ")");
    if (index < 0 || index >= Count()) throw EEngineError("Item not found in this collection.");
    return items_[static_cast<size_t>(index)];
  }
  void Append(const std::shared_ptr<dao::Field>& f) override {
    Record(st_, owner_ + ".Fields.Append(" + f->Name() + ")");
    auto rf = std::static_pointer_cast<RecField>(f);
    rf->index_ = Count();
    items_.push_back(rf);
  }
  std::vector<std::shared_ptr<RecField>> items_;

 private:
  StatePtr st_;
  std::string owner_;
};

class RecTableDef : public dao::TableDef {
 public:
  RecTableDef(StatePtr st, std::string name) : st_(st), name_(std::move(name)), fields_(st, "TableDef(" + name_ + ")") {}
  std::string Name() const override {
    st_->calls.push_back("TableDef.Name");
    return name_;
  }
  std::shared_ptr<dao::Field> CreateField(const std::string& name, int type, int size) override {
    Record(st_, "TableDef(" + name_ + ").CreateField(" + name + ", " + std::to_string(type) + ", " +
                    std::to_string(size) + ")");
    return std::make_shared<RecField>(st_, RecordedField{name, type, size, 0}, nullptr);
  }
  dao::Fields& GetFields() override { return fields_; }
  RecFields& fields() { return fields_; }
  const std::string& name() const { return name_; }

 private:
  StatePtr st_;
  std::string name_;
  RecFields fields_;
};

class RecTableDefs : public dao::TableDefs {
 public:
  explicit RecTableDefs(StatePtr st) : st_(std::move(st)) {}
  int Count() override {
    Record(st_, "TableDefs.Count");
    return static_cast<int>(st_->tables.size());
  }
  std::shared_ptr<dao::TableDef> Item(int index) override {
    Record(st_, "TableDefs.Item(" + std::to_string(index) + ")");
    if (index < 0 || index >= static_cast<int>(st_->tables.size()))
      throw EEngineError("Item not found in this collection.");
    auto it = st_->tables.begin();
    std::advance(it, index);
    return std::make_shared<RecTableDef>(st_, it->first);
  }
  void Delete(const std::string& name) override {
    Record(st_, "TableDefs.Delete(" + name + ")");
    for (auto it = st_->tables.begin(); it != st_->tables.end(); ++it)
      if (SameTextAscii(it->first, name)) {
        st_->tables.erase(it);
        return;
      }
    throw EEngineError("No table " + name);
  }
  void Append(const std::shared_ptr<dao::TableDef>& td) override {
    auto rt = std::static_pointer_cast<RecTableDef>(td);
    Record(st_, "TableDefs.Append(" + rt->name() + ")");
    RecordedTable t;
    t.name = rt->name();
    for (auto& f : rt->fields().items_) t.fields.push_back(f->def());
    st_->tables[t.name] = t;
  }

 private:
  StatePtr st_;
};

class RecRecordset : public dao::Recordset {
 public:
  RecRecordset(StatePtr st, std::string table) : st_(st), table_(std::move(table)), fields_(st, "Recordset") {
    for (const auto& f : st_->tables[table_].fields) {
      auto rf = std::make_shared<RecField>(st_, f, &pending_);
      rf->index_ = static_cast<int>(fields_.items_.size());
      fields_.items_.push_back(rf);
    }
  }
  void AddNew() override {
    Record(st_, "Recordset.AddNew");
    pending_.assign(fields_.items_.size(), Variant::Null());
  }
  dao::Fields& GetFields() override { return fields_; }
  void Update(int type, bool force) override {
    Record(st_, "Recordset.Update(" + std::to_string(type) + ", " + (force ? "true" : "false") + ")");
    for (const auto& v : pending_)
      if (v.IsText() && std::find(st_->refuseRowsWith.begin(), st_->refuseRowsWith.end(), v.AsText()) != st_->refuseRowsWith.end())
        throw EEngineError("Row refused");
    st_->tables[table_].rows.push_back(pending_);
  }
  void Close() override { Record(st_, "Recordset.Close"); }

 private:
  StatePtr st_;
  std::string table_;
  RecFields fields_;
  std::vector<Variant> pending_;
};

class RecDatabase : public dao::Database {
 public:
  explicit RecDatabase(StatePtr st) : st_(st), defs_(st) {}
  dao::TableDefs& GetTableDefs() override {
    Record(st_, "Database.TableDefs");
    return defs_;
  }
  std::shared_ptr<dao::TableDef> CreateTableDef(const std::string& name, int attributes, const std::string& source,
                                                const std::string& connect) override {
    Record(st_, "Database.CreateTableDef(" + name + ", " + std::to_string(attributes) + ", '" + source + "', '" +
                    connect + "')");
    return std::make_shared<RecTableDef>(st_, name);
  }
  std::shared_ptr<dao::Recordset> OpenRecordset(const std::string& name, int type, int options, int lock) override {
    Record(st_, "Database.OpenRecordset(" + name + ", " + std::to_string(type) + ", " + std::to_string(options) +
                    ", " + std::to_string(lock) + ")");
    for (auto& [key, t] : st_->tables)
      if (SameTextAscii(key, name)) return std::make_shared<RecRecordset>(st_, key);
    throw EEngineError("No table " + name);
  }
  void Close() override { Record(st_, "Database.Close"); }

 private:
  StatePtr st_;
  RecTableDefs defs_;
};

class RecEngine : public dao::DBEngine {
 public:
  explicit RecEngine(StatePtr st) : st_(std::move(st)) {}
  std::shared_ptr<dao::Database> OpenDatabase(const std::string& name) override {
    Record(st_, "DBEngine.OpenDatabase(" + name + ")");
    if (!st_->databaseExists) throw EEngineError("Not a database: " + name);
    return std::make_shared<RecDatabase>(st_);
  }
  std::shared_ptr<dao::Database> CreateDatabase(const std::string& name, const std::string& locale,
                                                int options) override {
    Record(st_, "DBEngine.CreateDatabase(" + name + ", " + locale + ", " + std::to_string(options) + ")");
    st_->databaseExists = true;
    return std::make_shared<RecDatabase>(st_);
  }

 private:
  StatePtr st_;
};

}  // namespace

RecordingEngine::RecordingEngine(std::string progId)
    : progId_(std::move(progId)), state_(std::make_shared<RecordingState>()) {
  StatePtr st = state_;
  dao::RegisterEngine(progId_, [st] { return std::make_shared<RecEngine>(st); });
}

RecordingEngine::~RecordingEngine() { dao::UnregisterEngine(progId_); }

void RecordingEngine::AddTable(const std::string& name, const std::vector<RecordedField>& fields) {
  RecordedTable t;
  t.name = name;
  t.fields = fields;
  state_->tables[name] = t;
  state_->databaseExists = true;
}

}  // namespace qx::test
