#pragma once
// The database engine's object model, as the transfer calls it: an engine
// creates or opens databases; a database lists table definitions, creates
// new ones and opens recordsets; a recordset adds rows field by field.
//
// Objects are reference counted (std::shared_ptr), like automation objects:
// whoever holds a reference keeps the object alive; a closed object stays
// valid but refuses further work. Every member reports failure by raising
// EEngineError with the engine's own message (naming the table, field or
// value concerned).
//
// Texts given to and returned by these members are 8-bit texts in the ANSI
// code page; storage backends convert them as they need.
#include <functional>
#include <memory>
#include <string>

#include "platform/Variant.h"

namespace qx::dao {

// Field type numbers.
enum FieldType : int {
  dbBoolean = 1,
  dbLong = 4,
  dbDouble = 7,
  dbDate = 8,
  dbBinary = 9,
  dbText = 10,
  dbLongBinary = 11,
  dbMemo = 12,
  dbVarBinary = 17,
};
inline constexpr int dbVariableField = 2;  // Attributes value for variable-length fields
inline constexpr int dbOpenTable = 1;      // OpenRecordset type
inline constexpr int dbPessimistic = 2;    // OpenRecordset lock mode
inline constexpr int dbUpdateRegular = 1;  // Update type

class Field {
 public:
  virtual ~Field() = default;
  virtual std::string Name() const = 0;
  virtual int Type() const = 0;
  virtual int Size() const = 0;
  virtual int Attributes() const = 0;
  virtual void SetAttributes(int attributes) = 0;
  // Sets the value of this field in the recordset's pending row: Null, a
  // byte array, or a text converted to the field's type (or an error).
  virtual void SetValue(const Variant& value) = 0;
};

class Fields {
 public:
  virtual ~Fields() = default;
  virtual int Count() const = 0;
  // 0-based position; out of range raises.
  virtual std::shared_ptr<Field> Item(int index) = 0;
  // Adds a field created by TableDef::CreateField (table definitions that
  // are not yet appended only).
  virtual void Append(const std::shared_ptr<Field>& field) = 0;
};

class TableDef {
 public:
  virtual ~TableDef() = default;
  virtual std::string Name() const = 0;
  virtual std::shared_ptr<Field> CreateField(const std::string& name, int type, int size) = 0;
  virtual Fields& GetFields() = 0;
};

class TableDefs {
 public:
  virtual ~TableDefs() = default;
  virtual int Count() = 0;
  virtual std::shared_ptr<TableDef> Item(int index) = 0;
  // Removes the table and its rows; the name matches without regard to
  // ASCII letter case.
  virtual void Delete(const std::string& name) = 0;
  // Creates the table in the database with its fields in order.
  virtual void Append(const std::shared_ptr<TableDef>& tableDef) = 0;
};

class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual void AddNew() = 0;
  virtual Fields& GetFields() = 0;
  // Saves the pending row, or raises (the pending row is then dropped).
  virtual void Update(int type, bool force) = 0;
  virtual void Close() = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  virtual TableDefs& GetTableDefs() = 0;
  virtual std::shared_ptr<TableDef> CreateTableDef(const std::string& name, int attributes,
                                                   const std::string& sourceTableName,
                                                   const std::string& connect) = 0;
  virtual std::shared_ptr<Recordset> OpenRecordset(const std::string& name, int type, int options,
                                                   int lockEdit) = 0;
  virtual void Close() = 0;
};

class DBEngine {
 public:
  virtual ~DBEngine() = default;
  // Opens an existing database; a file that is no database is refused.
  virtual std::shared_ptr<Database> OpenDatabase(const std::string& name) = 0;
  // Creates a new database; refuses a path where any file already exists.
  virtual std::shared_ptr<Database> CreateDatabase(const std::string& name, const std::string& locale,
                                                   int options) = 0;
};

// The object registry: engines are created by programmatic identifier.
using EngineFactory = std::function<std::shared_ptr<DBEngine>()>;
void RegisterEngine(const std::string& progId, EngineFactory factory);
void UnregisterEngine(const std::string& progId);
// Creates the engine registered under progId; raises EEngineError when
// nothing is registered there or the factory fails.
std::shared_ptr<DBEngine> CreateEngine(const std::string& progId);

}  // namespace qx::dao

namespace qx::dao {
// Registers the system's own engine under "DAO.DBEngine.120". The program
// calls it once at start; calling it again changes nothing.
void RegisterBuiltinEngines();
}  // namespace qx::dao
