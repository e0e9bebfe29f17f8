#pragma once
// A generator of large synthetic Advantage tables for benchmarks: a dozen
// mixed fields (integers, texts, a number, a double, money, a date, a time
// stamp, a logical, a memo) with values that vary per record, written record
// by record so that tables of any size are made in constant memory.
// Every 50th record is deleted; every 10th has Null values.
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include "adt/AdtFormat.h"
#include "platform/FileUtils.h"
#include "support/AdtFixture.h"

namespace qx::bench {

struct SyntheticTable {
  uint32_t records = 1000000;
  bool memos = true;  // a Memo field whose values live in the .adm file
};

inline constexpr int kSyntheticFieldCount = 12;

// Writes `path` (.adt) and, with memos, the .adm beside it.
inline void WriteSyntheticTable(const std::string& path, const SyntheticTable& options) {
  using fixture::AdtBytes;
  using namespace adt;
  fixture::AdtTableWriter w;
  int id = w.AddField("ID", atAutoInc, 4);
  int name = w.AddField("NAME", atString, 30);
  int city = w.AddField("CITY", atCIString, 20);
  int qty = w.AddField("QTY", atInteger, 4);
  int prio = w.AddField("PRIO", atShortInt, 2);
  int active = w.AddField("ACTIVE", atLogical, 1);
  int price = w.AddField("PRICE", atNumeric, 10, 2);
  int amount = w.AddField("AMOUNT", atDouble, 8, 2);
  int total = w.AddField("TOTAL", atMoney, 8, 4);
  int ordered = w.AddField("ORDERED", atDate, 4);
  int stamp = w.AddField("STAMP", atTimeStamp, 8);
  int note = w.AddField("NOTE", options.memos ? atMemo : atString, options.memos ? 9 : 32);

  constexpr uint32_t kNoteBlocks = 4;  // 32 bytes per note, block size 8
  std::ofstream adt(path, std::ios::binary | std::ios::trunc);
  std::ofstream adm;
  if (options.memos) {
    adm.open(ChangeFileExt(path, ".adm"), std::ios::binary | std::ios::trunc);
    uint8_t header[8] = {0, 0, 0, 0, 0, 0, 0, 8};
    adm.write(reinterpret_cast<const char*>(header), 8);
  }
  auto write = [](std::ofstream& out, const fixture::Bytes& b) {
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  };
  // The deletion chain: each deleted record links to the one before.
  uint32_t lastDeleted = 0;
  for (uint32_t i = 0; i < options.records; ++i)
    if (i % 50 == 49) lastDeleted = i + 1;
  w.SetHeader32(kHdrFirstDeleted, lastDeleted);
  write(adt, w.HeaderBytes(options.records));

  static const char* names[] = {"Alder", "Birch", "Cedar", "Dunmore", "Elm", "Fenwick", "Gorse", "Hawthorn"};
  static const char* cities[] = {"Aberdeen", "Bristol", "Cardiff", "Dover", "Exeter"};
  uint32_t previousDeleted = 0;
  for (uint32_t i = 0; i < options.records; ++i) {
    fixture::AdtRecord r = w.DetachedRecord();
    bool nulls = i % 10 == 9;
    r.Set(id, AdtBytes::Int32(static_cast<int32_t>(i + 1)))
        .Set(name, AdtBytes::Text(std::string(names[i % 8]) + " " + std::to_string(i), 30))
        .Set(city, AdtBytes::Text(cities[i % 5], 20))
        .Set(qty, nulls ? AdtBytes::Hex("00000080") : AdtBytes::Int32(static_cast<int32_t>(i % 1000)))
        .Set(prio, AdtBytes::Int16(static_cast<int16_t>(i % 5)))
        .Set(active, AdtBytes::Logical(i % 3 != 0))
        .Set(price, AdtBytes::Numeric(std::to_string(i % 10000) + "." + std::to_string(10 + i % 90), 10))
        .Set(amount, nulls ? AdtBytes::NullPattern8() : AdtBytes::Double(i * 0.25))
        .Set(total, AdtBytes::Money(static_cast<int64_t>(i) * 12345))
        .Set(ordered, nulls ? fixture::Bytes(4, 0) : AdtBytes::Int32(static_cast<int32_t>(2451545 + i % 9000)))
        .Set(stamp, AdtBytes::TimeStamp(static_cast<int32_t>(2451545 + i % 9000), static_cast<int32_t>(i % 86400000)));
    if (options.memos) {
      std::string text = "note of record " + std::to_string(i);
      text.resize(kNoteBlocks * 8, ' ');
      adm.write(text.data(), static_cast<std::streamsize>(text.size()));
      r.MemoRef(note, 1 + i * kNoteBlocks, static_cast<int32_t>(text.size()));
    } else {
      r.Set(note, AdtBytes::Text("note of record " + std::to_string(i), 32));
    }
    uint32_t link = 0;
    if (i % 50 == 49) {
      link = previousDeleted;
      previousDeleted = i + 1;
    }
    write(adt, w.RecordBytes(r, link));
  }
  if (!adt || (options.memos && !adm)) throw std::runtime_error("cannot write the synthetic table " + path);
}

}  // namespace qx::bench
