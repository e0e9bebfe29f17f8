#pragma once
// The storage behind the engine. The engine (Engine.cpp) implements the
// object model once: name matching, field definitions, value conversion,
// pending rows. A backend only stores: it lists and describes tables,
// creates and drops them, inserts converted rows and makes them durable.
//
// Names and texts at this interface are UTF-8 (the engine converts from
// and to the ANSI code page). Every failure raises EEngineError with a
// complete message in the ANSI code page that names the database, table or
// field concerned; the engine passes it on unchanged.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Variant.h"

namespace qx::dao {

// One field of a table as the storage keeps it.
struct ColumnSpec {
  std::string name;  // UTF-8
  int type = 0;      // field type number (Dao.h)
  int size = 0;      // as EffectiveFieldSize reports it
  int attributes = 0;
};

// A value converted to its field's type, ready to store.
struct StoredValue {
  enum class Kind : uint8_t { Null, Integer, Real, DateTime, Text, Bytes };
  Kind kind = Kind::Null;
  int64_t integer = 0;  // Integer (Boolean fields store 1 or 0)
  double real = 0;      // Real; DateTime: days since 1899-12-30
  std::string text;     // Text, UTF-8
  ByteArray bytes;      // Bytes

  void SetNull() { kind = Kind::Null; }
};

// Inserts rows into one table; obtained from Backend::OpenWriter.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  // Stores one row. values has one entry per column in table order;
  // assigned[i] is false for columns the row leaves to the table's default.
  // On failure nothing of the row is stored.
  virtual void Insert(const std::vector<StoredValue>& values, const std::vector<uint8_t>& assigned) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // The user tables (never the storage's internal ones), in storage order.
  virtual std::vector<std::string> TableNames() = 0;
  // The fields of an existing table, in order (the exact stored name).
  virtual std::vector<ColumnSpec> Columns(const std::string& table) = 0;
  // Creates a table; the engine has checked the names (non-empty, unique
  // ignoring ASCII case, no table of that name).
  virtual void CreateTable(const std::string& table, const std::vector<ColumnSpec>& columns) = 0;
  // Drops an existing table (exact stored name) with its rows.
  virtual void DropTable(const std::string& table) = 0;
  virtual std::unique_ptr<RowWriter> OpenWriter(const std::string& table, const std::vector<ColumnSpec>& columns) = 0;
  // Makes every row inserted so far durable. Backends may group inserts
  // into transactions; this ends the current group.
  virtual void Commit() = 0;
  // Commits and releases the file. Later calls of any member raise, except
  // Close, which does nothing the second time.
  virtual void Close() = 0;
};

// Chooses the backend for an existing file by its first bytes and opens it;
// raises EEngineError when the file is missing, is no database, or is a
// kind of database no backend here handles.
std::unique_ptr<Backend> OpenBackend(const std::string& path);
// Creates a new database file; the backend is chosen by the name's
// extension. Refuses when anything exists at path.
std::unique_ptr<Backend> CreateBackend(const std::string& path);

}  // namespace qx::dao
