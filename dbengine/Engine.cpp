#include "dbengine/Engine.h"

#include <sys/stat.h>

#include <vector>

#include "dbengine/Backend.h"
#include "dbengine/FieldConvert.h"
#include "dbengine/FieldTypes.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace qx::dao {

namespace {

// Names cross this object model in the ANSI code page and the storage in
// UTF-8.
std::string ToStorage(const std::string& ansi) { return AnsiToUtf8(ansi); }
std::string FromStorage(const std::string& utf8) { return Utf8ToAnsi(utf8); }

void CheckName(const std::string& name, const char* what) {
  if (name.find('\0') != std::string::npos)
    throw EEngineError(std::string("The ") + what + " name '" + name.substr(0, name.find('\0')) +
                       "...' holds a NUL character.");
}

// What the database and every object made from it share.
struct DbState {
  std::string path;
  std::unique_ptr<Backend> backend;
  bool closed = false;

  void CheckOpen() const {
    if (closed) throw EEngineError("The database '" + path + "' is closed.");
  }
  // The stored name of the table called name, ignoring ASCII letter case;
  // empty when there is none.
  std::string FindTable(const std::string& ansiName) const {
    std::string wanted = ToStorage(ansiName);
    for (const std::string& n : backend->TableNames())
      if (SameNameIgnoringAsciiCase(n, wanted)) return n;
    return "";
  }
};

// ---- table definitions -----------------------------------------------------

class DefField : public Field {
 public:
  DefField(std::string name, int type, int size, int attributes)
      : name_(std::move(name)), type_(type), size_(size), attributes_(attributes) {}

  std::string Name() const override { return name_; }
  int Type() const override { return type_; }
  int Size() const override { return size_; }
  int Attributes() const override { return attributes_; }
  void SetAttributes(int attributes) override {
    if (frozen_)
      throw EEngineError("Cannot change the attributes of field '" + name_ + "': its table already exists.");
    attributes_ = attributes;
  }
  void SetValue(const Variant&) override {
    throw EEngineError("Cannot store a value in field '" + name_ +
                       "': it is part of a table definition, not of a recordset.");
  }

  bool owned = false;   // appended to a table definition
  bool frozen_ = false; // its table exists in the database

 private:
  std::string name_;
  int type_, size_, attributes_;
};

class TableDefImpl : public TableDef {
 public:
  // A new definition (exists == false) or one of an existing table.
  TableDefImpl(std::shared_ptr<DbState> state, std::string name, bool exists)
      : state_(std::move(state)), name_(std::move(name)), exists_(exists), fields_(this) {}

  std::string Name() const override { return name_; }

  std::shared_ptr<Field> CreateField(const std::string& name, int type, int size) override {
    CheckName(name, "field");
    if (name.empty()) throw EEngineError("Cannot create a field with an empty name in table '" + name_ + "'.");
    if (!IsKnownFieldType(type))
      throw EEngineError("Cannot create field '" + name + "' in table '" + name_ + "': " + std::to_string(type) +
                         " is not a field type.");
    return std::make_shared<DefField>(name, type, EffectiveFieldSize(type, size), 0);
  }

  Fields& GetFields() override { return fields_; }

  const std::shared_ptr<DbState>& State() const { return state_; }
  bool Exists() const { return exists_; }
  std::vector<std::shared_ptr<DefField>>& FieldList() {
    LoadStoredFields();
    return list_;
  }
  void MarkCreated() {
    exists_ = true;
    loaded_ = true;
    for (auto& f : list_) f->frozen_ = true;
  }

 private:
  class DefFields : public Fields {
   public:
    explicit DefFields(TableDefImpl* owner) : owner_(owner) {}
    int Count() const override {
      owner_->LoadStoredFields();
      return static_cast<int>(owner_->list_.size());
    }
    std::shared_ptr<Field> Item(int index) override {
      owner_->LoadStoredFields();
      if (index < 0 || static_cast<size_t>(index) >= owner_->list_.size())
        throw EEngineError("Field index " + std::to_string(index) + " is out of range: table '" + owner_->name_ +
                           "' has " + std::to_string(owner_->list_.size()) + " fields.");
      return owner_->list_[static_cast<size_t>(index)];
    }
    void Append(const std::shared_ptr<Field>& field) override { owner_->AppendField(field); }

