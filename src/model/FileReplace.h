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
//
// A symbolic link is written through: the file it names is replaced, or created when the link dangles
// (as editors do), and the link stays as it was.
#include <cstddef>
#include <string>

namespace pavo {

// False, with the old file (if any) unchanged and errno saying why, on any failure (EACCES: a
// read-only file; EISDIR: a folder). `unnamedTemporary` false takes the way
// of folders that offer no unnamed files (some removable media) everywhere.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                         bool unnamedTemporary = true);

// What would stop a save to `path` before anything is written: 0 when nothing does, else the errno
// the save would fail with (EACCES a read-only file or a folder the user may not write, EISDIR a
// folder, ENOENT no such folder, ELOOP links without end). For checking a target before a long read.
int SaveBlocker(const std::string& path);
// An existing regular file (links followed) that a save would refuse as read-only. Other writers of a
// file (trace files) refuse it the same way.
bool IsReadOnlyFile(const std::string& path);

// The hidden temporary names a save uses beside `targetName`, for process `pid`.
std::string TemporaryNameFor(const std::string& targetName, long pid, unsigned attempt);
// Whether a folder entry is a temporary of some save (whatever its target), and of which process.
bool IsTemporaryName(const std::string& entry, long* pid = nullptr);

}  // namespace pavo
