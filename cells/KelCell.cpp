#include "cells/KelCell.h"

namespace qx {

void TKelCell::Assign(const TPersistent& Source) {
  if (auto* cell = dynamic_cast<const TKelCell*>(&Source)) {
    Value = cell->Value;
    Alignment = cell->Alignment;
    FormatIndex = cell->FormatIndex;
    CellType = cell->CellType;
    return;
  }
  TPersistent::Assign(Source);
}

TSpreadSheetRow::~TSpreadSheetRow() { ClearLastToFirst(Cols); }

void TSpreadSheetRow::ClearValues() {
  for (auto& cell : Cols) {
    if (!cell) continue;
    cell->Value.SetNull();
    cell->Alignment = taLeftJustify;
    cell->FormatIndex = -1;
  }
}

}  // namespace qx
