#pragma once
// Replacing a file's contents as one step, for the preset exports.
//
// The new bytes go to a temporary file in the target's folder (an unnamed one where the system offers
// it), reach the disk, take a hidden name and then the target's name by a rename; the folder is synced
// so that the new name survives a power cut. A crash at any point leaves the old or the new contents
// under the name and nothing visible beside it; a hidden name left by a crash between the last two
// steps is removed by the next save into that folder.
//
// An existing target keeps its permissions (and, where allowed, its owner). A target the user may not
// write is left as it is and the write fails: a folder being writable does not make its files so. A
// file without any write permission counts as read-only for the superuser too.
#include <cstddef>
#include <string>

namespace pavo {

// False, with the old file (if any) unchanged, on any failure. `unnamedTemporary` false takes the way
// of folders that offer no unnamed files (some removable media) everywhere.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                         bool unnamedTemporary = true);

// The hidden temporary names a save uses beside `targetName`, for process `pid`.
std::string TemporaryNameFor(const std::string& targetName, long pid, unsigned attempt);
// Whether a folder entry is a temporary of some save (whatever its target), and of which process.
bool IsTemporaryName(const std::string& entry, long* pid = nullptr);

}  // namespace pavo
