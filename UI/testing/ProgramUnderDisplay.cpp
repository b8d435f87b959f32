#include "ProgramUnderDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace OrvTest
{
namespace
{
::Display* AsDisplay(void* display)
{
    return static_cast<::Display*>(display);
}

std::string TitleOf(::Display* display, ::Window window)
{
    XTextProperty property{};
    std::string title;
    if (XGetWMName(display, window, &property) != 0 && property.value != nullptr)
    {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success &&
            count > 0 && list != nullptr)
        {
            title = list[0];
        }
        if (list != nullptr)
        {
            XFreeStringList(list);
        }
        XFree(property.value);
    }
    return title;
}

bool HasClass(::Display* display, ::Window window, const std::string& className)
{
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) == 0)
    {
        return false;
    }
    const bool matches = (hint.res_name != nullptr && className == hint.res_name) ||
                         (hint.res_class != nullptr && className == hint.res_class);
    if (hint.res_name != nullptr)
    {
        XFree(hint.res_name);
    }
    if (hint.res_class != nullptr)
    {
        XFree(hint.res_class);
    }
    return matches;
}

// Requests that fail (a window gone between the listing and the question) are answered by the
// calls' results; the default handler would end the process.
int IgnoreErrors(::Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

std::size_t Screenshot::ColourCount() const
{
    std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
    return colours.size();
}

bool Screenshot::SavePng(const std::string& path) const
{
    if (Empty())
    {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    std::vector<unsigned char> copy(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
    {
        std::memcpy(copy.data() + static_cast<std::size_t>(y) * stride,
                    pixels.data() + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(copy.data(), CAIRO_FORMAT_ARGB32,
                                                                   width, height, stride);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

XServerClient::~XServerClient()
{
    if (mDisplay != nullptr)
    {
        XCloseDisplay(AsDisplay(mDisplay));
    }
}

bool XServerClient::Connect(const std::string& display, std::string& error)
{
    XSetErrorHandler(IgnoreErrors);
    ::Display* opened = XOpenDisplay(display.c_str());
    if (opened == nullptr)
    {
        error = "cannot connect to the X server " + display;
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (XTestQueryExtension(opened, &eventBase, &errorBase, &major, &minor) == 0)
    {
        XCloseDisplay(opened);
        error = "the X server " + display + " has no XTest extension";
        return false;
    }
    mDisplay = opened;
    return true;
}

std::vector<XServerClient::Window> XServerClient::FindWindows(const std::string& className) const
{
    std::vector<Window> found;
    ::Display* display = AsDisplay(mDisplay);
    if (display == nullptr)
    {
        return found;
    }
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
    {
        return found;
    }
    for (unsigned i = 0; i < count; ++i)
    {
        if (!HasClass(display, children[i], className))
        {
            continue;
        }
        if (const auto described = Describe(children[i]))
        {
            found.push_back(*described);
        }
    }
    if (children != nullptr)
    {
        XFree(children);
    }
    return found;
}

std::optional<XServerClient::Window> XServerClient::Describe(unsigned long id) const
{
    ::Display* display = AsDisplay(mDisplay);
    XWindowAttributes attributes{};
    if (display == nullptr || XGetWindowAttributes(display, id, &attributes) == 0 ||
        attributes.map_state != IsViewable)
    {
        return std::nullopt;
    }
    Window window;
    window.id = id;
    window.title = TitleOf(display, id);
    window.width = attributes.width;
    window.height = attributes.height;
    ::Window child = 0;
    XTranslateCoordinates(display, id, DefaultRootWindow(display), 0, 0, &window.x, &window.y,
                          &child);
    return window;
}

Screenshot XServerClient::Capture(unsigned long id) const
{
    Screenshot shot;
    const auto window = Describe(id);
    if (!window)
    {
        return shot;
    }
    // What the screen shows where the window is (the part of it on the screen).
    ::Display* display = AsDisplay(mDisplay);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    const int left = std::max(0, window->x);
    const int top = std::max(0, window->y);
    const int width = std::min(window->x + window->width, screenWidth) - left;
    const int height = std::min(window->y + window->height, screenHeight) - top;
    if (width <= 0 || height <= 0)
    {
        return shot;
    }
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), left, top, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        return shot;
    }
    shot.width = width;
    shot.height = height;
    shot.pixels.resize(static_cast<std::size_t>(width) * height);
    const auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint32_t
    {
        if (mask == 0)
        {
            return 0;
        }
        int shift = 0;
        while (((mask >> shift) & 1u) == 0)
        {
            ++shift;
        }
        const unsigned long maximum = mask >> shift;
        return static_cast<std::uint32_t>(((pixel & mask) >> shift) * 255u / maximum);
    };
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y);
            shot.pixels[static_cast<std::size_t>(y) * width + x] =
                0xFF000000u | channel(pixel, image->red_mask) << 16 |
                channel(pixel, image->green_mask) << 8 | channel(pixel, image->blue_mask);
        }
    }
    XDestroyImage(image);
    return shot;
}

bool XServerClient::Click(unsigned long id, int x, int y) const
{
    const auto window = Describe(id);
    if (!window)
    {
        return false;
    }
    ::Display* display = AsDisplay(mDisplay);
    XTestFakeMotionEvent(display, DefaultScreen(display), window->x + x, window->y + y, 0);
    XSync(display, False);
    XTestFakeButtonEvent(display, 1, True, 0);
    XSync(display, False);
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    return true;
}

bool XServerClient::PressKey(unsigned long id, const std::string& keyName) const
{
    ::Display* display = AsDisplay(mDisplay);
    const KeySym symbol = XStringToKeysym(keyName.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (!Describe(id) || code == 0)
    {
        return false;
    }
    // A loaded machine can hold this process between the press and the release for longer than
    // the server's repeat delay: the server would then repeat the key by itself.
    XAutoRepeatOff(display);
    XSetInputFocus(display, id, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    XTestFakeKeyEvent(display, code, True, 0);
    XSync(display, False);
    XTestFakeKeyEvent(display, code, False, 0);
    XSync(display, False);
    return true;
}

ProgramUnderDisplay::ProgramUnderDisplay(std::string program,
                                         std::map<std::string, std::string> environment)
    : mProgram(std::move(program))
    , mEnvironment(std::move(environment))
{
}

ProgramUnderDisplay::~ProgramUnderDisplay()
{
    Kill();
}

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environmentEntries,
                   const std::string& errorFile)
{
    std::vector<std::string> environment;
    for (char** each = environ; *each != nullptr; ++each)
    {
        const std::string entry(*each);
        if (environmentEntries.find(entry.substr(0, entry.find('='))) == environmentEntries.end())
        {
            environment.push_back(entry);
        }
    }
    for (const auto& [name, value] : environmentEntries)
    {
        environment.push_back(name + "=" + value);
    }
    std::string path = program;
    std::vector<char*> argv{path.data()};
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
    {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

bool ProgramUnderDisplay::Start(const std::vector<std::string>& arguments,
                                const std::string& errorFile)
{
    mPid = SpawnProgram(mProgram, arguments, mEnvironment, errorFile);
    mStatus.reset();
    return mPid != -1;
}

std::optional<int> ProgramUnderDisplay::WaitForExit(std::chrono::milliseconds limit)
{
    if (mStatus || mPid <= 0)
    {
        return mStatus;
    }
    int status = 0;
    const bool ended = PollUntil(limit, [&] { return waitpid(mPid, &status, WNOHANG) == mPid; });
    if (ended)
    {
        mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        mPid = -1;
    }
    return mStatus;
}

void ProgramUnderDisplay::Kill()
{
    if (mPid > 0)
    {
        kill(mPid, SIGKILL);
        int status = 0;
        waitpid(mPid, &status, 0);
        mStatus = -1;
        mPid = -1;
    }
}

bool PollUntil(std::chrono::milliseconds limit, const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
} // namespace OrvTest
