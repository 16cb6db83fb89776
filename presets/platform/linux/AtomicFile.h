// Whole-file writes that either complete or leave the old file in place.
#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes into a new file in `folder` (which ends with the separator), flushes it
// to disk and renames it to `folder` + `name`, replacing any file of that name. `mode` gives
// the permission bits of a file that did not exist before (the process's umask applies); a
// replaced file keeps its own. On any failure the new file is removed and the old one stays.
bool replaceFileAtomically(const std::string& folder, const std::string& name, const void* data,
                           size_t size, unsigned mode);

// Writes `size` bytes over the start of the existing file at `path` and cuts it to that size,
// for a file that may be written but not replaced (its folder takes no new files). A failure
// part-way can leave the file damaged; answers whether it now holds the data.
bool overwriteFileInPlace(const std::string& path, const void* data, size_t size);

// Creates `folder` and any missing parents with the given permission bits. True when it exists
// as a folder afterwards.
bool makeFolders(const std::string& folder, unsigned mode);
