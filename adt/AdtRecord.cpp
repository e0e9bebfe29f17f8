// Reading one record: position, status, and the delivery of every field.
#include <cstring>

#include "adt/FieldDecoder.h"
#include "adt/KeADT.h"

namespace qx {

using namespace adt;

bool TADT::ReadRecord(int32_t Index, int32_t Row) {
  bool result = TSpreadSheetFile::ReadRecord(Index, Row);
  if (!DataStream) return result;
  DoLoadProgress(Index, recordCount_);
  // Read from the record's own position even when it is not wholly inside
  // the stream (the bytes the stream lacks read as zero). The position
  // check inside SeekRecord costs no system call when the stream is already
  // there, as it is when records are read in order.
  // A negative Index names no record: its bytes are all zero.
  bool readable = Index >= 0;
  if (readable && !SeekRecord(Index)) {
    int64_t p = RecordPosition(Index);
    if (DataStream->Position() != p) DataStream->SetPosition(p);
  }
  size_t got = recordLength_ == 0 || !readable ? 0 : DataStream->Read(record_.data(), recordLength_);
  if (got < recordLength_) std::memset(record_.data() + got, 0, recordLength_ - got);

  TKelRowStatus status = rsNormal;
  if (!deletedSorted_.empty() && IsDeleted(Index)) {
    status = rsDeleted;
    uint8_t link[4] = {0, 0, 0, 0};
    if (recordLength_ > 0) std::memcpy(link, record_.data(), recordLength_ < 4 ? recordLength_ : 4);
    DeletedLink = static_cast<int32_t>(GetLE32(link));
  }
  if (!LoadRowStatutes.Contains(status)) return false;
  if (!OnCellValue) return result;

  for (size_t i = 0; i < fields_.size(); ++i) {
    const AdtField& field = fields_[i];
    // Buffer byte k holds record byte k + 1; the load checked that every
    // field lies inside the record.
    const uint8_t* bytes = record_.data() + field.offset - 1;
    Variant& value = values_[i];
    const int32_t column = static_cast<int32_t>(i);
    if (IsMemoReference(field.code)) {
      if (field.length == 0) continue;
      uint8_t ref[8] = {0, 0, 0, 0, 0, 0, 0, 0};
      std::memcpy(ref, bytes, field.length < 8 ? field.length : 8);
      uint32_t block = GetLE32(ref);
      int32_t length = static_cast<int32_t>(GetLE32(ref + 4));
      if (length < 1) {
        value.SetNull();
        OnCellValue(*this, 0, Row, column, 0, value, taLeftJustify, ictEmpty);
      } else if (ParseItems.Contains(ipiBLOB)) {
        if (field.code == atNMemo) {
          ReadWideMemo(block, length, wideMemoScratch_);
          value = Variant(wideMemoScratch_);
        } else {
          ReadMemo(block, length, memoScratch_);
          if (value.IsText())
            value.MutableText().assign(memoScratch_);
          else
            value = Variant(memoScratch_);
        }
        OnCellValue(*this, 0, Row, column, 0, value, taLeftJustify, ictMemo);
      } else {
        value = Variant(static_cast<int32_t>(block));
        OnCellValue(*this, 0, Row, column, 0, value, taLeftJustify, ictInteger);
      }
      continue;
    }
    DecodedCell cell = DecodeField(field, bytes, value, wideScratch_);
    OnCellValue(*this, 0, Row, column, 0, value, cell.alignment, cell.cellType);
  }
  SetRowStatus(0, Row, status);
  return result;
}

}  // namespace qx
