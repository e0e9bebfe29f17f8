#pragma once
// Conversion of a value given to a field (Null, an array of bytes, or a
// text in the ANSI code page) to what a field of its type stores. Every
// storage uses this one conversion; it accepts every text form the
// system's own value-to-text conversion produces (platform/VarConvert.h)
// and refuses the rest.
#include <string>

#include "dbengine/Backend.h"
#include "platform/Variant.h"

namespace qx::dao {

// Converts value for a field of the given type and size (as
// EffectiveFieldSize reports it) into out. Empty and Null give Null.
// Raises EEngineError "Cannot store <value> in field '<field>' of table
// '<table>': <reason>." when the field cannot take the value.
void ConvertFieldValue(const Variant& value, int type, int size, const std::string& field, const std::string& table,
                       StoredValue& out);

}  // namespace qx::dao
