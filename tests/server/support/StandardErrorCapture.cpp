#include "StandardErrorCapture.h"

#include <sstream>

std::vector<std::string> StandardErrorCapture::Lines() const
{
    std::istringstream text(ReadWholeFile(m_file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
