#include "driver/ConversionRun.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cells/KelUtils.h"
#include "dbengine/Dao.h"
#include "driver/Progress.h"
#include "transfer/Cell2ADT.h"

namespace qx {

namespace {

// Tells the user, on standard error, about values stored as Null and rows
// skipped: the walk goes on past them, so without this they would be lost
// silently.
void ReportLosses(const TransferLosses& losses) {
  if (!losses.refusedValues.empty()) {
    int64_t total = 0;
    std::string fields;
    for (const auto& [name, loss] : losses.refusedValues) {
      total += loss.count;
      if (!fields.empty()) fields += ", ";
      fields += name + " (" + std::to_string(loss.count) + ", first in record " + std::to_string(loss.firstRecord) + ")";
    }
    std::string line = "quillex: " + std::to_string(total) + (total == 1 ? " value was" : " values were") +
                       " refused by the target and stored as Null: " + fields + "\n";
    std::fputs(line.c_str(), stderr);
  }
  if (losses.skippedRows > 0) {
    std::string line = "quillex: " + std::to_string(losses.skippedRows) +
                       (losses.skippedRows == 1 ? " row was" : " rows were") +
                       " refused by the target and skipped, the first being record " +
                       std::to_string(losses.firstSkippedRecord) + "\n";
    std::fputs(line.c_str(), stderr);
  }
}

}  // namespace

void RunConversion(const RunOptions& options) {
  dao::RegisterBuiltinEngines();
  auto engine = std::make_unique<TCell2ADT>();
  if (UpperCaseAscii(options.Mode) == "COPY") engine->CopyMode = true;
  engine->FieldList = options.FieldList;
  engine->Filter = options.Filter;
  engine->Reader->Range.FirstRow = options.FirstRow;
  engine->Reader->Range.LastRow = options.LastRow;
  engine->Reader->ReadOnDemand = true;
  engine->Reader->FileName = options.SourcePath;
  engine->MDBFileName = options.TargetPath;
  engine->SetPassword(options.Password);
  engine->TableName = options.TableName;
  // Standard error only, and only on a terminal: standard output carries
  // the program's own messages and stays as it is.
  ProgressLine progress(STDERR_FILENO);
  if (progress.Active())
    engine->OnProgress = [&progress](int64_t read, int64_t declared) { progress.Update(read, declared); };
  try {
    engine->Transfer();
  } catch (...) {
    progress.Finish();
    TransferLosses losses = engine->Losses();
    engine.reset();  // the engine and its reader go before the error is reported
    ReportLosses(losses);
    throw;
  }
  progress.Finish();
  TransferLosses losses = engine->Losses();
  engine.reset();
  ReportLosses(losses);
}

}  // namespace qx
