#include "driver/Quillex.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "driver/CmdLineHelper.h"
#include "driver/ConversionRun.h"
#include "driver/ErrorReport.h"
#include "driver/RunOptions.h"
#include "driver/Usage.h"
#include "platform/CodePage.h"
#include "platform/Console.h"
#include "platform/FileUtils.h"
#include "platform/Locale.h"

namespace qx {

namespace {

int Run() {
  if (ArgumentCount() < 2) {
    ConsoleWrite(UsageText());
    ConsoleFlush();
    return 0;
  }
  RunOptions options = ReadRunOptions();
  // The code page comes first: the locale's texts (month names, separators)
  // are read into it, and an unknown one must stop the run before any file
  // is opened.
  if (!SetAnsiCodePage(CodePageNumber(options.CodePage)))
    throw ECodePageError("Code page " + options.CodePage + " could not be set.");
  LoadLocaleSettings();
  RunConversion(options);
  ConsoleFlush();
  return 0;
}

void Report(const std::exception& error) {
  std::string report = FormatErrorReport(error, ExtractFileName(ArgumentText(0)));
  // The report itself may fail to reach a broken standard output; the exit
  // code still tells.
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int RunQuillex(int argc, char** argv) {
  // A closed pipe must surface as a write error, not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a file-size limit (ulimit -f) reached while writing the target:
  // the write fails, the run reports it and ends with exit code 1.
  std::signal(SIGXFSZ, SIG_IGN);
  SetCommandLineFromArgv(argc, argv);
  try {
    return Run();
  } catch (const std::exception& error) {
    Report(error);
    return 1;
  }
}

}  // namespace qx
