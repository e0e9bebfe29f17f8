#pragma once

namespace qx {

// Runs the program once: usage text, or a conversion run; reports an error
// that ends the run. Returns the process exit code (0, or 1 after an error).
int RunQuillex(int argc, char** argv);

}  // namespace qx
