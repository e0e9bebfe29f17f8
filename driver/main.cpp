// The program: hands the process's arguments to the driver and returns its
// exit code.
#include "driver/Quillex.h"

int main(int argc, char** argv) { return qx::RunQuillex(argc, argv); }
