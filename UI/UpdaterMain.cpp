// The updater's entry: the command line from the arguments, then the framework's entry with the
// splash image "Splash.png". The program object is made before main, at its row of the start-up
// order of the program's globals.
#include "Application.h"
#include "CommandLine.h"
#include "FrameworkWinMain.h"
#include "Utilities/GlobalsOrder.h"

#include <csignal>

namespace
{
ORV_GLOBALS_STARTUP(Orv::kGlobalsRowApplication, 0)
Orv::MFCFrameworkApp<LApplication> gProgram;

int wWinMain(HINSTANCE instance, HINSTANCE previous, LPCWSTR commandLine, int show)
{
    return Orv::FrameworkWinMain<LApplication>(instance, previous, commandLine, show, -1,
                                               L"Splash.png");
}
} // namespace

int main(int argc, char** argv)
{
    // A write past the file-size limit fails with EFBIG, which the program handles, instead of
    // ending it.
    std::signal(SIGXFSZ, SIG_IGN);
    const Orv::WString commandLine = Orv::BuildCommandLine(argc, argv);
    return wWinMain(nullptr, nullptr, commandLine.GetBuffer(), SW_SHOWNORMAL);
}
