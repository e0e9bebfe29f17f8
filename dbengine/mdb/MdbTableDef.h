#pragma once
// Table definitions (tdef pages): the header, the 25-byte column entries,
// column names, index definitions and the long-value map list, written as
// one byte stream over a chain of tdef pages.
#include <cstdint>
#include <string>
#include <vector>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

// Column type codes of the file.
enum ColumnType : uint8_t {
  kColBoolean = 0x01,
  kColByte = 0x02,
  kColInteger = 0x03,
  kColLong = 0x04,
  kColCurrency = 0x05,
  kColSingle = 0x06,
  kColDouble = 0x07,
  kColDateTime = 0x08,
  kColBinary = 0x09,
  kColText = 0x0A,
  kColOle = 0x0B,
  kColMemo = 0x0C,
};

// Column flags (entry byte 15) and extra flags (byte 16).
inline constexpr uint8_t kColFlagFixed = 0x01;
inline constexpr uint8_t kColFlagUpdatable = 0x02;  // set on every column Access makes
inline constexpr uint8_t kColFlagSystem = 0x10;     // Jet's own system tables only
inline constexpr uint8_t kColFlagSid = 0x20;        // SID columns of system tables
inline constexpr uint8_t kColExtraCompressed = 0x01;

inline bool IsFixedType(uint8_t type) { return type <= kColDateTime; }
inline bool IsLongValueType(uint8_t type) { return type == kColOle || type == kColMemo; }
// Bytes a fixed column takes in a row's fixed area (Boolean: none).
size_t FixedSize(uint8_t type);

inline constexpr uint8_t kTableUser = 0x4E;
inline constexpr uint8_t kTableSystem = 0x53;

struct ColumnDef {
  std::u16string name;
  uint8_t type = 0;
  uint16_t number = 0;
  uint16_t varIndex = 0;     // variable columns: slot in the row's offset table
  uint16_t fixedOffset = 0;  // fixed columns: offset in the row's fixed area
  uint16_t length = 0;       // declared length in bytes
  uint8_t flags = 0;
  uint8_t extraFlags = 0;
  uint16_t numberCopy = 0;  // entry bytes 9-10; readers ignore them
};

struct RealIndexDef {
  std::vector<uint16_t> columns;  // ascending key columns
  uint32_t map = 0;               // pg_row of the index's usage map
  uint32_t rootPage = 0;
  uint8_t flags = 0;
  uint32_t entryCount = 0;  // distinct keys
};

struct LogicalIndexDef {
  uint32_t number = 0;
  uint32_t realIndex = 0;
  uint8_t kind = 0;  // 1 = primary key
  std::u16string name;
};

struct LongValueMaps {
  uint16_t column = 0;
  uint32_t owned = 0;  // pg_row of the map of the column's LVAL pages
  uint32_t free = 0;   // pg_row of the map of those with free space
};

struct TableDefInfo {
  uint8_t tableType = kTableUser;
  uint32_t rowCount = 0;
  uint32_t ownedMap = 0;  // pg_row
  uint32_t freeMap = 0;   // pg_row
  std::vector<ColumnDef> columns;  // in the order they are stored
  std::vector<RealIndexDef> realIndexes;
  std::vector<LogicalIndexDef> logicalIndexes;  // in the order they are stored
  std::vector<LongValueMaps> longValueMaps;     // in the order they are stored
};

// The definition stream, its first 8 bytes left for the page header.
Bytes EncodeTableDef(const TableDefInfo& info);
// Tdef pages a stream of that length needs.
size_t TableDefPageCount(size_t streamLength);
// The pages of a stream laid over the given chain of page numbers.
std::vector<Page> LayTableDef(const Bytes& stream, const std::vector<uint32_t>& pages);

}  // namespace qx::mdb
