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
};

// Creates the temporary file for name beneath writeDir and opens it for
// writing, unbuffered, so that every block reaches the descriptor at once.
// Nothing, and the reason in result, when it cannot (a target that exists as
// anything but a regular file or a symlink is Failed); nothing is left behind.
std::FILE* BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result);

// Flushes the file to the disk, closes it and renames it over the target.
// False when any step fails; the temporary file is then left to DiscardUpload.
bool CompleteUpload(UploadFile* upload, std::FILE* file);

// Removes the temporary file, unless it was renamed, and lets the directory go.
void DiscardUpload(UploadFile* upload);
