#pragma once
// Whole-file reading and all-or-nothing replacement of small files that a
// user or an administrator may also edit (the settings file, the proxy store).

#include <string>
#include <sys/types.h>

namespace findaro {

enum class FileRead { Ok, Missing, Failed };

// Reads a regular file whole. On Failed (or Missing), errno tells why.
FileRead ReadWholeFile(const std::string& path, std::string& content);

// Gives the file at `path` the content `content`, so that a reader sees
// either the old file or the new one, never a mixture, and a failure leaves
// the old file exactly as it was. Returns false with errno set on failure.
//
// The new text goes to a temporary file in the same folder, is synced and
// renamed over the old file, and the folder is synced. An existing file keeps
// its permissions and owner; a symbolic link keeps pointing at it and the
// file it names is replaced. A new file gets `newFileMode` less the umask.
// An existing file that this process cannot open for writing is not
// replaced either. Only where the folder refuses the temporary file, or the
// owner cannot be kept, is the file rewritten in place, after its new size
// has been reserved, so that a full disk fails before a byte changes.
bool ReplaceFile(const std::string& path, const std::string& content, mode_t newFileMode = 0666);

} // namespace findaro
