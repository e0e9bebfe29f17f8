// The memo file beside a table, and the table password.
#include <algorithm>
#include <filesystem>

#include "adt/KeADT.h"
#include "cells/KelUtils.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"

namespace qx {

using namespace adt;

bool TADT::IsEncrypted() {
  const uint8_t* p = Table().TableHeader.data() + kHdrPassword;
  return std::any_of(p, p + kPasswordSize, [](uint8_t b) { return b != 0; });
}

bool TADT::CheckPassword() {
  const char* stored = reinterpret_cast<const char*>(Table().TableHeader.data() + kHdrPassword);
  const std::string storedText(stored, strnlen(stored, kPasswordSize));
  bool Continue = true;
  bool result = false;
  while (!result && Continue) {
    if (OnPassword)
      OnPassword(*this, Password, Continue);
    else if (DefaultPasswordHandler)
      DefaultPasswordHandler(*this, Password, Continue);
    else
      Continue = false;
    result = Password == storedText;
  }
  return result;
}

std::string TADT::MemoFileName() const {
  std::string name = ChangeFileExt(FileName, ".adm");
  if (FileExists(name)) return name;
  // Something that is no file (a folder, say) under the memo file's name is
  // a memo file that cannot be opened, not a missing one: opening it then
  // fails with the reason, instead of every memo reading as empty.
  std::error_code exists;
  if (std::filesystem::exists(name, exists)) return name;
  // Tables come from systems whose file names ignore letter case: ORDERS.ADT
  // usually travels with ORDERS.ADM. Look for such a spelling in the folder.
  size_t slash = name.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : name.substr(0, slash == 0 ? 1 : slash);
  std::string wanted = slash == std::string::npos ? name : name.substr(slash + 1);
  if (wanted.empty() || wanted == ".adm") return std::string();
  std::vector<std::string> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (SameTextAscii(candidate, wanted)) {
      std::string full = slash == std::string::npos ? candidate : name.substr(0, slash + 1) + candidate;
      if (FileExists(full)) found.push_back(full);
    }
  }
  if (found.empty()) return std::string();
  // Several spellings: take one by a fixed rule, the first in byte order.
  return *std::min_element(found.begin(), found.end());
}

void TADT::ReadMemoHeader() {
  MemoHeader.fill(0);
  MemoStream->SetPosition(0);
  MemoStream->Read(MemoHeader.data(), kMemoHeaderSize);
  MemoBlockSize = GetBE32(MemoHeader.data() + kMemoBlockSize);
}

void TADT::OpenMemo() {
  if (MemoStream) return;
  std::string name = MemoFileName();
  if (name.empty()) return;
  MemoStream = std::make_unique<FileStream>(name);
  ReadMemoHeader();
}

void TADT::AttachMemoStream(std::unique_ptr<Stream> stream) {
  MemoStream = std::move(stream);
  if (MemoStream) ReadMemoHeader();
}

namespace {

// The bytes of a memo reference that the memo file holds: its data starts at
// block x block size (computed in 64 bits) and is cut where the file ends, so
// a damaged reference can neither read outside the file nor make the reader
// allocate more than the file holds. Returns the count to read.
size_t PlaceMemoRead(Stream& memo, uint32_t block, uint32_t blockSize, int32_t length) {
  if (length <= 0) return 0;
  uint64_t start = static_cast<uint64_t>(block) * blockSize;  // cannot overflow 64 bits
  uint64_t size = static_cast<uint64_t>(memo.Size());
  if (start >= size) return 0;
  memo.SetPosition(static_cast<int64_t>(start));
  return static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(length), size - start));
}

}  // namespace

void TADT::ReadMemo(uint32_t Block, int32_t Length, std::string& Value) {
  Value.clear();
  OpenMemo();
  if (!MemoStream) return;
  size_t count = PlaceMemoRead(*MemoStream, Block, MemoBlockSize, Length);
  Value.resize(count);
  Value.resize(MemoStream->Read(Value.data(), count));
}

void TADT::ReadWideMemo(uint32_t Block, int32_t Length, std::u16string& Value) {
  Value.clear();
  OpenMemo();
  if (!MemoStream) return;
  size_t count = PlaceMemoRead(*MemoStream, Block, MemoBlockSize, Length);
  std::string bytes(count, '\0');
  bytes.resize(MemoStream->Read(bytes.data(), count));
  Value.resize(bytes.size() / 2);
  for (size_t k = 0; k < Value.size(); ++k)
    Value[k] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * k]) | (static_cast<uint8_t>(bytes[2 * k + 1]) << 8));
}

}  // namespace qx
