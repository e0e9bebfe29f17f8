#pragma once
// Decoding of one field's bytes into a value, a cell type and an alignment.
// The decoding is tolerant: any bytes give a value or Null; only a time stamp
// whose day number forms no calendar date fails (EConvertError
// "Invalid argument to date encode"). Memo references are not decoded here
// (they need the memo file); see TADT::ReadRecord.
#include <cstdint>
#include <string>
#include <string_view>

#include "adt/AdtFormat.h"
#include "cells/KelCell.h"
#include "platform/Variant.h"

namespace qx::adt {

struct DecodedCell {
  TAlignment alignment = taLeftJustify;
  TKelCellType cellType = ictUnknown;
};

// Decodes `field.length` bytes at `bytes` (a field that is not a memo
// reference) into `out`. `out` is reused across calls: a text value reuses
// its buffer. `wideScratch` is a reused work buffer for UTF-16 fields.
DecodedCell DecodeField(const AdtField& field, const uint8_t* bytes, Variant& out, std::u16string& wideScratch);

// Reads the leading number of a numeric field's text: the text ends at its
// first zero byte; leading blanks, an optional sign, digits and, when
// `withDecimals`, a "." fraction and an exponent. No digits read as 0; text
// after the number is ignored. An integer outside 32 bits, or a real that
// overflows a double, is reported through the result kind (see .cpp).
Variant ReadAdtNumber(std::string_view text, bool withDecimals);

}  // namespace qx::adt
