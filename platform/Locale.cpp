#include "platform/Locale.h"

namespace qx {

LocaleSettings& Locale() {
  static LocaleSettings settings;
  return settings;
}

}  // namespace qx

namespace qx {
// Replaced by the reading of the POSIX locale.
void LoadLocaleSettings() {}
}  // namespace qx
