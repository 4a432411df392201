#pragma once
// Replaces a file's whole content in one step: a temporary file in the same
// folder, written, synced and renamed over the old one, so that a reader sees
// either the old file or the new one, never half of it.

#include <string>
#include <sys/types.h>

// The file gets `fileMode`; missing folders on the way are created with
// `folderMode`. A symbolic link stays a link: the file it names is replaced.
// False when the file could not be replaced; it is then unchanged.
bool ReplaceFileContents(const std::string& path, const std::string& content, mode_t fileMode,
                         mode_t folderMode);
