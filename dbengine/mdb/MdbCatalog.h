#pragma once
// Jet's own system tables, laid out the way Jet lays out a new database:
// the catalog MSysObjects (its container rows, the MSysDb row, a row per
// table), MSysACEs (permissions), MSysQueries and MSysRelationships
// (empty), their indexes and usage maps.
//
// Fixed pages: 2..5 the four table definitions, 6 the usage maps of all
// four (31 rows), 7..13 one index leaf page per index, 14 the catalog rows,
// 15 the permission rows. When the catalog or the permissions outgrow
// their page, further data pages are taken from the end of the file.
#include <cstdint>
#include <string>
#include <vector>

#include "dbengine/mdb/MdbPageFile.h"

namespace qx::mdb {

inline constexpr uint32_t kPageGlobalMap = 1;
inline constexpr uint32_t kPageMSysObjects = 2;
inline constexpr uint32_t kFirstUserPage = 16;

struct UserTableEntry {
  std::u16string name;
  uint32_t tdefPage = 0;
  double created = 0;
};

// True when the catalog's indexes (one leaf page each) still hold every
// entry for these tables; the index keys of their names must exist
// (see GeneralLegacyKey).
bool CatalogFits(const std::vector<UserTableEntry>& tables);
// Writes pages 2..15 and any overflow data pages.
void WriteCatalog(PageFile& file, double created, const std::vector<UserTableEntry>& tables);
// The names of Jet's system tables (which user tables may not reuse).
const std::vector<std::u16string>& SystemTableNames();

}  // namespace qx::mdb
