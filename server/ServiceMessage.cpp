#include "server/TftpSocket.h"

#include "platform/EventRecord.h"
#include "platform/MessageBox.h"
#include "server/StatusText.h"

// Each box runs a nested loop inside OnReceive, where further datagrams open
// further boxes; the limit keeps a flood of them from nesting without bound.
constexpr int kMaxOpenBoxes = 4;

void CTftpSocket::ShowMessage(const std::string& text)
{
    if (m_openBoxes >= kMaxOpenBoxes) {
        WriteRecordLine("message: " + text);
        SetStatusLine(text);
        return;
    }
    ++m_openBoxes;
    AfxMessageBox(text, MB_OK, 0);
    --m_openBoxes;
}
