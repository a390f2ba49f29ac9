#pragma once
// An upload in progress. Its blocks go to a hidden temporary file beside the
// target, which replaces the target once the last block is stored, so the
// target is replaced whole or not at all: a failed, aborted or abandoned
// upload leaves it as it was, and downloads meanwhile get the old file.
#include "platform/FileHandle.h"

#include <cstddef>
#include <string>

struct UploadFile {
    FileId directory = kNoFile; // the target's directory, held open; the replace happens there
    std::string temporary;      // the temporary file's name in it; empty once it replaced the target
    std::string target;
    unsigned mode = 0; // Linux: the permission bits the file gets when it replaces the target
    // Windows: the replace failed because another program holds the target
    // open (a download, where the rename cannot replace an open file).
    bool targetInUse = false;
};

// Creates the temporary file for name, relative and '/'-separated, beneath
// writeDir, readable and writable by its owner only while it fills, and opens
// it for writing. The file, or kNoFile and the reason in result when it
// cannot (a target that exists as anything but a regular file or a symlink is
// Failed); nothing is left behind.
FileId BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result);

// Writes the block straight to the file, with no buffer in between, so that
// an acknowledgement means the block is in the file. False unless all of it
// was written.
bool WriteUpload(FileId file, const void* block, std::size_t length);

// Flushes the file to the disk, puts it in the place of the target for good,
// and closes the file. False when any step fails; a temporary file that has
// not replaced the target is then left to DiscardUpload.
bool CompleteUpload(UploadFile* upload, FileId file);

// Removes the temporary file, unless it replaced the target, and lets the
// directory go.
void DiscardUpload(UploadFile* upload);
