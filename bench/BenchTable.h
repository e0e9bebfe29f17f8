#pragma once
// The table of the benchmark suite (bench/run_all.sh): a dozen fields in a
// realistic mix (Integer, AutoInc, ShortInt, String(40), CIString(20),
// Double, Money, Date, TimeStamp, Logical, a Memo of short texts, NChar(20)),
// values varying per record, about one record in 100 deleted and one in 20
// with Null in its Double and Date fields. Written record by record, so any
// size is made in constant memory.
//
// QTY runs through 0..999, so the filter [QTY]<500 keeps half the records.
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include "adt/AdtFormat.h"
#include "platform/FileUtils.h"
#include "support/AdtFixture.h"

namespace qx::bench {

inline bool BenchRecordDeleted(uint32_t i) { return i % 100 == 99; }

// Writes `path` (.adt) and the .adm beside it with `records` records.
inline void WriteBenchTable(const std::string& path, uint32_t records) {
  using fixture::AdtBytes;
  using namespace adt;
  fixture::AdtTableWriter w;
  int id = w.AddField("ID", atAutoInc, 4);
  int qty = w.AddField("QTY", atInteger, 4);
  int prio = w.AddField("PRIO", atShortInt, 2);
  int name = w.AddField("NAME", atString, 40);
  int city = w.AddField("CITY", atCIString, 20);
  int amount = w.AddField("AMOUNT", atDouble, 8, 2);
  int total = w.AddField("TOTAL", atMoney, 8, 4);
  int ordered = w.AddField("ORDERED", atDate, 4);
  int stamp = w.AddField("STAMP", atTimeStamp, 8);
  int active = w.AddField("ACTIVE", atLogical, 1);
  int note = w.AddField("NOTE", atMemo, 9);
  int label = w.AddField("LABEL", atNChar, 40);  // 20 UTF-16 characters

  constexpr uint32_t kBlock = 8;
  std::ofstream adt(path, std::ios::binary | std::ios::trunc);
  std::ofstream adm(ChangeFileExt(path, ".adm"), std::ios::binary | std::ios::trunc);
  const uint8_t admHeader[8] = {0, 0, 0, 0, 0, 0, 0, kBlock};
  adm.write(reinterpret_cast<const char*>(admHeader), 8);
  auto write = [](std::ofstream& out, const fixture::Bytes& b) {
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  };
  // The deletion chain: each deleted record links to the one deleted before.
  uint32_t lastDeleted = 0;
  for (uint32_t i = 0; i < records; ++i)
    if (BenchRecordDeleted(i)) lastDeleted = i + 1;
  w.SetHeader32(kHdrFirstDeleted, lastDeleted);
  write(adt, w.HeaderBytes(records));

  static const char* names[] = {"Alder", "Birch", "Cedar", "Dunmore", "Elm", "Fenwick", "Gorse", "Hawthorn"};
  static const char* cities[] = {"Aberdeen", "Bristol", "Cardiff", "Dover", "Exeter"};
  static const char* notes[] = {"delivered", "call before delivery", "paid in advance, ship with the next order",
                                "", "back order"};
  static const char16_t* labels[] = {u"North", u"South", u"East", u"West"};
  uint32_t nextBlock = 1, previousDeleted = 0;
  for (uint32_t i = 0; i < records; ++i) {
    fixture::AdtRecord r = w.DetachedRecord();
    bool nulls = i % 20 == 19;
    std::u16string labelText = std::u16string(labels[i % 4]) + u"-";
    for (char c : std::to_string(i % 997)) labelText.push_back(static_cast<char16_t>(c));
    r.Set(id, AdtBytes::Int32(static_cast<int32_t>(i + 1)))
        .Set(qty, AdtBytes::Int32(static_cast<int32_t>((i * 7) % 1000)))
        .Set(prio, AdtBytes::Int16(static_cast<int16_t>(i % 5)))
        .Set(name, AdtBytes::Text(std::string(names[i % 8]) + " & Sons " + std::to_string(i), 40))
        .Set(city, AdtBytes::Text(cities[i % 5], 20))
        .Set(amount, nulls ? AdtBytes::NullPattern8() : AdtBytes::Double((i % 100000) * 0.37))
        .Set(total, AdtBytes::Money(static_cast<int64_t>(i) * 12345))
        .Set(ordered, nulls ? fixture::Bytes(4, 0) : AdtBytes::Int32(static_cast<int32_t>(2451545 + i % 9000)))
        .Set(stamp, AdtBytes::TimeStamp(static_cast<int32_t>(2451545 + i % 9000),
                                        static_cast<int32_t>((i * 7919u) % 86400000u)))
        .Set(active, AdtBytes::Logical(i % 3 != 0))
        .Set(label, AdtBytes::Wide(labelText, 40));
    std::string text = std::string(notes[i % 5]) + (i % 5 == 3 ? "" : " #" + std::to_string(i));
    if (!text.empty()) {
      uint32_t blocks = static_cast<uint32_t>((text.size() + kBlock - 1) / kBlock);
      std::string stored = text;
      stored.resize(blocks * kBlock, ' ');
      adm.write(stored.data(), static_cast<std::streamsize>(stored.size()));
      r.MemoRef(note, nextBlock, static_cast<int32_t>(text.size()));
      nextBlock += blocks;
    }
    uint32_t link = 0;
    if (BenchRecordDeleted(i)) {
      link = previousDeleted;
      previousDeleted = i + 1;
    }
    write(adt, w.RecordBytes(r, link));
  }
  if (!adt || !adm) throw std::runtime_error("cannot write the benchmark table " + path);
}

}  // namespace qx::bench
