#include "transfer/Cell2ADT.h"

#include <cstring>

#include "dbengine/Dao.h"
#include "platform/Exceptions.h"

namespace qx {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

std::string DescriptorName(const uint8_t* d) {
  size_t n = 0;
  while (n < 128 && d[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(d), n);
}

}  // namespace

TCell2ADT::TCell2ADT() { CreateReader(); }

void TCell2ADT::CreateReader() { Reader = std::make_unique<TADT>(); }

int32_t TCell2ADT::GetColumnCount() {
  auto header = AdtReader().GetHeader();
  return U16(header.data() + 358);
}

std::string TCell2ADT::GetColumnName(int32_t Index) {
  if (Index < 0 || Index >= GetColumnCount()) return std::string();
  auto d = AdtReader().GetFieldDescriptor(Index);
  return DescriptorName(d.data());
}

int32_t TCell2ADT::GetRecordCount() {
  auto header = AdtReader().GetHeader();
  return static_cast<int32_t>(U32(header.data() + 24));
}

Stream* TCell2ADT::GetStream() { return AdtReader().DataStream; }

void AdtFieldToTarget(uint8_t typeCode, int32_t fieldLength, int32_t& size, int32_t& fieldType) {
  size = fieldLength;
  switch (typeCode) {
    case 1: fieldType = dao::dbBoolean; break;
    case 2: case 10: case 17: case 18: fieldType = dao::dbDouble; break;
    case 3: case 9: case 13: case 14: case 22: fieldType = dao::dbDate; break;
    case 11: case 12: case 15: case 19: case 21: fieldType = dao::dbLong; break;
    case 5: case 6: case 7: case 8: case 28:
      fieldType = dao::dbMemo;
      size = 0;
      break;
    default:
      // Text up to 254 characters; longer fields become memo fields.
      if (fieldLength <= 254) {
        fieldType = dao::dbText;
      } else {
        fieldType = dao::dbMemo;
        size = 0;
      }
  }
}

void TCell2ADT::GetColumnDef(int32_t Index, std::string& Name, int32_t& Size, int32_t& FieldType) {
  if (Index < 0 || Index >= GetColumnCount()) return;
  auto d = AdtReader().GetFieldDescriptor(Index);
  Name = DescriptorName(d.data());
  AdtFieldToTarget(d[128], U16(d.data() + 134), Size, FieldType);
}

void TCell2ADT::CheckSource() {
  Stream* stream = SourceStream();
  if (stream == nullptr) return;
  const int64_t size = stream->Size();
  auto refuse = [&](const std::string& what) {
    throw EKelFileException("Table " + Reader->FileName + " cannot be read: " + what + ".");
  };
  if (size < 400) refuse("the file ends inside its header (" + std::to_string(size) + " of 400 bytes)");
  const int32_t fields = GetColumnCount();
  if (fields == 0) refuse("its header declares no fields");
  const int32_t records = GetRecordCount();
  if (records < 0) refuse("its header declares a negative record count (" + std::to_string(records) + ")");
  const auto header = AdtReader().GetHeader();
  const int64_t dataOffset = U32(header.data() + 32);
  if (records > 0 && dataOffset >= size)
    refuse("its records start at byte " + std::to_string(dataOffset) + ", beyond the end of the file (" +
           std::to_string(size) + " bytes)");
}

std::string TCell2ADT::GetPassword() { return AdtReader().Password; }

void TCell2ADT::SetPassword(const std::string& Value) { AdtReader().Password = Value; }

}  // namespace qx
