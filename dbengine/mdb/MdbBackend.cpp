#include "dbengine/mdb/MdbBackend.h"

#include <map>

#include "dbengine/Dao.h"
#include "dbengine/mdb/MdbWriter.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace qx::dao {

namespace {

uint8_t ColumnTypeOf(int type, const std::string& field) {
  switch (type) {
    case dbBoolean: return mdb::kColBoolean;
    case dbLong: return mdb::kColLong;
    case dbDouble: return mdb::kColDouble;
    case dbDate: return mdb::kColDateTime;
    // Both binary kinds are the file's Binary column: a variable column
    // with a declared length (the file has no fixed-length binary type).
    case dbBinary: case dbVarBinary: return mdb::kColBinary;
    case dbText: return mdb::kColText;
    case dbLongBinary: return mdb::kColOle;
    case dbMemo: return mdb::kColMemo;
    default: throw EEngineError("Field '" + field + "' has a type an .mdb database cannot hold.");
  }
}

class MdbRowWriter : public RowWriter {
 public:
  explicit MdbRowWriter(mdb::MdbTable& table) : table_(table) {}
  void Insert(const std::vector<StoredValue>& values, const std::vector<uint8_t>& assigned) override {
    const auto& cols = table_.Columns();
    std::vector<Variant> row(cols.size(), Variant::Null());
    for (size_t i = 0; i < cols.size() && i < values.size(); ++i) {
      if (i < assigned.size() && !assigned[i]) continue;
      const StoredValue& v = values[i];
      switch (v.kind) {
        case StoredValue::Kind::Null: break;
        case StoredValue::Kind::Integer:
          if (cols[i].type == mdb::kColBoolean)
            row[i] = Variant(v.integer != 0);
          else
            row[i] = Variant(int32_t(v.integer));
          break;
        case StoredValue::Kind::Real: row[i] = Variant(v.real); break;
        case StoredValue::Kind::DateTime: row[i] = Variant::FromDate(v.real); break;
        case StoredValue::Kind::Text: row[i] = Variant(Utf8ToWide(v.text)); break;
        case StoredValue::Kind::Bytes: row[i] = Variant(v.bytes); break;
      }
    }
    table_.AppendRow(row);
  }

 private:
  mdb::MdbTable& table_;
};

class MdbBackend : public Backend {
 public:
  explicit MdbBackend(const std::string& path) {
    mdb::CreateOptions options;
    options.codePage = uint16_t(AnsiCodePage());
    db_ = mdb::MdbDatabase::Create(path, options);
  }

  std::vector<std::string> TableNames() override {
    CheckOpen();
    std::vector<std::string> names;
    for (size_t i = 0; i < db_->TableCount(); ++i) names.push_back(WideToUtf8(db_->Table(i).Name()));
    return names;
  }

  std::vector<ColumnSpec> Columns(const std::string& table) override {
    auto& t = Find(table);
    auto it = specs_.find(WideToUtf8(t.Name()));
    return it == specs_.end() ? std::vector<ColumnSpec>{} : it->second;
  }

  void CreateTable(const std::string& table, const std::vector<ColumnSpec>& columns) override {
    CheckOpen();
    std::vector<mdb::FieldSpec> fields;
    for (const auto& c : columns) fields.push_back({Utf8ToWide(c.name), ColumnTypeOf(c.type, c.name), c.size});
    auto& t = db_->CreateTable(Utf8ToWide(table), fields);
    specs_[WideToUtf8(t.Name())] = columns;
  }

  void DropTable(const std::string& table) override {
    Find(table);
    throw EEngineError("Cannot delete table '" + table + "': deleting tables of an .mdb database is not supported yet.");
  }

  std::unique_ptr<RowWriter> OpenWriter(const std::string& table, const std::vector<ColumnSpec>&) override {
    return std::make_unique<MdbRowWriter>(Find(table));
  }

  void Commit() override { CheckOpen(); }

  void Close() override {
    if (db_) db_->Close();
  }

 private:
  void CheckOpen() const {
    if (db_->IsClosed()) throw EEngineError("Database '" + db_->Path() + "' is closed.");
  }
  mdb::MdbTable& Find(const std::string& table) {
    CheckOpen();
    mdb::MdbTable* t = db_->FindTable(Utf8ToWide(table));
    if (!t) throw EEngineError("Table '" + table + "' does not exist in database '" + db_->Path() + "'.");
    return *t;
  }

  std::unique_ptr<mdb::MdbDatabase> db_;
  std::map<std::string, std::vector<ColumnSpec>> specs_;
};

}  // namespace

std::unique_ptr<Backend> CreateMdbBackend(const std::string& path) { return std::make_unique<MdbBackend>(path); }

}  // namespace qx::dao
