#pragma once

#include "engine/file_buffer.h"

#include <string>

// Named-file access into the show's zip archive, pack.zip in the working
// directory or, failing that, in the installed data folder. Open once at
// start-up, read entries whole, close at shutdown.

struct mediaPackage;  // one open archive

// The open package; null before openPackage and after closePackage.
extern mediaPackage* package;

constexpr const char* packageFileName = "pack.zip";

// Where openPackage looks for the package, and what it found.
struct packageSearch {
  std::string path;       // the archive openPackage opens
  bool found = false;     // a file is there (it may still be no zip)
  bool installed = false;  // it is the installed data folder's copy
  std::string installedPath;  // the installed copy's name; empty when unknown
};

// pack.zip in the working directory when one is there, else the installed
// data folder's when that one is (the folder is found from the running
// executable, so a build tree never picks up an installed copy), else the
// working directory's name again. Costs two stat calls and a readlink.
packageSearch findPackage();

// Opens findPackage()'s archive into `package` and walks its directory
// once. Throws 257 when it is missing, unreadable or not a zip.
void openPackage();

// The same for an archive at `path` (tools and tests).
void openPackageAt(const char* path);

// Entries read from elsewhere in place of the archive's (creator mode reads
// sync scripts and shaders from the content folder): fills `bytes` and
// returns true for an entry it supplies, false to let the archive answer.
// Null in the normal show.
extern bool (*packageEntrySource)(const char* path, std::string* bytes);

// Reads the entry `path` whole into `buffer`. Names match case-insensitively
// for a-z only; separators must match. Throws 258 when the entry is missing,
// empty or cannot be extracted completely (the buffer's old contents are
// gone by then, except when the entry was not found). Allocates once.
bool readFile(const char* path, fileBuffer& buffer);

// As readFile, plus a terminating zero byte: buffer.data is a string of
// buffer.length - 1 characters. Throws 258 or 3.
bool readTextFile(const char* path, fileBuffer& buffer);

// Closes the archive and frees `pkg` (clearing `package` when it is that
// one). Throws 257 when the package is unusable or closing fails.
void closePackage(mediaPackage* pkg);
