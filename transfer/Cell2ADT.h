#pragma once
// TCell2ADT: binds the transfer engine to the ADT reader. It answers the
// engine's questions about the source (columns, record count, stream,
// password) from the reader's table header and field descriptors, and
// chooses the target field type and size of each ADT field.
#include "adt/KeADT.h"
#include "transfer/Cell2MDB.h"

namespace qx {

class TCell2ADT : public TCell2MDB {
 public:
  TCell2ADT();

  void CreateReader() override;
  int32_t GetColumnCount() override;
  std::string GetColumnName(int32_t Index) override;
  int32_t GetRecordCount() override;
  Stream* GetStream() override;
  void GetColumnDef(int32_t Index, std::string& Name, int32_t& Size, int32_t& FieldType) override;
  std::string GetPassword() override;
  void SetPassword(const std::string& Value) override;

  TADT& AdtReader() { return static_cast<TADT&>(*Reader); }

 protected:
  // Refuses a file cut inside its header, a header without fields or with a
  // negative record count, and records placed beyond the end of the file:
  // such a table would be walked as made-up rows, or as none at all,
  // without a word. (The reader itself refuses cut field descriptors.)
  void CheckSource() override;
};

// The target field type of an ADT type code, and the size it gets (the
// field length, or 0 for memo fields).
void AdtFieldToTarget(uint8_t typeCode, int32_t fieldLength, int32_t& size, int32_t& fieldType);

}  // namespace qx
