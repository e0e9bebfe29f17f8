#pragma once
// Page 0, the database definition page: format version, the masked region
// with code page, sort order, creation date and the (empty) password area.
#include <cstdint>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

struct HeaderInfo {
  uint16_t codePage = 1252;
  uint16_t sortLcid = 0x0409;  // "General" sort order
  double created = 0;          // OLE date of creation
};

Page BuildHeaderPage(const HeaderInfo& info);
// Reads code page, sort order and creation date back from a page 0 (for
// tests and for refusing files that are no Jet 4 database).
bool ParseHeaderPage(const uint8_t* page, HeaderInfo& out, uint8_t& version);

}  // namespace qx::mdb
