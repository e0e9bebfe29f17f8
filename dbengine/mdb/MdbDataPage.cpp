#include "dbengine/mdb/MdbDataPage.h"

#include <cstring>

namespace qx::mdb {

void DataPage::Reset(uint32_t owner) {
  page_.fill(0);
  page_[0] = 0x01;
  page_[1] = 0x01;
  PutU16(&page_[2], uint16_t(kEmptyDataPageFree));
  PutU32(&page_[4], owner);
  rows_ = 0;
  low_ = kPageSize;
}

uint8_t DataPage::Add(const uint8_t* data, size_t len) {
  low_ -= len;
  if (len) std::memcpy(&page_[low_], data, len);
  PutU16(&page_[14 + 2 * rows_], uint16_t(low_));
  uint8_t row = uint8_t(rows_++);
  PutU16(&page_[12], uint16_t(rows_));
  PutU16(&page_[2], uint16_t(low_ - (14 + 2 * rows_)));
  return row;
}

}  // namespace qx::mdb
