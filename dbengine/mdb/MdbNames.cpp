#include "dbengine/mdb/MdbNames.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace qx::mdb {

namespace {
char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
  return c;
}
}  // namespace

void CheckName(std::u16string_view name, const char* what) {
  std::string shown = WideToAnsi(name);
  auto fail = [&](const std::string& why) {
    throw EEngineError(std::string("Invalid ") + what + " name '" + shown + "': " + why + ".");
  };
  if (name.empty()) fail("a name must not be empty");
  if (name.size() > kMaxNameLength) fail("a name may have at most 64 characters");
  if (name[0] == u' ') fail("a name must not start with a blank");
  for (char16_t c : name) {
    if (c < 0x20) fail("a name must not contain control characters");
    if (c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']')
      fail("a name must not contain \".\", \"!\", \"`\", \"[\" or \"]\"");
  }
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

}  // namespace qx::mdb