   private:
    TableDefImpl* owner_;
  };

  void AppendField(const std::shared_ptr<Field>& field) {
    auto def = std::dynamic_pointer_cast<DefField>(field);
    if (def == nullptr) throw EEngineError("Only fields made by CreateField can be added to table '" + name_ + "'.");
    if (exists_)
      throw EEngineError("Cannot add field '" + def->Name() + "' to table '" + name_ +
                         "': the table already exists in the database.");
    if (def->owned)
      throw EEngineError("Cannot add field '" + def->Name() + "' to table '" + name_ +
                         "': it already belongs to a table definition.");
    for (const auto& f : list_)
      if (SameNameIgnoringAsciiCase(f->Name(), def->Name()))
        throw EEngineError("Cannot add field '" + def->Name() + "' to table '" + name_ +
                           "': the table already has a field of that name.");
    def->owned = true;
    list_.push_back(def);
  }

  // The fields of an existing table are read from storage when first asked for.
  void LoadStoredFields() {
    if (loaded_ || !exists_) return;
    state_->CheckOpen();
    for (const ColumnSpec& c : state_->backend->Columns(ToStorage(name_))) {
      auto f = std::make_shared<DefField>(FromStorage(c.name), c.type, c.size, c.attributes);
      f->owned = f->frozen_ = true;
      list_.push_back(std::move(f));
    }
    loaded_ = true;
  }

  std::shared_ptr<DbState> state_;
  std::string name_;
  bool exists_;
  bool loaded_ = false;
  std::vector<std::shared_ptr<DefField>> list_;
  DefFields fields_;
};

class TableDefsImpl : public TableDefs {
 public:
  explicit TableDefsImpl(std::shared_ptr<DbState> state) : state_(std::move(state)) {}

  int Count() override {
    state_->CheckOpen();
    return static_cast<int>(state_->backend->TableNames().size());
  }

  std::shared_ptr<TableDef> Item(int index) override {
    state_->CheckOpen();
    std::vector<std::string> names = state_->backend->TableNames();
    if (index < 0 || static_cast<size_t>(index) >= names.size())
      throw EEngineError("Table index " + std::to_string(index) + " is out of range: the database '" +
                         state_->path + "' has " + std::to_string(names.size()) + " tables.");
    return std::make_shared<TableDefImpl>(state_, FromStorage(names[static_cast<size_t>(index)]), true);
  }

  void Delete(const std::string& name) override {
    state_->CheckOpen();
    std::string stored = state_->FindTable(name);
    if (stored.empty())
      throw EEngineError("Cannot delete table '" + name + "': the database '" + state_->path +
                         "' has no table of that name.");
    state_->backend->DropTable(stored);
  }

  void Append(const std::shared_ptr<TableDef>& tableDef) override {
    state_->CheckOpen();
    auto def = std::dynamic_pointer_cast<TableDefImpl>(tableDef);
    if (def == nullptr) throw EEngineError("Only table definitions made by CreateTableDef can be appended.");
    const std::string& name = def->Name();
    if (def->State() != state_)
      throw EEngineError("Cannot create table '" + name + "': its definition belongs to another database.");
    if (def->Exists()) throw EEngineError("Cannot create table '" + name + "': it already exists.");
    const auto& fields = def->FieldList();
    if (fields.empty()) throw EEngineError("Cannot create table '" + name + "': it has no fields.");
    if (!state_->FindTable(name).empty())
      throw EEngineError("Cannot create table '" + name + "': the database '" + state_->path +
                         "' already has a table of that name.");
    std::vector<ColumnSpec> columns;
    columns.reserve(fields.size());
    for (const auto& f : fields) columns.push_back({ToStorage(f->Name()), f->Type(), f->Size(), f->Attributes()});
    state_->backend->CreateTable(ToStorage(name), columns);
    def->MarkCreated();
  }

 private:
  std::shared_ptr<DbState> state_;
};

// ---- recordset ------------------------------------------------------------

class RecordsetImpl;

class RecordsetField : public Field {
 public:
  RecordsetField(RecordsetImpl* owner, int index) : owner_(owner), index_(index) {}
  std::string Name() const override;
  int Type() const override;
  int Size() const override;
  int Attributes() const override;
  void SetAttributes(int attributes) override;
  void SetValue(const Variant& value) override;

