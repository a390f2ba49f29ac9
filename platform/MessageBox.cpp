#include "platform/MessageBox.h"

#include "platform/EventRecord.h"
#include "platform/ModalBox.h"

namespace {

std::string& AppName()
{
    static std::string name;
    return name;
}

MessageBoxSeam& Seam()
{
    static MessageBoxSeam seam;
    return seam;
}

} // namespace

const std::string& AfxGetAppName()
{
    return AppName();
}

void AfxSetAppName(const std::string& name)
{
    AppName() = name;
}

void AfxSetMessageBoxSeam(MessageBoxSeam seam)
{
    Seam() = std::move(seam);
}

int AfxMessageBox(const std::string& text, UINT, UINT)
{
    // Where no one sees the box (headless, or under a service manager), the
    // record still tells what it said.
    WriteRecordLine("message: " + text);
    return MessageBoxWithoutRecord(text);
}

int MessageBoxWithoutRecord(const std::string& text)
{
    // A copy, so that a seam may replace itself while it runs.
    if (MessageBoxSeam seam = Seam())
        return seam(text, AfxGetAppName());
    return ShowModalBox(text, AfxGetAppName());
}
