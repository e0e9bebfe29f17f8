#include "dbengine/mdb/MdbWriter.h"

#include <algorithm>

#include "dbengine/mdb/MdbCatalog.h"
#include "dbengine/mdb/MdbHeader.h"
#include "dbengine/mdb/MdbNames.h"
#include "dbengine/mdb/MdbText.h"
#include "dbengine/mdb/MdbUsageMap.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"

namespace qx::mdb {

namespace {

std::string Shown(std::u16string_view name) { return WideToAnsi(name); }

bool IsSupportedType(uint8_t t) {
  switch (t) {
    case kColBoolean: case kColLong: case kColDouble: case kColDateTime:
    case kColBinary: case kColText: case kColOle: case kColMemo:
      return true;
    default:
      return false;
  }
}

// Usage-map rows (69 bytes and a 2-byte offset each) on one page.
constexpr size_t kMapRowsPerPage = kEmptyDataPageFree / (kMapRowLength + 2);  // 57

std::u16string TextOf(const Variant& v) { return v.IsWideText() ? v.AsWideText() : AnsiToWide(v.AsText()); }

}  // namespace

// ---- MdbTable -------------------------------------------------------------------

static std::vector<ColumnDef> MakeColumns(const std::u16string& table, const std::vector<FieldSpec>& fields) {
  if (fields.size() > kMaxColumns)
    throw EEngineError("Table '" + Shown(table) + "' has more than 255 fields.");
  std::vector<ColumnDef> cols;
  uint16_t fixedOffset = 0, varIndex = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& f = fields[i];
    CheckName(f.name, "field");
    for (size_t j = 0; j < i; ++j)
      if (SameName(fields[j].name, f.name))
        throw EEngineError("Table '" + Shown(table) + "' has two fields named '" + Shown(f.name) + "'.");
    if (!IsSupportedType(f.type))
      throw EEngineError("Field '" + Shown(f.name) + "' has a type a new database cannot hold.");
    ColumnDef c;
    c.name = f.name;
    c.type = f.type;
    c.number = uint16_t(i);
    c.numberCopy = uint16_t(i);
    if (IsFixedType(f.type)) {
      c.flags = kColFlagFixed | kColFlagUpdatable;
      c.fixedOffset = f.type == kColBoolean ? 0 : fixedOffset;
      fixedOffset = uint16_t(fixedOffset + FixedSize(f.type));
      c.length = f.type == kColBoolean ? 1 : uint16_t(FixedSize(f.type));
    } else {
      c.flags = kColFlagUpdatable;
      c.varIndex = varIndex++;
      if (f.type == kColText || f.type == kColBinary) {
        size_t max = f.type == kColText ? kMaxTextChars : kMaxBinaryBytes;
        if (f.size < 1 || size_t(f.size) > max)
          throw EEngineError("The size of field '" + Shown(f.name) + "' must lie between 1 and 255.");
        c.length = uint16_t(f.type == kColText ? 2 * f.size : f.size);
      }
      if (f.type == kColText || f.type == kColMemo) c.extraFlags = kColExtraCompressed;
    }
    cols.push_back(c);
  }
  return cols;
}

MdbTable::MdbTable(PageFile& file, std::u16string name, const std::vector<FieldSpec>& fields, double created)
    : file_(file),
      name_(std::move(name)),
      created_(created),
      columns_(MakeColumns(name_, fields)),
      layout_(columns_),
      page_(0) {
  // The definition's length does not depend on the rows, so its pages can
  // be taken now; the usage-map page follows it, as Access places it.
  TableDefInfo probe;
  probe.columns = columns_;
  for (const auto& c : columns_)
    if (IsLongValueType(c.type)) probe.longValueMaps.push_back({c.number, 0, 0});
  size_t tdefPages = TableDefPageCount(EncodeTableDef(probe).size());
  for (size_t i = 0; i < tdefPages; ++i) tdefPages_.push_back(file_.Allocate());
  size_t mapRows = 2 + 2 * probe.longValueMaps.size();
  for (size_t i = 0; i < (mapRows + kMapRowsPerPage - 1) / kMapRowsPerPage; ++i) mapPages_.push_back(file_.Allocate());
  longValues_.resize(columns_.size());
  for (const auto& c : columns_)
    if (IsLongValueType(c.type)) longValues_[c.number] = std::make_unique<LongValueColumn>(file_);
}

