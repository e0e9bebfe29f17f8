#pragma once
// The row and column window of a load, 1-based. It only stores the window;
// each user states how it compares its own numbers with it.
#include <cstdint>

#include "cells/Persistent.h"

namespace qx {

class TKeRange : public TPersistent {
 public:
  int32_t FirstRow = 1;
  int32_t LastRow = 2147483647;
  int32_t FirstCol = 1;
  int32_t LastCol = 2147483647;

  const char* ClassName() const override { return "TKeRange"; }
  // Copies the four fields from another TKeRange; anything else is refused.
  void Assign(const TPersistent& Source) override {
    if (auto* r = dynamic_cast<const TKeRange*>(&Source)) {
      FirstRow = r->FirstRow;
      LastRow = r->LastRow;
      FirstCol = r->FirstCol;
      LastCol = r->LastCol;
      return;
    }
    TPersistent::Assign(Source);
  }
};

}  // namespace qx
