#include "driver/ConversionRun.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cells/KelUtils.h"
#include "dbengine/Dao.h"
#include "driver/Progress.h"
#include "transfer/Cell2ADT.h"

namespace qx {

namespace {

// Tells the user, on standard error, one line per kind of loss: values
// stored as Null because their field refused them, rows the target refused
// to save, and records the source declares but its file does not hold. The
// walk goes on past all of them, so without this they would be lost
// silently. Record numbers are source record positions, as /first= counts.
void ReportLosses(const TransferLosses& losses, const std::string& sourcePath) {
  if (!losses.refusedValues.empty()) {
    std::vector<std::pair<std::string, TransferLosses::FieldLoss>> fields(losses.refusedValues.begin(),
                                                                          losses.refusedValues.end());
    std::sort(fields.begin(), fields.end(),
              [](const auto& a, const auto& b) { return a.second.fieldIndex < b.second.fieldIndex; });
    int64_t total = 0;
    int64_t first = 0;
    std::string list;
    for (const auto& [name, loss] : fields) {
      total += loss.count;
      if (first == 0 || loss.firstRecord < first) first = loss.firstRecord;
      if (!list.empty()) list += ", ";
      list += name + " (" + std::to_string(loss.count) + ")";
    }
    std::string line = "quillex: " + std::to_string(total) + (total == 1 ? " value refused by the target was" : " values refused by the target were") +
                       " stored as Null, in " +
                       (fields.size() == 1 ? "field " : "fields ") + list + "; the first in source record " + std::to_string(first) + "\n";
    std::fputs(line.c_str(), stderr);
  }
  if (losses.skippedRows > 0) {
    std::string line = "quillex: " + std::to_string(losses.skippedRows) +
                       (losses.skippedRows == 1 ? " row refused by the target was" : " rows refused by the target were") +
                       " skipped; the first is source record " +
                       std::to_string(losses.firstSkippedRecord) + "\n";
    std::fputs(line.c_str(), stderr);
  }
  if (losses.firstMissingRecord > 0) {
    const int64_t missing = losses.lastMissingRecord - losses.firstMissingRecord + 1;
    std::string line = "quillex: " + std::to_string(missing) + (missing == 1 ? " record is" : " records are") +
                       " missing: the header of " + sourcePath + " declares " +
                       std::to_string(losses.declaredRecords) + " records, but the file ends before record " +
                       std::to_string(losses.firstMissingRecord) + "\n";
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
    ReportLosses(losses, options.SourcePath);
    throw;
  }
  progress.Finish();
  TransferLosses losses = engine->Losses();
  engine.reset();
  ReportLosses(losses, options.SourcePath);
}

}  // namespace qx
