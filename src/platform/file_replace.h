// Files that are written whole and then put in place. A writer fills a new
// file beside the destination and the finished file is renamed over the
// destination in one step, so a write that fails half-way (disk full, an
// encoder error, a crash) never leaves a broken file where a good one was.
//
// Blocking and threads: Every call may block on the disk;
// ReplaceWithTemporaryFile also waits for the finished file to reach it
// (fsync, FlushFileBuffers), which can take long, so no caller holds a
// camera lock across it. Any thread; one writer per temporary file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kvx::platform {

// How a writer puts a file at a destination.
struct ReplacementPlan {
    // True: fill a temporary file beside `target` and rename it over
    // `target`. False: write the destination in place.
    bool staged = true;
    // Where the rename goes: the destination, or the file a symbolic link
    // finally leads to, so that the link stays a link.
    std::string target;
    // Something already exists at the destination.
    bool exists = false;
};

// Staged only where a rename cannot change what the destination is: when it
// is absent or a plain file known by this one name. Devices, pipes, files
// with other hard links (and on Windows reserved names such as NUL) are
// written in place, since replacing them would turn them into plain files
// or split the links.
ReplacementPlan PlanReplacement(const char* path);

// Creates a new, empty file in the directory of `path` under a name no
// other file has, and returns that name: private to its owner when `path`
// exists, else with the access any new file there gets. False when the
// directory cannot take a file (missing, read-only, name too long).
bool CreateTemporaryFileBeside(const char* path, std::string& temporaryPath);

// Makes the temporary file's contents durable and renames it over `path`,
// replacing an existing file, whose permissions the new one keeps. False
// leaves `path` as it was and the temporary file in place for the caller to
// remove. Process-wide state (the umask) is never changed, not even for a
// moment.
bool ReplaceWithTemporaryFile(const std::string& temporaryPath, const char* path);

// Removes a file; nothing is reported.
void RemoveFileQuietly(const std::string& path);

// fseek with 64-bit offsets: files such as recordings pass 2 GiB.
bool SeekStream(std::FILE* stream, int64_t offset, int origin);

}  // namespace kvx::platform
