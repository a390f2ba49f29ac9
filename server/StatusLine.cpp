#include "server/StatusLine.h"

CStatusLine* g_statusLine = nullptr;
