#pragma once
// Collects what this process writes to its standard error while it lives:
// the service's record goes there on both platforms.
#include "ServiceHarness.h"

#include <cstdint>
#include <string>
#include <vector>

class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;
    // The lines written so far, without the line ends.
    std::vector<std::string> Lines() const;

private:
    ScratchFolder m_folder;
    std::string m_file = m_folder.FilePath("stderr");
    std::intptr_t m_saved; // the standard error it stands in for: a descriptor, or a handle on Windows
};
