#include "dbengine/mdb/MdbCatalog.h"

#include <algorithm>
#include <set>

#include "dbengine/mdb/MdbDataPage.h"
#include "dbengine/mdb/MdbIndexPage.h"
#include "dbengine/mdb/MdbRow.h"
#include "dbengine/mdb/MdbTableDef.h"
#include "dbengine/mdb/MdbText.h"
#include "dbengine/mdb/MdbUsageMap.h"
#include "platform/Exceptions.h"

namespace qx::mdb {

namespace {

// ---- fixed pages -------------------------------------------------------------
constexpr uint32_t kPageMSysACEs = 3;
constexpr uint32_t kPageMSysQueries = 4;
constexpr uint32_t kPageMSysRelationships = 5;
constexpr uint32_t kPageSystemMaps = 6;
constexpr uint32_t kPageIdxParentIdName = 7;
constexpr uint32_t kPageIdxId = 8;
constexpr uint32_t kPageIdxAces = 9;
constexpr uint32_t kPageIdxQueries = 10;
constexpr uint32_t kPageIdxRelationships = 11;  // 11, 12, 13
constexpr uint32_t kPageObjectsData = 14;
constexpr uint32_t kPageAcesData = 15;

// ---- catalog ids ---------------------------------------------------------------
constexpr int32_t kIdRoot = 0x0F000000;
constexpr int32_t kIdTables = 0x0F000001;
constexpr int32_t kIdDatabases = 0x0F000002;
constexpr int32_t kIdRelationships = 0x0F000003;
constexpr int32_t kIdMSysDb = 0x10000000;
constexpr int32_t kFlagSystemObject = int32_t(0x80000000u);

// Owner and permission SIDs. They are short SIDs of the workgroup that
// created the database; these are the ones of the ADOX-made reference
// database (what Access makes of other SIDs is not known).
const Bytes kSidAdmin = {0x65, 0x89};      // owner of containers and system tables
const Bytes kSidDbOwner = {0x64, 0x8B};    // owner of MSysDb, and of user tables
const Bytes kSidTablesA = {0x65, 0x8E};
const Bytes kSidUsers = {0x65, 0x8B};

// A column of a system table, in the order Jet stores it (by name).
struct SysCol {
  const char16_t* name;
  uint8_t type;
  uint16_t number;
  uint16_t slot;  // var index, or fixed offset
  uint16_t length;
  uint8_t flags;
};
constexpr uint8_t F = kColFlagSystem | kColFlagUpdatable | kColFlagFixed;  // 0x13
constexpr uint8_t V = kColFlagSystem | kColFlagUpdatable;                  // 0x12
constexpr uint8_t S = kColFlagSid | kColFlagSystem | kColFlagUpdatable;    // 0x32

const SysCol kObjectsCols[] = {
    {u"Connect", kColMemo, 9, 3, 0, V},        {u"Database", kColMemo, 8, 2, 0, V},
    {u"DateCreate", kColDateTime, 4, 10, 8, F}, {u"DateUpdate", kColDateTime, 5, 18, 8, F},
    {u"Flags", kColLong, 7, 26, 4, F},          {u"ForeignName", kColText, 10, 4, 510, V},
    {u"Id", kColLong, 0, 0, 4, F},              {u"Lv", kColOle, 13, 7, 0, V},
    {u"LvExtra", kColOle, 16, 10, 0, V},        {u"LvModule", kColOle, 15, 9, 0, V},
    {u"LvProp", kColOle, 14, 8, 0, V},          {u"Name", kColText, 2, 0, 510, V},
    {u"Owner", kColBinary, 6, 1, 510, S},       {u"ParentId", kColLong, 1, 4, 4, F},
    {u"RmtInfoLong", kColOle, 12, 6, 0, V},     {u"RmtInfoShort", kColBinary, 11, 5, 510, V},
    {u"Type", kColInteger, 3, 8, 2, F},
};
const SysCol kAcesCols[] = {
    {u"ACM", kColLong, 2, 4, 4, F},
    {u"FInheritable", kColBoolean, 3, 0, 1, F},
    {u"ObjectId", kColLong, 0, 0, 4, F},
    {u"SID", kColBinary, 1, 0, 510, S},
};
const SysCol kQueriesCols[] = {
    {u"Attribute", kColByte, 1, 4, 1, F},   {u"Expression", kColMemo, 5, 3, 0, V},
    {u"Flag", kColInteger, 6, 5, 2, F},     {u"LvExtra", kColLong, 7, 7, 4, F},
    {u"Name1", kColText, 3, 1, 510, V},     {u"Name2", kColText, 4, 2, 510, V},
    {u"ObjectId", kColLong, 0, 0, 4, F},    {u"Order", kColBinary, 2, 0, 510, V},
};
const SysCol kRelationshipsCols[] = {
    {u"ccolumn", kColLong, 2, 4, 4, F},          {u"grbit", kColLong, 1, 0, 4, F},
    {u"icolumn", kColLong, 3, 8, 4, F},          {u"szColumn", kColText, 5, 2, 510, V},
    {u"szObject", kColText, 4, 1, 510, V},       {u"szReferencedColumn", kColText, 7, 4, 510, V},
    {u"szReferencedObject", kColText, 6, 3, 510, V}, {u"szRelationship", kColText, 0, 0, 510, V},
};

template <size_t N>
std::vector<ColumnDef> Columns(const SysCol (&cols)[N]) {
  std::vector<ColumnDef> out;
  for (const auto& c : cols) {
    ColumnDef d;
    d.name = c.name;
    d.type = c.type;
    d.number = c.number;
    if (IsFixedType(c.type))
      d.fixedOffset = c.slot;
    else
      d.varIndex = c.slot;
    d.length = c.length;
    d.flags = c.flags;
    out.push_back(d);
  }
  return out;
}

// Usage-map rows of page 6, in the order Jet keeps them: per table its
// owned and free maps, a pair per long-value column (by column number),
// then one map per index.
uint32_t MapRow(uint8_t row) { return PgRow(kPageSystemMaps, row); }

// Long-value map list in the stored column order; map rows by column number.
std::vector<LongValueMaps> LongValueList(const std::vector<ColumnDef>& cols, uint8_t firstRow) {
  std::vector<uint16_t> numbers;
  for (const auto& c : cols)
    if (IsLongValueType(c.type)) numbers.push_back(c.number);
  std::vector<uint16_t> sorted = numbers;
  std::sort(sorted.begin(), sorted.end());
  std::vector<LongValueMaps> out;
  for (uint16_t n : numbers) {
    uint8_t row = uint8_t(firstRow + 2 * (std::find(sorted.begin(), sorted.end(), n) - sorted.begin()));
    out.push_back({n, MapRow(row), MapRow(uint8_t(row + 1))});
  }
  return out;
}

StoredValue Long(int32_t v) {
  StoredValue s;
  s.null = false;
  AddU32(s.data, uint32_t(v));
  return s;
}
StoredValue Short(int16_t v) {
  StoredValue s;
  s.null = false;
  AddU16(s.data, uint16_t(v));
  return s;
}
StoredValue Date(double v) {
  StoredValue s;
  s.null = false;
  AddF64(s.data, v);
  return s;
}
StoredValue Blob(const Bytes& b) {
  StoredValue s;
  s.null = false;
  s.data = b;
  return s;
}
StoredValue Text(std::u16string_view t) {
  StoredValue s;
  s.null = false;
  s.data = EncodeText(t, false);  // the catalog's text columns are not compressed
  return s;
}
StoredValue Flag(bool b) {
  StoredValue s;
  s.null = false;
  s.flag = b;
  return s;
}

struct ObjectRow {
  int32_t id, parentId;
  std::u16string name;
  int16_t type;
  int32_t flags;
  const Bytes* owner;
  double created;
};

struct AceRow {
  int32_t objectId;
  const Bytes* sid;
  int32_t acm;
  bool inheritable;
};

std::vector<ObjectRow> ObjectRows(double created, const std::vector<UserTableEntry>& tables) {
  std::vector<ObjectRow> rows = {
      {kIdTables, kIdRoot, u"Tables", 3, kFlagSystemObject, &kSidAdmin, created},
      {kIdDatabases, kIdRoot, u"Databases", 3, kFlagSystemObject, &kSidAdmin, created},
      {kIdRelationships, kIdRoot, u"Relationships", 3, kFlagSystemObject, &kSidAdmin, created},
      {kIdMSysDb, kIdDatabases, u"MSysDb", 2, kFlagSystemObject, &kSidDbOwner, created},
      {2, kIdTables, u"MSysObjects", 1, kFlagSystemObject, &kSidAdmin, created},
      {3, kIdTables, u"MSysACEs", 1, kFlagSystemObject, &kSidAdmin, created},
      {4, kIdTables, u"MSysQueries", 1, kFlagSystemObject, &kSidAdmin, created},
      {5, kIdTables, u"MSysRelationships", 1, kFlagSystemObject, &kSidAdmin, created},
  };
  // A user table: Id = its tdef page, owned like the database (MSysDb).
  for (const auto& t : tables)
    rows.push_back({int32_t(t.tdefPage), kIdTables, t.name, 1, 0, &kSidDbOwner, t.created});
  return rows;
}

// The permission rows of the reference database, in its order.
std::vector<AceRow> AceRows(const std::vector<UserTableEntry>& tables) {
  std::vector<AceRow> rows = {
      {2, &kSidDbOwner, 393216, false},          {3, &kSidDbOwner, 393216, false},
      {4, &kSidDbOwner, 393216, false},          {5, &kSidDbOwner, 917504, false},
      {kIdTables, &kSidTablesA, 983294, true},   {kIdTables, &kSidDbOwner, 393217, false},
      {kIdRelationships, &kSidTablesA, 983294, true}, {kIdRelationships, &kSidDbOwner, 393217, false},
      {kIdDatabases, &kSidDbOwner, 393216, false}, {kIdMSysDb, &kSidDbOwner, 393230, false},
      {kIdMSysDb, &kSidUsers, 14, false},        {4, &kSidUsers, 20, false},
      {5, &kSidUsers, 20, false},                {2, &kSidUsers, 20, false},
      {kIdTables, &kSidUsers, 1048319, true},    {kIdRelationships, &kSidUsers, 1048575, true},
  };
  // A new table gets one row per SID that has rights on the Tables
  // container, with full rights (0xFFFFF) and not inheritable: the rule of
  // the one mature writer whose tables Access accepts. Access itself gives
  // its own new tables other rights masks.
  std::vector<const Bytes*> containerSids;
  for (const auto& r : rows)
    if (r.objectId == kIdTables) containerSids.push_back(r.sid);
  for (const auto& t : tables)
    for (const Bytes* sid : containerSids) rows.push_back({int32_t(t.tdefPage), sid, 0xFFFFF, false});
  return rows;
}

// Places rows on data pages owned by tdefPage, starting with firstPage and
// continuing on pages from the end of the file. Returns the pg_row of each
// row; pages gets the data pages.
std::vector<std::pair<uint32_t, uint8_t>> PlaceRows(PageFile& file, uint32_t tdefPage, uint32_t firstPage,
                                                    const std::vector<Bytes>& rows, std::vector<uint32_t>& pages,
                                                    bool& lastHasRoom) {
  std::vector<std::pair<uint32_t, uint8_t>> where;
  DataPage page(tdefPage);
  uint32_t number = firstPage;
  pages.push_back(number);
  for (const auto& row : rows) {
    if (!page.Fits(row.size())) {
      file.Write(number, page.Bytes());
      page.Reset(tdefPage);
      number = file.AllocateForClose();
      pages.push_back(number);
    }
    where.emplace_back(number, page.Add(row));
  }
  file.Write(number, page.Bytes());
  lastHasRoom = page.RowCount() < kMaxRowsPerPage && page.Free() > 0;
  return where;
}

std::vector<Bytes> ParentIdNameEntries(const std::vector<ObjectRow>& rows,
                                       const std::vector<std::pair<uint32_t, uint8_t>>* where) {
  std::vector<Bytes> out;
  for (size_t i = 0; i < rows.size(); ++i) {
    Bytes e, name;
    AddLongKey(e, rows[i].parentId);
    if (!GeneralLegacyKey(rows[i].name, name))
      throw EEngineError("The table name contains characters the catalog index cannot sort.");
    e.insert(e.end(), name.begin(), name.end());
    AddEntryPointer(e, where ? (*where)[i].first : 0, where ? (*where)[i].second : 0);
    out.push_back(std::move(e));
  }
  return out;
}

template <typename Row, typename KeyOf>
std::vector<Bytes> LongEntries(const std::vector<Row>& rows, KeyOf keyOf,
                               const std::vector<std::pair<uint32_t, uint8_t>>* where) {
  std::vector<Bytes> out;
  for (size_t i = 0; i < rows.size(); ++i) {
    Bytes e;
    AddLongKey(e, keyOf(rows[i]));
    AddEntryPointer(e, where ? (*where)[i].first : 0, where ? (*where)[i].second : 0);
    out.push_back(std::move(e));
  }
  return out;
}

void CheckIndexFits(const std::vector<Bytes>& entries) {
  if (IndexEntriesSize(entries) > kIndexLeafCapacity)
    throw EEngineError("The database cannot hold more tables.");
}

void WriteTdef(PageFile& file, uint32_t page, const TableDefInfo& info) {
  Bytes stream = EncodeTableDef(info);
  auto pages = LayTableDef(stream, {page});
  file.Write(page, pages[0]);
}

Page EmptyLeaf(uint32_t tdefPage) { return BuildIndexLeaf(tdefPage, {}); }

}  // namespace

const std::vector<std::u16string>& SystemTableNames() {
  static const std::vector<std::u16string> names = {u"MSysObjects", u"MSysACEs", u"MSysQueries",
                                                    u"MSysRelationships"};
  return names;
}

bool CatalogFits(const std::vector<UserTableEntry>& tables) {
  auto objects = ObjectRows(0, tables);
  for (const auto& r : objects) {
    Bytes key;
    if (!GeneralLegacyKey(r.name, key)) return false;
  }
  auto aces = AceRows(tables);
  return IndexEntriesSize(ParentIdNameEntries(objects, nullptr)) <= kIndexLeafCapacity &&
         IndexEntriesSize(LongEntries(objects, [](const ObjectRow& r) { return r.id; }, nullptr)) <=
             kIndexLeafCapacity &&
         IndexEntriesSize(LongEntries(aces, [](const AceRow& r) { return r.objectId; }, nullptr)) <=
             kIndexLeafCapacity;
}

void WriteCatalog(PageFile& file, double created, const std::vector<UserTableEntry>& tables) {
  // ---- MSysObjects rows and indexes
  auto objectCols = Columns(kObjectsCols);
  RowLayout objectLayout(objectCols);
  auto objects = ObjectRows(created, tables);
  std::vector<Bytes> objectRowBytes;
  for (const auto& r : objects) {
    std::vector<StoredValue> v(objectLayout.ColumnCount());
    v[0] = Long(r.id);
    v[1] = Long(r.parentId);
    v[2] = Text(r.name);
    v[3] = Short(r.type);
    v[4] = Date(r.created);
    v[5] = Date(r.created);
    v[6] = Blob(*r.owner);
    v[7] = Long(r.flags);
    objectRowBytes.push_back(objectLayout.Encode(v));
  }
  std::vector<uint32_t> objectPages;
  bool objectRoom = false;
  auto objectWhere =
      PlaceRows(file, kPageMSysObjects, kPageObjectsData, objectRowBytes, objectPages, objectRoom);
  auto byParentName = ParentIdNameEntries(objects, &objectWhere);
  auto byId = LongEntries(objects, [](const ObjectRow& r) { return r.id; }, &objectWhere);
  CheckIndexFits(byParentName);
  CheckIndexFits(byId);

  // ---- MSysACEs rows and index
  auto aceCols = Columns(kAcesCols);
  RowLayout aceLayout(aceCols);
  auto aces = AceRows(tables);
  std::vector<Bytes> aceRowBytes;
  for (const auto& r : aces) {
    std::vector<StoredValue> v(aceLayout.ColumnCount());
    v[0] = Long(r.objectId);
    v[1] = Blob(*r.sid);
    v[2] = Long(r.acm);
    v[3] = Flag(r.inheritable);
    aceRowBytes.push_back(aceLayout.Encode(v));
  }
  std::vector<uint32_t> acePages;
  bool aceRoom = false;
  auto aceWhere = PlaceRows(file, kPageMSysACEs, kPageAcesData, aceRowBytes, acePages, aceRoom);
  auto aceEntries = LongEntries(aces, [](const AceRow& r) { return r.objectId; }, &aceWhere);
  CheckIndexFits(aceEntries);
  std::set<int32_t> aceKeys;
  for (const auto& r : aces) aceKeys.insert(r.objectId);

  // ---- index pages
  file.Write(kPageIdxParentIdName, BuildIndexLeaf(kPageMSysObjects, byParentName));
  file.Write(kPageIdxId, BuildIndexLeaf(kPageMSysObjects, byId));
  file.Write(kPageIdxAces, BuildIndexLeaf(kPageMSysACEs, aceEntries));
  file.Write(kPageIdxQueries, EmptyLeaf(kPageMSysQueries));
  for (uint32_t i = 0; i < 3; ++i) file.Write(kPageIdxRelationships + i, EmptyLeaf(kPageMSysRelationships));

  // ---- usage maps (page 6)
  std::vector<BitmapPage> bitmaps;
  auto allocate = [&file] { return file.AllocateForClose(); };
  auto map = [&](std::vector<uint32_t> pages) { return EncodeTableMap(std::move(pages), allocate, bitmaps); };
  std::vector<uint32_t> none;
  std::vector<Bytes> mapRows;
  mapRows.push_back(map(objectPages));                                               // 0
  mapRows.push_back(map(objectRoom ? std::vector<uint32_t>{objectPages.back()} : none));  // 1
  for (int i = 0; i < 14; ++i) mapRows.push_back(map(none));                         // 2..15
  mapRows.push_back(map({kPageIdxParentIdName}));                                    // 16
  mapRows.push_back(map({kPageIdxId}));                                              // 17
  mapRows.push_back(map(acePages));                                                  // 18
  mapRows.push_back(map(aceRoom ? std::vector<uint32_t>{acePages.back()} : none));   // 19
  mapRows.push_back(map({kPageIdxAces}));                                            // 20
  mapRows.push_back(map(none));                                                      // 21
  mapRows.push_back(map(none));                                                      // 22
  mapRows.push_back(map(none));                                                      // 23
  mapRows.push_back(map(none));                                                      // 24
  mapRows.push_back(map({kPageIdxQueries}));                                         // 25
  mapRows.push_back(map(none));                                                      // 26
  mapRows.push_back(map(none));                                                      // 27
  for (uint32_t i = 0; i < 3; ++i) mapRows.push_back(map({kPageIdxRelationships + i}));  // 28..30
  DataPage maps(0);
  for (const auto& r : mapRows) maps.Add(r);
  file.Write(kPageSystemMaps, maps.Bytes());
  for (const auto& b : bitmaps) file.Write(b.number, b.bytes);

  // ---- table definitions
  TableDefInfo objectsDef;
  objectsDef.tableType = kTableSystem;
  objectsDef.rowCount = uint32_t(objects.size());
  objectsDef.ownedMap = MapRow(0);
  objectsDef.freeMap = MapRow(1);
  objectsDef.columns = objectCols;
  objectsDef.realIndexes = {{{1, 2}, MapRow(16), kPageIdxParentIdName, 0x81, uint32_t(objects.size())},
                            {{0}, MapRow(17), kPageIdxId, 0x81, uint32_t(objects.size())}};
  objectsDef.logicalIndexes = {{1, 1, 1, u"Id"}, {0, 0, 0, u"ParentIdName"}};
  objectsDef.longValueMaps = LongValueList(objectCols, 2);
  WriteTdef(file, kPageMSysObjects, objectsDef);

  TableDefInfo acesDef;
  acesDef.tableType = kTableSystem;
  acesDef.rowCount = uint32_t(aces.size());
  acesDef.ownedMap = MapRow(18);
  acesDef.freeMap = MapRow(19);
  acesDef.columns = aceCols;
  acesDef.realIndexes = {{{0}, MapRow(20), kPageIdxAces, 0x88, uint32_t(aceKeys.size())}};
  acesDef.logicalIndexes = {{0, 0, 0, u"ObjectId"}};
  WriteTdef(file, kPageMSysACEs, acesDef);

  TableDefInfo queriesDef;
  queriesDef.tableType = kTableSystem;
  queriesDef.ownedMap = MapRow(21);
  queriesDef.freeMap = MapRow(22);
  queriesDef.columns = Columns(kQueriesCols);
  queriesDef.realIndexes = {{{0, 1, 2}, MapRow(25), kPageIdxQueries, 0x81, 0}};
  queriesDef.logicalIndexes = {{0, 0, 1, u"ObjectIdAttribute"}};
  queriesDef.longValueMaps = LongValueList(queriesDef.columns, 23);
  WriteTdef(file, kPageMSysQueries, queriesDef);

  TableDefInfo relDef;
  relDef.tableType = kTableSystem;
  relDef.ownedMap = MapRow(26);
  relDef.freeMap = MapRow(27);
  relDef.columns = Columns(kRelationshipsCols);
  relDef.realIndexes = {{{0}, MapRow(28), kPageIdxRelationships, 0x82, 0},
                        {{4}, MapRow(29), kPageIdxRelationships + 1, 0x82, 0},
                        {{6}, MapRow(30), kPageIdxRelationships + 2, 0x82, 0}};
  relDef.logicalIndexes = {{1, 1, 0, u"szObject"}, {2, 2, 0, u"szReferencedObject"}, {0, 0, 0, u"szRelationship"}};
  WriteTdef(file, kPageMSysRelationships, relDef);
}

}  // namespace qx::mdb
