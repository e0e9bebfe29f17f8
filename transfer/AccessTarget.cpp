// The target operations of TCell2MDB: every call of the database engine's
// members, with the arguments and in the order the engine relies on.
#include "cells/KelUtils.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"
#include "transfer/Cell2MDB.h"

namespace qx {

namespace {
constexpr const char* kEngineIds[] = {"DAO.DBEngine.120", "DAO.DBEngine.36", "DAO.DBEngine.35"};

bool IsBinaryType(int type) { return type == dao::dbBinary || type == dao::dbLongBinary || type == dao::dbVarBinary; }
}  // namespace

void TCell2MDB::CreateDBEngine() {
  for (const char* id : kEngineIds) {
    try {
      DBEngine = dao::CreateEngine(id);
      if (DBEngine) return;
    } catch (const std::exception&) {
      // try the next identifier
    }
  }
  throw Exception("MS Jet/DAO is not installed.");
}

void TCell2MDB::OpenTargetDatabase(const std::string& FileName) {
  Database.reset();
  if (FileExists(FileName)) {
    try {
      Database = DBEngine->OpenDatabase(FileName);
    } catch (const std::exception&) {
      // Not a database we can open: creating one there is tried instead,
      // and the engine refuses to replace an existing file.
      Database.reset();
    }
  }
  if (!Database) {
    std::string locale = ";LANGID=0x0409;CP=" + std::to_string(AnsiCodePage()) + ";COUNTRY=0";
    Database = DBEngine->CreateDatabase(FileName, locale, 0);
  }
}

bool TCell2MDB::TableExists(const std::string& Name) {
  dao::TableDefs& defs = Database->GetTableDefs();
  int count = defs.Count();
  for (int i = 0; i < count; ++i)
    if (SameTextAscii(defs.Item(i)->Name(), Name)) return true;
  return false;
}

std::string CleanFieldName(const std::string& name) {
  std::string s = name;
  for (char& c : s)
    if (c == '!' || c == '.' || c == '[' || c == ']' || c == '{' || c == '}') c = ' ';
  s = TrimControls(s);
  if (s.find(' ') != std::string::npos) s = "\"" + s + "\"";
  return s;
}

void TCell2MDB::CreateTable(const std::string& Name) {
  std::shared_ptr<dao::TableDef> tableDef = Database->CreateTableDef(Name, 0, std::string(), std::string());
  int32_t created = 0;
  const int32_t columns = GetColumnCount();
  for (int32_t c = 0; c < columns; ++c) {
    if (!IsColumnSelected(c)) continue;
    if (created >= GetMaxColumnCount()) throw Exception(kMaxColumnsMessage);
    std::string fieldName;
    int32_t size = 0, fieldType = 0;
    GetColumnDef(c, fieldName, size, fieldType);
    std::shared_ptr<dao::Field> field = tableDef->CreateField(CleanFieldName(fieldName), fieldType, size);
    if (IsBinaryType(fieldType)) field->SetAttributes(dao::dbVariableField);
    tableDef->GetFields().Append(field);
    ++created;
  }
  Database->GetTableDefs().Append(tableDef);
}

void TCell2MDB::OpenTable(const std::string& Name) {
  Recordset = Database->OpenRecordset(Name, dao::dbOpenTable, 0, dao::dbPessimistic);
}

void TCell2MDB::AddRecord() { Recordset->AddNew(); }

bool TCell2MDB::IsBinaryField(dao::Field& Field) {
  // The type is read anew for each comparison, as a late-bound property is.
  return Field.Type() == dao::dbBinary || Field.Type() == dao::dbLongBinary || Field.Type() == dao::dbVarBinary;
}

void TCell2MDB::SetFieldValue(int32_t Index, const std::string& Text) {
  if (Index >= GetMaxColumnCount()) throw Exception(kMaxColumnsMessage);
  std::shared_ptr<dao::Field> field = Recordset->GetFields().Item(Index);
  if (Text.empty()) {
    field->SetValue(Variant::Null());
  } else if (IsBinaryField(*field)) {
    field->SetValue(Variant(ByteArray(Text.begin(), Text.end())));
  } else {
    if (!fieldValue_.IsText()) fieldValue_ = Variant(std::string());
    fieldValue_.MutableText().assign(Text);
    field->SetValue(fieldValue_);
  }
}

void TCell2MDB::PostRecord() { Recordset->Update(dao::dbUpdateRegular, false); }

void TCell2MDB::CloseTarget() {
  if (Recordset) Recordset->Close();
  if (Database) Database->Close();
  DBEngine.reset();
}

}  // namespace qx
