#pragma once
// Splits the raw command-line text into arguments.
//
// The raw command line is one text; its first argument is the program as
// invoked. Separators are the characters with codes 1..32. Double quotes
// group text containing separators; backslashes escape double quotes:
// n backslashes before a quote give n/2 backslashes, and for odd n a literal
// quote that does not change the quoting state. Backslashes not followed by
// a quote are ordinary characters.
//
// Linux hands the process its arguments already split: SetCommandLine
// rebuilds a raw text from argv (quoting where needed) that NextArg splits
// back into exactly the same arguments.
#include <cstdint>
#include <string>
#include <vector>

namespace qx {

// Scans the next argument from cursor (advanced past it). buffer, when not
// null, receives its characters (no terminating NUL; size it from a
// measuring call); length, when not null, receives their number. Returns
// false when no argument is left (the cursor then stays at the NUL).
bool NextArg(const char*& cursor, char* buffer, int32_t* length);

// The quoted form of one argument that NextArg reads back unchanged.
std::string QuoteArgument(const std::string& arg);
// Builds the raw command line from argv (all arguments, the program's own
// first) and makes it the process's command line.
void SetCommandLine(const std::vector<std::string>& argv);
void SetCommandLineFromArgv(int argc, char** argv);
// Makes line the raw command line as it stands (for tests).
void SetRawCommandLine(std::string line);
// The raw command line now in force.
const std::string& RawCommandLine();

// Number of arguments after the program's own.
int32_t ArgumentCount();
// Argument n (1-based); empty when it does not exist. For n <= 0 the full
// path of the program's own file.
std::string ArgumentText(int32_t n);

// The platform's simpler split: quotes group, pairs of adjacent quotes
// before an argument are skipped, backslashes are ordinary. Used only to
// decide whether the third argument is a table name.
int32_t PlatformArgumentCount();
std::string PlatformArgumentText(int32_t n);

}  // namespace qx
