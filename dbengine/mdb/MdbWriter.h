#pragma once
// A new Jet 4 database (.mdb, Access 2000-2003 format) written from
// scratch: Jet's own empty layout (page 0, the global usage map, the system
// tables with their indexes and permission rows), then tables that receive
// rows. Everything is written once, in order; the catalog, the usage maps
// and the table definitions are written at Close.
//
// The file is written under a temporary name and gets its own name at
// Close, so a run that dies never leaves a partial database behind under
// the user's name. Destroying an open database closes it (rows added so
// far are kept); if that fails the temporary file is removed.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbengine/mdb/MdbLongValue.h"
#include "dbengine/mdb/MdbPageFile.h"
#include "dbengine/mdb/MdbRow.h"
#include "dbengine/mdb/MdbTableDef.h"
#include "platform/Variant.h"

namespace qx::mdb {

inline constexpr size_t kMaxColumns = 255;
inline constexpr size_t kMaxTextChars = 255;
inline constexpr size_t kMaxBinaryBytes = 255;

struct FieldSpec {
  std::u16string name;
  uint8_t type = kColText;  // a ColumnType: Boolean, Long, Double, DateTime, Binary, Text, Ole, Memo
  int size = 0;             // Text: characters (1..255); Binary: bytes (1..255); others ignored
};

struct CreateOptions {
  uint16_t codePage = 1252;
  uint16_t sortLcid = 0x0409;
};

class MdbTable {
 public:
  MdbTable(PageFile& file, std::u16string name, const std::vector<FieldSpec>& fields, double created);
  const std::u16string& Name() const { return name_; }
  double Created() const { return created_; }
  uint32_t TdefPage() const { return tdefPages_.front(); }
  // Columns by column number.
  const std::vector<ColumnDef>& Columns() const { return columns_; }
  uint32_t RowCount() const { return rowCount_; }

  // Adds a row; values[i] is the value of column i (missing ones are
  // Null). Kinds accepted per column type: Boolean: Boolean, Integer or
  // Real (Null and Empty store No); Long: Integer; Double: Real or Integer;
  // DateTime: Date or Real; Text and Memo: Text (ANSI) or WideText; Binary
  // and OLE: Bytes. Null and Empty store Null. Raises EEngineError (and
  // stores nothing) for a value of another kind, a text or binary value
  // longer than its field, or a row too large for a page.
  void AppendRow(const std::vector<Variant>& values);

  // Writes the pages still being filled, the usage maps and the definition.
  void Finish();

 private:
  StoredValue Convert(const ColumnDef& col, const Variant& v, Bytes& longData) const;

  PageFile& file_;
  std::u16string name_;
  double created_;
  std::vector<ColumnDef> columns_;
  RowLayout layout_;
  std::vector<uint32_t> tdefPages_;
  std::vector<uint32_t> mapPages_;  // usage-map rows: owned, free, then a pair per long-value column
  uint32_t rowCount_ = 0;
  DataPage page_;
  uint32_t pageNumber_ = 0;
  bool pageOpen_ = false;
  std::vector<uint32_t> dataPages_;
  std::vector<std::unique_ptr<LongValueColumn>> longValues_;  // by column number (null for others)
};

class MdbDatabase {
 public:
  // Creates a new database at path; raises EEngineError when a file exists
  // there or it cannot be written.
  static std::unique_ptr<MdbDatabase> Create(const std::string& path, const CreateOptions& options = {});
  ~MdbDatabase();
  MdbDatabase(const MdbDatabase&) = delete;
  MdbDatabase& operator=(const MdbDatabase&) = delete;

  // Creates a table; raises EEngineError for a name or field that breaks
  // the naming rules, a name already taken (ignoring case), more than 255
  // fields, an unknown type or a size out of range.
  MdbTable& CreateTable(const std::u16string& name, const std::vector<FieldSpec>& fields);
  size_t TableCount() const { return tables_.size(); }
  MdbTable& Table(size_t i) { return *tables_.at(i); }
  MdbTable* FindTable(std::u16string_view name);

  // Writes everything and gives the file its name. Further calls do nothing.
  void Close();
  bool IsClosed() const { return closed_; }
  const std::string& Path() const { return path_; }

 private:
  MdbDatabase(const std::string& path, const CreateOptions& options);
  void CheckOpen() const;

  std::string path_;
  CreateOptions options_;
  std::unique_ptr<PageFile> file_;
  double created_ = 0;
  std::vector<std::unique_ptr<MdbTable>> tables_;
  bool closed_ = false;
};

}  // namespace qx::mdb