 private:
  RecordsetImpl* owner_;
  int index_;
};

class RecordsetImpl : public Recordset, public std::enable_shared_from_this<RecordsetImpl> {
 public:
  RecordsetImpl(std::shared_ptr<DbState> state, std::string table, std::vector<ColumnSpec> columns,
                std::unique_ptr<RowWriter> writer)
      : state_(std::move(state)),
        table_(std::move(table)),
        columns_(std::move(columns)),
        writer_(std::move(writer)),
        row_(columns_.size()),
        assigned_(columns_.size(), 0),
        fieldsView_(this) {
    names_.reserve(columns_.size());
    fieldObjects_.reserve(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i) {
      names_.push_back(FromStorage(columns_[i].name));
      fieldObjects_.emplace_back(this, static_cast<int>(i));
    }
  }

  void AddNew() override {
    CheckUsable();
    for (StoredValue& v : row_) v.kind = StoredValue::Kind::Null;
    std::fill(assigned_.begin(), assigned_.end(), 0);
    pending_ = true;
  }

  Fields& GetFields() override { return fieldsView_; }

  void Update(int type, bool /*force*/) override {
    CheckUsable();
    if (type != dbUpdateRegular)
      throw EEngineError("Cannot save a row in table '" + table_ + "': update type " + std::to_string(type) +
                         " is not supported.");
    if (!pending_)
      throw EEngineError("Cannot save a row in table '" + table_ + "': no new row is pending (AddNew comes first).");
    pending_ = false;
    writer_->Insert(row_, assigned_);
  }

  void Close() override {
    if (closed_) return;
    closed_ = true;
    pending_ = false;
    writer_.reset();
    if (!state_->closed) state_->backend->Commit();
  }

  // Members of the fields.
  const ColumnSpec& Column(int i) const { return columns_[static_cast<size_t>(i)]; }
  const std::string& FieldName(int i) const { return names_[static_cast<size_t>(i)]; }
  void SetFieldValue(int i, const Variant& value) {
    CheckUsable();
    if (!pending_)
      throw EEngineError("Cannot store a value in field '" + FieldName(i) + "' of table '" + table_ +
                         "': no new row is pending (AddNew comes first).");
    const ColumnSpec& c = columns_[static_cast<size_t>(i)];
    ConvertFieldValue(value, c.type, c.size, FieldName(i), table_, row_[static_cast<size_t>(i)]);
    assigned_[static_cast<size_t>(i)] = 1;
  }
  const std::string& Table() const { return table_; }

 private:
  class FieldsView : public Fields {
   public:
    explicit FieldsView(RecordsetImpl* owner) : owner_(owner) {}
    int Count() const override { return static_cast<int>(owner_->columns_.size()); }
    std::shared_ptr<Field> Item(int index) override {
      if (index < 0 || static_cast<size_t>(index) >= owner_->columns_.size())
        throw EEngineError("Field index " + std::to_string(index) + " is out of range: table '" + owner_->table_ +
                           "' has " + std::to_string(owner_->columns_.size()) + " fields.");
      // The field shares ownership of its recordset, so it stays valid as
      // long as anyone holds it.
      return std::shared_ptr<Field>(owner_->shared_from_this(), &owner_->fieldObjects_[static_cast<size_t>(index)]);
    }
    void Append(const std::shared_ptr<Field>& field) override {
      throw EEngineError("Cannot add field '" + (field ? field->Name() : std::string()) + "' to the recordset on table '" +
                         owner_->table_ + "': change the table definition instead.");
    }

   private:
    RecordsetImpl* owner_;
  };

  void CheckUsable() const {
    if (closed_) throw EEngineError("The recordset on table '" + table_ + "' is closed.");
    state_->CheckOpen();
  }

