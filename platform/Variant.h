#pragma once
// Variant: the dynamically typed value of the system (cell values, expression
// values, values handed to the database engine). A kind tag and an inline
// payload; only texts and byte arrays use the heap. Copying copies the value.
//
// Empty (never assigned) and Null are different kinds. Currency is a 64-bit
// fixed-point number with four decimals (Currency::raw counts 1/10000).
// A date-time is a double counting days since 30 December 1899.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qx {

enum class VarKind : uint8_t {
  Empty,
  Null,
  Integer,   // signed 32-bit (8-bit unsigned and 16-bit signed are stored here too)
  Real,      // double (single precision is stored here too)
  Currency,  // 64-bit fixed point, four decimals
  Date,      // days since 1899-12-30, fraction = time of day
  Text,      // 8-bit text in the ANSI code page
  WideText,  // UTF-16 text
  Boolean,
  Bytes,     // one-dimensional byte array (towards the database engine only)
};

struct Currency {
  int64_t raw = 0;  // value * 10000
  static constexpr int64_t kScale = 10000;
  friend bool operator==(Currency a, Currency b) { return a.raw == b.raw; }
};

struct DateTime {
  double value = 0;
  friend bool operator==(DateTime a, DateTime b) { return a.value == b.value; }
};

using ByteArray = std::vector<uint8_t>;

class Variant {
 public:
  Variant() = default;  // Empty
  static Variant Null() { Variant v; v.data_.emplace<kNullIdx>(); return v; }
  Variant(int32_t v) : data_(std::in_place_index<kIntIdx>, v) {}
  Variant(double v) : data_(std::in_place_index<kRealIdx>, v) {}
  Variant(Currency v) : data_(std::in_place_index<kCurIdx>, v) {}
  Variant(DateTime v) : data_(std::in_place_index<kDateIdx>, v) {}
  Variant(bool v) : data_(std::in_place_index<kBoolIdx>, v) {}
  Variant(std::string v) : data_(std::in_place_index<kTextIdx>, std::move(v)) {}
  Variant(std::string_view v) : data_(std::in_place_index<kTextIdx>, std::string(v)) {}
  Variant(const char* v) : data_(std::in_place_index<kTextIdx>, std::string(v)) {}
  Variant(std::u16string v) : data_(std::in_place_index<kWideIdx>, std::move(v)) {}
  Variant(ByteArray v) : data_(std::in_place_index<kBytesIdx>, std::move(v)) {}
  // Guard against accidental conversions from other integer widths.
  Variant(int64_t) = delete;
  Variant(uint32_t) = delete;

  static Variant FromDate(double days) { return Variant(DateTime{days}); }
  static Variant FromCurrencyRaw(int64_t raw) { return Variant(Currency{raw}); }

  VarKind Kind() const { return static_cast<VarKind>(data_.index()); }
  bool IsEmpty() const { return Kind() == VarKind::Empty; }
  bool IsNull() const { return Kind() == VarKind::Null; }
  bool IsEmptyOrNull() const { return data_.index() <= kNullIdx; }
  bool IsText() const { return Kind() == VarKind::Text; }
  bool IsWideText() const { return Kind() == VarKind::WideText; }
  bool IsAnyText() const { return IsText() || IsWideText(); }

  // Accessors: REQUIRES the matching kind (checked by std::get).
  int32_t AsInteger() const { return std::get<kIntIdx>(data_); }
  double AsReal() const { return std::get<kRealIdx>(data_); }
  Currency AsCurrency() const { return std::get<kCurIdx>(data_); }
  double AsDate() const { return std::get<kDateIdx>(data_).value; }
  bool AsBoolean() const { return std::get<kBoolIdx>(data_); }
  const std::string& AsText() const { return std::get<kTextIdx>(data_); }
  const std::u16string& AsWideText() const { return std::get<kWideIdx>(data_); }
  const ByteArray& AsBytes() const { return std::get<kBytesIdx>(data_); }
  std::string& MutableText() { return std::get<kTextIdx>(data_); }

  void Clear() { data_.emplace<kEmptyIdx>(); }
  void SetNull() { data_.emplace<kNullIdx>(); }

  friend bool operator==(const Variant& a, const Variant& b) { return a.data_ == b.data_; }

 private:
  struct EmptyTag { friend bool operator==(EmptyTag, EmptyTag) { return true; } };
  struct NullTag { friend bool operator==(NullTag, NullTag) { return true; } };
  enum : size_t { kEmptyIdx, kNullIdx, kIntIdx, kRealIdx, kCurIdx, kDateIdx, kTextIdx, kWideIdx, kBoolIdx, kBytesIdx };
  std::variant<EmptyTag, NullTag, int32_t, double, Currency, DateTime, std::string, std::u16string, bool, ByteArray> data_;
};

// A readable name of a kind, for messages and test output.
const char* VarKindName(VarKind kind);

}  // namespace qx
