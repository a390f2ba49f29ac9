#include "ui/dialog/qt/DirectoryDialogSeam.h"

namespace {

DirectoryDialogSeam& Seam()
{
    static DirectoryDialogSeam seam;
    return seam;
}

} // namespace

void SetDirectoryDialogSeam(DirectoryDialogSeam seam)
{
    Seam() = std::move(seam);
}

const DirectoryDialogSeam& GetDirectoryDialogSeam()
{
    return Seam();
}