StoredValue MdbTable::Convert(const ColumnDef& col, const Variant& v, Bytes& longData) const {
  StoredValue s;
  if (col.type == kColBoolean) {
    // A Yes/No field has no Null: Null stores No.
    s.null = false;
    switch (v.Kind()) {
      case VarKind::Empty: case VarKind::Null: s.flag = false; return s;
      case VarKind::Boolean: s.flag = v.AsBoolean(); return s;
      case VarKind::Integer: s.flag = v.AsInteger() != 0; return s;
      case VarKind::Real: s.flag = v.AsReal() != 0; return s;
      default: break;
    }
  } else if (v.IsEmptyOrNull()) {
    return s;
  } else {
    s.null = false;
    switch (col.type) {
      case kColLong:
        if (v.Kind() == VarKind::Integer) {
          AddU32(s.data, uint32_t(v.AsInteger()));
          return s;
        }
        break;
      case kColDouble:
        if (v.Kind() == VarKind::Real || v.Kind() == VarKind::Integer) {
          AddF64(s.data, v.Kind() == VarKind::Real ? v.AsReal() : double(v.AsInteger()));
          return s;
        }
        break;
      case kColDateTime:
        if (v.Kind() == VarKind::Date || v.Kind() == VarKind::Real) {
          AddF64(s.data, v.Kind() == VarKind::Date ? v.AsDate() : v.AsReal());
          return s;
        }
        break;
      case kColText:
      case kColMemo:
        if (v.IsAnyText()) {
          std::u16string text = TextOf(v);
          if (col.type == kColText && text.size() > col.length / 2u)
            throw EEngineError("The value is too long for field '" + Shown(col.name) + "' (at most " +
                               std::to_string(col.length / 2) + " characters).");
          Bytes enc = EncodeText(text, col.extraFlags & kColExtraCompressed);
          if (col.type == kColMemo) {
            if (enc.size() > kMaxLongValue)
              throw EEngineError("The value is too long for field '" + Shown(col.name) + "'.");
            longData = std::move(enc);
          } else {
            s.data = std::move(enc);
          }
          return s;
        }
        break;
      case kColBinary:
      case kColOle:
        if (v.Kind() == VarKind::Bytes) {
          const ByteArray& b = v.AsBytes();
          if (col.type == kColBinary && b.size() > col.length)
            throw EEngineError("The value is too long for field '" + Shown(col.name) + "' (at most " +
                               std::to_string(col.length) + " bytes).");
          if (b.size() > kMaxLongValue)
            throw EEngineError("The value is too long for field '" + Shown(col.name) + "'.");
          if (col.type == kColOle)
            longData.assign(b.begin(), b.end());
          else
            s.data.assign(b.begin(), b.end());
          return s;
        }
        break;
      default:
        break;
    }
  }
  throw EEngineError(std::string("A value of kind ") + VarKindName(v.Kind()) + " cannot be stored in field '" +
                     Shown(col.name) + "'.");
}

void MdbTable::AppendRow(const std::vector<Variant>& values) {
  if (values.size() > columns_.size())
    throw EEngineError("Too many values for table '" + Shown(name_) + "'.");
  std::vector<StoredValue> stored(columns_.size());
  std::vector<Bytes> longData(columns_.size());
  static const Variant kNull = Variant::Null();
  for (const auto& c : columns_)
    stored[c.number] = Convert(c, c.number < values.size() ? values[c.number] : kNull, longData[c.number]);

  // Long values: small ones stay in the row unless the row gets too long;
  // then every long value moves to LVAL pages.
  auto layoutLongValues = [&](bool allowInline) {
    for (const auto& c : columns_) {
      if (!IsLongValueType(c.type) || stored[c.number].null) continue;
      const Bytes& d = longData[c.number];
      if (allowInline && d.size() <= kMaxInlineLongValue)
        stored[c.number].data = InlineLongValue(d.data(), d.size());
      else
        stored[c.number].data.assign(kLongValueHeader, 0);  // placeholder of the same size
    }
  };
  layoutLongValues(true);
  if (layout_.EncodedLength(stored) > kMaxRowLength) layoutLongValues(false);
  if (layout_.EncodedLength(stored) > kMaxRowLength)
    throw EEngineError("The record is too large for table '" + Shown(name_) + "'.");
  for (const auto& c : columns_) {
    if (!IsLongValueType(c.type) || stored[c.number].null) continue;
    if (stored[c.number].data.size() == kLongValueHeader && GetU32(stored[c.number].data.data()) == 0) {
      const Bytes& d = longData[c.number];
      // An empty value has nothing to put on a page: it is kept inline.
      stored[c.number].data =
          d.empty() ? InlineLongValue(d.data(), 0) : longValues_[c.number]->Store(d.data(), d.size());
    }
  }
  Bytes row = layout_.Encode(stored);
  if (pageOpen_ && !page_.Fits(row.size())) {
    file_.Write(pageNumber_, page_.Bytes());
    pageOpen_ = false;
  }
  if (!pageOpen_) {
    pageNumber_ = file_.Allocate();
    page_.Reset(TdefPage());
    dataPages_.push_back(pageNumber_);
    pageOpen_ = true;
  }
  page_.Add(row);
  ++rowCount_;
}

