#include "driver/Usage.h"

namespace qx {

std::string UsageText() {
  return "QUILLEX v2.6 (c) 2026 the Quillex developers; free software, no warranty\n"
         "convert Advantage tables into MS Access database\n"
         "\n"
         "\n"
         "QUILLEX.EXE <source.adt> <target.mdb> [tablename] [/pass=<password>] [/first=<recno>] "
         "[/last=<recno>] [/mode=append|copy] [/fields=<field1;field2;...>] [where=<filter>]\n";
}

}  // namespace qx
