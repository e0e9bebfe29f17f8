#pragma once
// Runs the quillex program (or any program) as a child process and collects
// what it printed, for end-to-end tests.
#include <string>
#include <vector>

namespace qx::test {

struct ProgramResult {
  int exitCode = -1;   // -1 when the process did not exit normally
  int signal = 0;      // the signal that ended it, if any
  std::string out;     // standard output
  std::string err;     // standard error
};

// Runs program with args (argv[0] is program itself). Standard input is
// empty. workDir, when not empty, is the child's working folder.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workDir = "");

// Runs the quillex binary of this build.
ProgramResult RunQuillexProgram(const std::vector<std::string>& args, const std::string& workDir = "");

// The path of the quillex binary of this build.
std::string QuillexBinary();

}  // namespace qx::test
