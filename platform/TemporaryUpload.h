#pragma once
// The hidden temporary files that uploads are written to: their names, which
// requests may never name, and the removal of those that a killed run left
// behind.
#include <string>

// A fresh name for the temporary file of an upload to target: "." and up to
// 200 bytes of target, so that a listing shows what it is, then ".upload-"
// and 16 random lowercase hex digits.
std::string TemporaryUploadName(const std::string& target);

// Whether name, a single path component, has the form TemporaryUploadName
// gives: in any case where the platform finds files by a name in any case.
bool IsTemporaryUploadName(const std::string& name);

// Whether name is just as TemporaryUploadName makes them, its letters
// lowercase. Only such files can be an upload's; one that differs in case
// is someone else's, and is never removed.
bool IsTemporaryUploadNameAsMade(const std::string& name);

// Removes the regular files named as temporary uploads beneath writeDir, in
// its subfolders too but never through a link, and writes one record line
// saying how many, if any. Only while no other
// instance runs: its uploads in progress would go too.
void RemoveStaleUploads(const std::string& writeDir);

// The platform's part of it: removes the regular files beneath writeDir named
// as temporary uploads, and says how many.
int RemoveTemporaryUploadFiles(const std::string& writeDir);
