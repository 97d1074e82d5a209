// File access that a hostile data folder cannot turn against the player:
// writes never follow a symbolic link or open a FIFO, device or folder, and
// reads refuse anything that is not a plain file instead of hanging on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamblor {

// Opens `path` for reading only when it is a regular file (links to one are
// fine). Returns the descriptor, or -1 with `error` saying why in words.
int OpenRegularFile(const std::string& path, std::string& error);

// Reads a whole regular file of at most `maxBytes`. False with `error` set
// for a missing, non-regular, unreadable or larger file; `missing` tells a
// file that is simply not there.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out,
                     std::string& error, bool* missing = nullptr);

// Writes `size` bytes to folder/name as a brand-new file (O_EXCL, no link
// followed). Whatever stood under that name before (with `anyCase`, under
// any name equal to it apart from case) is removed first when it is a file
// or a link; a folder, FIFO or device there is left alone and the write is
// refused. False with `error` in words on any failure.
bool WriteFreshFile(const std::string& folder, const std::string& name, const void* data, size_t size,
                    bool anyCase, std::string& error);

// Adds `text` to the end of folder/name, creating it (mode 0600) when
// absent; refuses links and anything but a regular file. A file already
// larger than `limit` bytes is started afresh.
bool AppendToFile(const std::string& folder, const std::string& name, const std::string& text, size_t limit,
                  std::string& error);

// What kind of thing a non-regular file is, for messages ("a folder", "a FIFO"...).
std::string FileKindName(unsigned mode);

// Names in `folder` equal to `name` apart from ASCII case.
std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace tamblor
