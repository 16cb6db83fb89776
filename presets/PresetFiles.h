// Preset and bank files on disk: the chosen path split into the remembered folder and file name,
// reading a record from a file and replacing a file's contents with a record.
//
// Files are always opened by their full path; nothing here changes or depends on the process's
// current directory, which belongs to the host.
#pragma once

#include <cstddef>
#include <string>

// The remembered folder and file names are 256 characters plus the terminator.
inline constexpr size_t kPresetPathCapacity = 257;

// The platform's folder separator ('/' or '\\'); a remembered folder ends with it.
extern const char kPathSeparator;

inline constexpr const char* kPresetFileExtension = "orv";
inline constexpr const char* kPresetFileDescription = "Orv Preset";
inline constexpr const char* kBankFileExtension = "orb";
inline constexpr const char* kBankFileDescription = "Orv Bank";

// Splits `path` at its last separator: the text after it goes to fileName, the text up to and
// including it to folder (so the folder ends with the separator). Both outputs hold
// kPresetPathCapacity bytes. When the path has no separator, or either part would not fit in
// 256 characters, neither output changes and the answer is false: a cut name would name a
// different file.
bool splitSelectedPath(const char* path, char* fileName, char* folder);

// The file a path chosen in a dialog stands for: the path itself when it names a folder, else a
// bare file name inside `folder` (the remembered folder). Empty when there is no folder to use.
std::string resolveChosenPath(const char* path, const char* folder);

// The process's working directory as text, or an empty text when it does not fit in `capacity`
// bytes with its terminator. Only read, never changed: it belongs to the host.
void readWorkingDirectory(char* folder, size_t capacity);

// Reads at most `size` bytes of the regular file at `path` into `record`, read-only, and answers
// the number of bytes read, or -1 when the file cannot be opened or is not a regular file. The
// rest of `record` is left as it was (the caller zeroes it); bytes past `size` are ignored.
long readRecordFile(const std::string& path, unsigned char* record, size_t size);

// Makes `path` hold exactly the `size` bytes of `data`. The bytes go to a new file in the same
// folder, are flushed to disk and the new file is then renamed over the target, so a save that
// fails at any point leaves the old file as it was. A target that exists but is not writable
// stays untouched (false), as when it is opened for writing in place; a symbolic link is followed
// and the file it names is replaced. A writable file in a folder where no new file can be made is
// written in place instead. Answers whether the file now holds the data.
bool writeRecordFile(const std::string& path, const void* data, size_t size);