  std::shared_ptr<DbState> state_;
  std::string table_;  // ANSI
  std::vector<ColumnSpec> columns_;
  std::vector<std::string> names_;  // ANSI field names
  std::unique_ptr<RowWriter> writer_;
  std::vector<StoredValue> row_;
  std::vector<uint8_t> assigned_;
  std::vector<RecordsetField> fieldObjects_;
  FieldsView fieldsView_;
  bool pending_ = false;
  bool closed_ = false;
};

std::string RecordsetField::Name() const { return owner_->FieldName(index_); }
int RecordsetField::Type() const { return owner_->Column(index_).type; }
int RecordsetField::Size() const { return owner_->Column(index_).size; }
int RecordsetField::Attributes() const { return owner_->Column(index_).attributes; }
void RecordsetField::SetAttributes(int) {
  throw EEngineError("Cannot change the attributes of field '" + Name() + "' of table '" + owner_->Table() +
                     "': its table already exists.");
}
void RecordsetField::SetValue(const Variant& value) { owner_->SetFieldValue(index_, value); }

// ---- database and engine --------------------------------------------------

class DatabaseImpl : public Database {
 public:
  explicit DatabaseImpl(std::shared_ptr<DbState> state) : state_(std::move(state)), tableDefs_(state_) {}

  TableDefs& GetTableDefs() override { return tableDefs_; }

  std::shared_ptr<TableDef> CreateTableDef(const std::string& name, int attributes, const std::string& sourceTableName,
                                           const std::string& connect) override {
    state_->CheckOpen();
    CheckName(name, "table");
    if (name.empty()) throw EEngineError("Cannot create a table definition with an empty name.");
    if (attributes != 0 || !sourceTableName.empty() || !connect.empty())
      throw EEngineError("Cannot create table definition '" + name +
                         "': linked tables and table attributes are not supported.");
    return std::make_shared<TableDefImpl>(state_, name, false);
  }

  std::shared_ptr<Recordset> OpenRecordset(const std::string& name, int type, int /*options*/,
                                           int /*lockEdit*/) override {
    state_->CheckOpen();
    if (type != dbOpenTable)
      throw EEngineError("Cannot open table '" + name + "': recordset type " + std::to_string(type) +
                         " is not supported (only 1, table).");
    std::string stored = state_->FindTable(name);
    if (stored.empty())
      throw EEngineError("Cannot open table '" + name + "': the database '" + state_->path +
                         "' has no table of that name.");
    std::vector<ColumnSpec> columns = state_->backend->Columns(stored);
    std::unique_ptr<RowWriter> writer = state_->backend->OpenWriter(stored, columns);
    return std::make_shared<RecordsetImpl>(state_, FromStorage(stored), std::move(columns), std::move(writer));
  }

  void Close() override {
    if (state_->closed) return;
    state_->closed = true;
    state_->backend->Close();
  }

 private:
  std::shared_ptr<DbState> state_;
  TableDefsImpl tableDefs_;
};

class EngineImpl : public DBEngine {
 public:
  ~EngineImpl() override {
    // Whatever the caller still holds, the rows saved so far are committed
    // when the engine goes. A failure here is not lost: the storage reports
    // it again when it is closed or released.
    for (const auto& weak : databases_) {
      auto state = weak.lock();
      if (state == nullptr || state->closed) continue;
      try {
        state->backend->Commit();
      } catch (const std::exception&) {
      }
    }
  }

  std::shared_ptr<Database> OpenDatabase(const std::string& name) override {
    try {
      return Track(name, OpenBackend(name));
    } catch (const EEngineError& e) {
      lastOpenPath_ = name;
      lastOpenError_ = e.Message();
      throw;
    }
  }

  std::shared_ptr<Database> CreateDatabase(const std::string& name, const std::string& /*locale*/,
                                           int /*options*/) override {
    try {
      return Track(name, CreateBackend(name));
    } catch (const EEngineError& e) {
      // After a failed OpenDatabase of the same file, say why it was not
      // taken as a database: that is what the user must act on.
      struct stat st {};
      if (name == lastOpenPath_ && ::lstat(name.c_str(), &st) == 0)
        throw EEngineError(e.Message() + " " + lastOpenError_);
      throw;
    }
  }

 private:
  std::shared_ptr<Database> Track(const std::string& path, std::unique_ptr<Backend> backend) {
    auto state = std::make_shared<DbState>();
    state->path = path;
    state->backend = std::move(backend);
    std::erase_if(databases_, [](const std::weak_ptr<DbState>& w) { return w.expired(); });
    databases_.push_back(state);
    return std::make_shared<DatabaseImpl>(std::move(state));
  }

  std::vector<std::weak_ptr<DbState>> databases_;
  std::string lastOpenPath_, lastOpenError_;
};

}  // namespace

std::shared_ptr<DBEngine> CreateBuiltinEngine() { return std::make_shared<EngineImpl>(); }

}  // namespace qx::dao
