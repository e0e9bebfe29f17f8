// The filter of TCell2MDB. A name in the filter that is a source column's
// name (bare, or in brackets) stands for that column's value in the record
// being tested; every other name stands for its own text, as do quoted
// texts, and SUBSTITUTE maps a key through two lists.
#include "transfer/RowFilter.h"

#include "cells/KelUtils.h"
#include "expr/KelParser.h"
#include "platform/CodePage.h"
#include "platform/VarConvert.h"
#include "transfer/Cell2MDB.h"

namespace qx {

bool StripEnclosing(char open, char close, std::string& s) {
  if (s.empty() || s.front() != open || s.back() != close) return false;
  s = s.size() == 1 ? std::string() : s.substr(1, s.size() - 2);
  return true;
}

void TakeListItem(char separator, std::string& list, std::string& item) {
  size_t pos = list.find(separator);
  if (pos == std::string::npos) {
    item = TrimRightControls(list);
    list.clear();
  } else {
    item = TrimRightControls(std::string_view(list).substr(0, pos));
    list.erase(0, pos + 1);
  }
}

namespace {

std::string TextOf(const Variant& v) { return v.IsText() ? v.AsText() : VarToText(v); }

}  // namespace

struct TCell2MDB::FilterState {
  std::unique_ptr<TKelParser> parser;
  std::vector<std::string> columnNames;  // source column names, upper-cased
};

void TCell2MDB::FilterStateDeleter::operator()(FilterState* state) const { delete state; }

int32_t TCell2MDB::FilterColumnIndex(const std::string& name) {
  const auto& names = PreparedFilter().columnNames;
  for (size_t i = 0; i < names.size(); ++i)
    if (SameTextAscii(names[i], name)) return static_cast<int32_t>(i);
  return -1;
}

TCell2MDB::FilterState& TCell2MDB::PreparedFilter() {
  if (!filter_) {
    // One parser serves every record and keeps the tree it parsed: the text
    // never changes during a run, and evaluating the kept tree gives the
    // results and errors of parsing it anew.
    filter_.reset(new FilterState);
    filter_->parser = std::make_unique<TKelParser>();
    filter_->parser->KeepParsedTree = true;
    filter_->parser->OnEvaluate = [this](TKelParser&, const std::string&, const TEvalArgs& Args, int ArgCount,
                                         bool, Variant& V, bool& Done) { FilterEvaluate(Args, ArgCount, V, Done); };
    const int32_t columns = GetColumnCount();
    for (int32_t c = 0; c < columns; ++c) filter_->columnNames.push_back(UpperCaseAscii(GetColumnName(c)));
  }
  return *filter_;
}

void TCell2MDB::ParseFilter(const std::string& Text) {
  FilterState& state = PreparedFilter();
  state.parser->Text = Text;
  state.parser->Execute(false);
}

void TCell2MDB::EvaluateFilter(const std::string& Text, Variant& Value) {
  FilterState& state = PreparedFilter();
  state.parser->Text = Text;
  Value = state.parser->Calculate();
}

void TCell2MDB::FilterEvaluate(const TEvalArgs& Args, int ArgCount, Variant& Value, bool& Done) {
  Done = ArgCount == 0;
  if (Value.IsAnyText()) {
    std::string s = Value.IsText() ? Value.AsText() : WideToAnsi(Value.AsWideText());
    if (!s.empty()) {
      StripEnclosing('[', ']', s);
      bool quoted = !s.empty() && StripEnclosing('"', '"', s);
      if (quoted) {
        Value = Variant(std::move(s));
        return;
      }
      int32_t column = s.empty() ? -1 : FilterColumnIndex(s);
      if (column >= 0) {
        // The column's value in the record being tested, with its own kind.
        const TKelCell* cell = RowBuffer ? ItemOrNil(RowBuffer->Cols, column) : nullptr;
        if (cell == nullptr || cell->Value.IsEmptyOrNull())
          Value.SetNull();
        else if (cell->Value.IsWideText())
          Value = Variant(WideToAnsi(cell->Value.AsWideText()));
        else
          Value = cell->Value;
        Done = true;
        return;
      }
      Value = Variant(std::move(s));
    }
  }
  if (ArgCount >= 3 && Value.IsText() && SameTextAscii(Value.AsText(), "SUBSTITUTE")) {
    Value.SetNull();
    std::string sources = TextOf(Args[1]);
    if (!sources.empty()) {
      std::string results = TextOf(Args[2]);
      const std::string key = TextOf(Args[0]);
      std::string a, b;
      while (!sources.empty()) {
        TakeListItem(';', sources, a);
        TakeListItem(';', results, b);
        if (a == key) {
          Value = Variant(b);
          break;
        }
      }
    }
  }
  if (Value.IsEmptyOrNull() || TextOf(Value).empty()) Value.SetNull();
}

}  // namespace qx
