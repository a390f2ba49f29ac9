#include "platform/EventLoopChoice.h"

#include <cstdlib>

void UseLeanEventDispatcher()
{
    setenv("QT_NO_GLIB", "1", 0);
}
