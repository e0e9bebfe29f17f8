// Feeds arbitrary bytes to the ADT reader as a table and its memo file.
//
// Input layout: byte 0 holds options (bit 0: load on demand, else a full
// load; bit 1: read memo contents; bit 2: deliver deleted records too;
// bit 3: offer the password "pw"); bytes 1..4 (LE32, taken modulo the bytes
// left) give the size of the table part; the table follows, then the memo
// file. The reader may refuse an input with one of the system's exceptions;
// anything else (a crash, a sanitizer report, another exception, a hang)
// is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "adt/KeADT.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t options = data[0];
  size_t rest = size - 5;
  uint32_t declared = static_cast<uint32_t>(data[1]) | (static_cast<uint32_t>(data[2]) << 8) |
                      (static_cast<uint32_t>(data[3]) << 16) | (static_cast<uint32_t>(data[4]) << 24);
  size_t tableSize = rest == 0 ? 0 : declared % (rest + 1);
  MemoryStream table(data + 5, tableSize);
  auto memo = std::make_unique<MemoryStream>(data + 5 + tableSize, rest - tableSize);

  TADT reader;
  reader.ReadOnDemand = options & 1;
  if (!(options & 2)) reader.ParseItems.Exclude(ipiBLOB);
  if (options & 4) reader.LoadRowStatutes = {rsNormal, rsDeleted};
  if (options & 8) reader.Password = "pw";
  size_t delivered = 0;
  reader.OnCellValue = [&](TCustomSpreadSheetFile&, int32_t, int32_t, int32_t, int32_t, const Variant& v, TAlignment,
                           TKelCellType) { delivered += v.IsNull() ? 1 : 2; };
  if (!reader.ReadOnDemand) reader.PrepareSheets();  // default handlers store into the sheet too
  if (memo->Size() > 0) reader.AttachMemoStream(std::move(memo));
  try {
    reader.ParseStream(table);
    if (reader.ReadOnDemand) {
      // As the transfer engine walks: in order, until the stream is used up.
      for (int32_t i = 0; i < reader.RecordCount() && i < 100000; ++i) {
        if (table.Position() >= table.Size() - 1) break;
        reader.ReadRecord(i, i);
      }
      // And out of order, past the end.
      reader.ReadRecord(reader.RecordCount() > 0 ? reader.RecordCount() - 1 : 0, 0);
      reader.ReadRecord(2147483647, 0);
      reader.ReadRecord(-1, 0);
    }
  } catch (const Exception&) {
    // A refusal with a message is an accepted outcome.
  }
  return 0;
}
