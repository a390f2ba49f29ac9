#pragma once
// An upload in progress. Its blocks go to a hidden temporary file beside the
// target, which is renamed over the target once the last block is stored, so
// the target is replaced whole or not at all: a failed, aborted or abandoned
// upload leaves it as it was, and downloads meanwhile get the old file.
#include "platform/OpenBeneath.h"

#include <cstdio>
#include <string>

struct UploadFile {
    int directory = -1;    // the target's directory (O_PATH); the rename happens there
    std::string temporary; // the temporary file's name in it; empty once renamed
    std::string target;
    unsigned mode = 0; // the permission bits the file gets when it replaces the target
};

// Creates the temporary file for name beneath writeDir, readable and writable
// by its owner only while it fills, and opens it for writing, unbuffered, so
// that every block reaches the descriptor at once. Nothing, and the reason in
// result, when it cannot (a target that exists as anything but a regular file
// or a symlink is Failed); nothing is left behind.
std::FILE* BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result);

// Gives the file its final permission bits, flushes it to the disk, renames it
// over the target, flushes the directory, and closes the file. False when any
// step fails; a temporary file not yet renamed is then left to DiscardUpload.
bool CompleteUpload(UploadFile* upload, std::FILE* file);

// Removes the temporary file, unless it was renamed, and lets the directory go.
void DiscardUpload(UploadFile* upload);
