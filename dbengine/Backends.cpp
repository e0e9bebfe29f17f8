// Choice of the storage backend: by a file's first bytes when opening, by
// the name's extension when creating.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "dbengine/Backend.h"
#include "dbengine/FieldTypes.h"
#include "dbengine/SqliteBackend.h"
#include "dbengine/mdb/MdbBackend.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"

namespace qx::dao {

namespace {

bool HasExtension(const std::string& path, std::string_view ext) {
  std::string name = ExtractFileName(path);
  return name.size() > ext.size() && SameNameIgnoringAsciiCase(std::string_view(name).substr(name.size() - ext.size()), ext);
}

// Access files name their kind at offset 4.
bool IsJetHeader(std::string_view b) { return b.size() >= 19 && b.substr(4, 15) == "Standard Jet DB"; }
bool IsAceHeader(std::string_view b) { return b.size() >= 19 && b.substr(4, 15) == "Standard ACE DB"; }

}  // namespace

std::unique_ptr<Backend> OpenBackend(const std::string& path) {
  const std::string what = "Cannot open database '" + path + "': ";
  if (path.empty()) throw EEngineError("Cannot open a database: no file name was given.");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) throw EEngineError(what + "the file does not exist.");
    throw EEngineError(what + std::strerror(errno) + ".");
  }
  if (S_ISDIR(st.st_mode)) throw EEngineError(what + "it is a folder, not a file.");
  // A pipe or device would block the read below or never end.
  if (!S_ISREG(st.st_mode)) throw EEngineError(what + "it is not a regular file.");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw EEngineError(what + std::strerror(errno) + ".");
  char buf[100];
  size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  std::string_view head(buf, n);
  if (n == 0) throw EEngineError(what + "the file is empty, not a database.");
  if (IsSqliteHeader(head)) return OpenSqliteBackend(path);
  if (IsJetHeader(head))
    throw EEngineError(what + "it is an Access database (.mdb), which this version cannot open yet.");
  if (IsAceHeader(head))
    throw EEngineError(what + "it is an Access 2007 or later database (.accdb), which is not supported.");
  throw EEngineError(what + "the file is not a database (neither SQLite nor Access).");
}

std::unique_ptr<Backend> CreateBackend(const std::string& path) {
  const std::string what = "Cannot create database '" + path + "': ";
  if (path.empty()) throw EEngineError("Cannot create a database: no file name was given.");
  struct stat st {};
  // lstat: a dangling symbolic link counts as something that exists.
  if (::lstat(path.c_str(), &st) == 0) throw EEngineError(what + "a file already exists at that path.");
  if (HasExtension(path, ".accdb"))
    throw EEngineError(what + "the .accdb format (Access 2007 and later) is not supported; "
                              "name the file .mdb for Access or anything else for SQLite.");
  if (HasExtension(path, ".mdb")) return CreateMdbBackend(path);
  return CreateSqliteBackend(path);
}

}  // namespace qx::dao