void MdbTable::Finish() {
  if (pageOpen_) file_.Write(pageNumber_, page_.Bytes());
  std::vector<BitmapPage> bitmaps;
  auto allocate = [this] { return file_.AllocateForClose(); };
  std::vector<DataPage> maps(mapPages_.size(), DataPage(0));
  size_t mapRow = 0;
  auto addMap = [&](const std::vector<uint32_t>& pages) {
    size_t page = mapRow++ / kMapRowsPerPage;
    return PgRow(mapPages_[page], maps[page].Add(EncodeTableMap(pages, allocate, bitmaps)));
  };
  TableDefInfo def;
  def.tableType = kTableUser;
  def.rowCount = rowCount_;
  def.columns = columns_;
  std::vector<uint32_t> withRoom;
  if (pageOpen_ && page_.Free() > 0 && page_.RowCount() < kMaxRowsPerPage) withRoom.push_back(pageNumber_);
  def.ownedMap = addMap(dataPages_);
  def.freeMap = addMap(withRoom);
  for (const auto& c : columns_) {
    if (!longValues_[c.number]) continue;
    LongValueColumn& lv = *longValues_[c.number];
    lv.Finish();
    LongValueMaps m;
    m.column = c.number;
    m.owned = addMap(lv.Pages());
    m.free = addMap(lv.PagesWithRoom());
    def.longValueMaps.push_back(m);
  }
  for (size_t i = 0; i < maps.size(); ++i) file_.Write(mapPages_[i], maps[i].Bytes());
  for (const auto& b : bitmaps) file_.Write(b.number, b.bytes);
  auto pages = LayTableDef(EncodeTableDef(def), tdefPages_);
  for (size_t i = 0; i < pages.size(); ++i) file_.Write(tdefPages_[i], pages[i]);
}

// ---- MdbDatabase -------------------------------------------------------------------

MdbDatabase::MdbDatabase(const std::string& path, const CreateOptions& options)
    : path_(path), options_(options), file_(std::make_unique<PageFile>(path)), created_(Now()) {
  // Pages 0..15: header, global map and the system tables (written at Close).
  while (file_->PageCount() < kFirstUserPage) file_->Allocate();
}

std::unique_ptr<MdbDatabase> MdbDatabase::Create(const std::string& path, const CreateOptions& options) {
  return std::unique_ptr<MdbDatabase>(new MdbDatabase(path, options));
}

MdbDatabase::~MdbDatabase() {
  if (closed_) return;
  try {
    Close();
  } catch (...) {
    // The temporary file is removed by the page file; nothing more to do
    // in a destructor.
  }
}

void MdbDatabase::CheckOpen() const {
  if (closed_) throw EEngineError("Database '" + path_ + "' is closed.");
}

MdbTable* MdbDatabase::FindTable(std::u16string_view name) {
  for (auto& t : tables_)
    if (SameName(t->Name(), name)) return t.get();
  return nullptr;
}

MdbTable& MdbDatabase::CreateTable(const std::u16string& name, const std::vector<FieldSpec>& fields) {
  CheckOpen();
  CheckName(name, "table");
  for (const auto& sys : SystemTableNames())
    if (SameName(sys, name)) throw EEngineError("Table '" + Shown(name) + "' already exists.");
  if (FindTable(name)) throw EEngineError("Table '" + Shown(name) + "' already exists.");
  std::vector<UserTableEntry> entries;
  for (const auto& t : tables_) entries.push_back({t->Name(), t->TdefPage(), t->Created()});
  entries.push_back({name, 0x00FFFFFF, 0});
  Bytes key;
  if (!GeneralLegacyKey(name, key))
    throw EEngineError("Invalid table name '" + Shown(name) +
                       "': a new database takes table names of letters A-Z, digits, blanks and \"_\" only.");
  if (!CatalogFits(entries)) throw EEngineError("The database cannot hold more tables.");
  tables_.push_back(std::make_unique<MdbTable>(*file_, name, fields, Now()));
  return *tables_.back();
}

void MdbDatabase::Close() {
  if (closed_) return;
  closed_ = true;  // a failed Close is not retried: the page file is discarded
  try {
    std::vector<UserTableEntry> entries;
    for (auto& t : tables_) {
      t->Finish();
      entries.push_back({t->Name(), t->TdefPage(), t->Created()});
    }
    WriteCatalog(*file_, created_, entries);
    HeaderInfo header;
    header.codePage = options_.codePage;
    header.sortLcid = options_.sortLcid;
    header.created = created_;
    file_->Write(0, BuildHeaderPage(header));
    // The global map last: it must see every page of the file.
    std::vector<BitmapPage> bitmaps;
    Bytes global = EncodeGlobalMap([this] { return file_->PageCount(); },
                                   [this] { return file_->AllocateForClose(); }, bitmaps);
    DataPage page1(1);
    page1.Add(global);
    page1.Add(Bytes(kMapRowLength, 0));
    file_->Write(kPageGlobalMap, page1.Bytes());
    for (const auto& b : bitmaps) file_->Write(b.number, b.bytes);
    file_->Commit();
  } catch (...) {
    file_->Discard();
    throw;
  }
}

}  // namespace qx::mdb
