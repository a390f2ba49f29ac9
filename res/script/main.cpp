// rcscript <script.rc> <icon.ico>: writes the program's resources for the
// Windows build, the icon as an .ico file and the rest as a resource script
// that names it. Built and run on the build machine.
#include "res/ResourceIds.h"
#include "res/script/IconFile.h"
#include "res/script/ResourceScript.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const char* path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    file.close();
    if (file)
        return true;
    std::fprintf(stderr, "rcscript: cannot write %s\n", path);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: rcscript <script.rc> <icon.ico>\n", stderr);
        return 2;
    }
    const std::string icon = IconFile(LoadIconImage(IDR_MAINFRAME));
    if (icon.empty()) {
        std::fputs("rcscript: the icon is missing or has more than 255 colours\n", stderr);
        return 1;
    }
    const std::string iconPath = argv[2];
    return WriteFile(argv[2], icon) && WriteFile(argv[1], ResourceScript(iconPath)) ? 0 : 1;
}
