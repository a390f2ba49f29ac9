#pragma once
// The modal message box of the Microsoft Foundation Classes' (MFC)
// AfxMessageBox: warning icon, one OK button, the
// program's name as caption. It runs a nested event loop, so sockets and
// timers go on being served while it is open. Every text also goes to the
// record on standard error as "vantrel: message: <text>".
#include "platform/WinTypes.h"

#include <functional>
#include <string>

int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpId = 0);
// The same box without the record line, for a caller that writes a line of
// its own (one that names the peer whose datagram raised the box).
int MessageBoxWithoutRecord(const std::string& text);

// The caption of every box: the executable's file name without directory and
// extension, set by the start-up code.
const std::string& AfxGetAppName();
void AfxSetAppName(const std::string& name);

// Replaces every box by a call of seam, whose result AfxMessageBox returns; an
// empty function brings the real boxes back. A seam may run an event loop of
// its own to stand for a box that stays open for a while. Headless, the
// program puts one in place that answers OK at once: no one could see or
// close a real box, and its text is in the record.
using MessageBoxSeam = std::function<int(const std::string& text, const std::string& caption)>;
void AfxSetMessageBoxSeam(MessageBoxSeam seam);
