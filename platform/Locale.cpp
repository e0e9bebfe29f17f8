#include "platform/Locale.h"

namespace qx {

LocaleSettings& Locale() {
  static LocaleSettings settings;
  return settings;
}

}  // namespace qx
