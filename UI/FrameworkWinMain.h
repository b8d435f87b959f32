// The entry of a framework program: runs the program object's steps (InitApplication,
// InitInstance, Run) and returns the process's exit status. A start-up that fails (an exception
// out of any step) is shown with the start-up error text and its code, and ends with
// kStartupFailedStatus.
#pragma once

#include "MFCFrameworkApp.h"
#include "StartupErrorCode.h"

#include <exception>

namespace Orv
{
// The exit status of a start-up that failed (distinct from the update processor's 1 to 5).
constexpr int kStartupFailedStatus = 70;

// languageId -1: English. splashImageName: the image resource of the splash screen (none when
// empty).
template <class T>
int FrameworkWinMain(HINSTANCE instance, HINSTANCE previous, LPCWSTR commandLine, int show,
                     int languageId, const wchar_t* splashImageName)
{
    auto* program = dynamic_cast<MFCFrameworkApp<T>*>(AfxGetApp());
    if (program == nullptr || !AfxWinInit(instance, previous, commandLine, show))
    {
        std::fprintf(stderr, "The program has no application object\n");
        return kStartupFailedStatus;
    }
    int status = 0;
    try
    {
        program->SetStartValues(languageId == -1 ? MFCFrameworkApp<T>::kEnglish : languageId,
                                WString(splashImageName != nullptr ? splashImageName : L""));
        if (program->InitApplication())
        {
            if (program->InitInstance())
            {
                program->Run();
                status = program->GetExitStatus();
            }
            else
            {
                program->ExitInstance();
            }
        }
        else
        {
            // A later start that handed its command line over.
            status = program->GetExitStatus();
        }
    }
    catch (const std::exception& error)
    {
        GetDebugOutput().Narrow() << "Start-up failed: " << error.what() << std::endl;
        program->ShowStartupFailure(StartupErrorCode(error));
        status = kStartupFailedStatus;
    }
    program->Terminate();
    AfxWinTerm();
    return status;
}
} // namespace Orv
