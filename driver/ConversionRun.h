#pragma once
#include "driver/RunOptions.h"

namespace qx {

// Runs one transfer from options.SourcePath into the table
// options.TableName of the database options.TargetPath. Errors pass on to
// the caller after everything the run created has been released.
void RunConversion(const RunOptions& options);

}  // namespace qx
