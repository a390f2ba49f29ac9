// The entry point: the framework's part of start-up around CServerApp.
#include "platform/DescriptorLimit.h"
#include "platform/EventLoopChoice.h"
#include "platform/HeadlessDisplay.h"
#include "platform/MessageBox.h"
#include "ui/ServerApp.h"

#include <QApplication>

CServerApp theApp;

int main(int argc, char** argv)
{
    UseOffscreenWithoutDisplay();
    UseLeanEventDispatcher();
    RaiseDescriptorLimit();
    QApplication application(argc, argv);
    AfxSetAppName(AppNameFromPath(argv[0]));
    theApp.InitInstance();
    return 0;
}
