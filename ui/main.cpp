// The entry point: the part of start-up that the Microsoft Foundation Classes
// (MFC) do around an application object, here around CServerApp.
#include "platform/DescriptorLimit.h"
#include "platform/EventLoopChoice.h"
#include "platform/HeadlessDisplay.h"
#include "platform/MessageBox.h"
#include "platform/QtMessageFilter.h"
#include "ui/CommandLine.h"
#include "ui/ServerApp.h"

#include <QApplication>

CServerApp theApp;

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv))
        return *answered;
    KeepQtWarningsOutOfRecord();
    ChooseDisplayPlatform();
    UseLeanEventDispatcher();
    RaiseDescriptorLimit();
    // Qt is shown no arguments: the program takes no options, Qt's own included.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    AfxSetAppName(AppNameFromPath(argv[0]));
    if (StartedHeadless()) {
        theApp.m_headless = TRUE;
        AfxSetMessageBoxSeam([](const std::string&, const std::string&) { return IDOK; });
    }
    theApp.InitInstance();
    return theApp.m_exitCode;
}
