// Starts a program and reports the moment its window titled TITLE becomes
// viewable, and how much processor time the program had used by then.
//
//     bench_mapwatch TITLE PROGRAM [ARGUMENT...]
//
// Prints one line "PID MILLISECONDS PROCESSOR_MILLISECONDS" as soon as the window
// is viewable (time counted from just before the program is started; processor
// time of all its threads from /proc/PID/task/*/schedstat), then keeps running
// until the program ends; SIGTERM and SIGINT are passed on to it. Polling with
// xdotool instead reads the processor time some milliseconds late, while a
// program that keeps working after its first window counts that work too.
//
// The window is found through the window manager's _NET_CLIENT_LIST (openbox in
// bench_startup.py); every change on the display makes it look again, so no
// polling interval stands between the map and the reading. Exit status 1 and the
// program stopped when no such window shows within 30 s.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(30);

volatile sig_atomic_t g_child = 0;

void passSignalOn(int signal)
{
    if (g_child > 0)
        kill(g_child, signal);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return result;
}

std::vector<xcb_window_t> windowList(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t property)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, property, XCB_ATOM_WINDOW, 0, 4096), nullptr);
    std::vector<xcb_window_t> windows;
    if (reply && reply->format == 32) {
        auto* values = static_cast<xcb_window_t*>(xcb_get_property_value(reply));
        windows.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return windows;
}

std::string textProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    std::string text;
    if (reply)
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return text;
}

bool viewable(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool result = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return result;
}

long long processorNanoseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    long long total = 0;
    if (DIR* folder = opendir(tasks.c_str())) {
        while (dirent* entry = readdir(folder)) {
            if (entry->d_name[0] == '.')
                continue;
            std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
            long long ns = 0;
            if (stat >> ns)
                total += ns;
        }
        closedir(folder);
    }
    return total;
}

class Watcher {
public:
    Watcher(xcb_connection_t* connection, const std::string& title)
        : m_connection(connection)
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
        , m_title(title)
        , m_clientList(atom(connection, "_NET_CLIENT_LIST"))
        , m_netName(atom(connection, "_NET_WM_NAME"))
    {
        listenTo(m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    }

    // True once a managed window with the title is viewable; listens to new ones.
    bool titledWindowViewable()
    {
        for (xcb_window_t window : windowList(m_connection, m_root, m_clientList)) {
            if (m_known.insert(window).second)
                listenTo(window, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
            if (hasTitle(window) && viewable(m_connection, window))
                return true;
        }
        return false;
    }

private:
    void listenTo(xcb_window_t window, uint32_t mask)
    {
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    bool hasTitle(xcb_window_t window)
    {
        return textProperty(m_connection, window, m_netName) == m_title
            || textProperty(m_connection, window, XCB_ATOM_WM_NAME) == m_title;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    std::string m_title;
    xcb_atom_t m_clientList;
    xcb_atom_t m_netName;
    std::set<xcb_window_t> m_known;
};

// Waits for the window; false after the time-out.
bool waitForWindow(xcb_connection_t* connection, Watcher& watcher, Clock::time_point deadline)
{
    pollfd display{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!watcher.titledWindowViewable()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(connection))
            return false;
        if (poll(&display, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            return false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
    }
    return true;
}

int waitForChild(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    Watcher watcher(connection, argv[1]);
    std::signal(SIGTERM, passSignalOn);
    std::signal(SIGINT, passSignalOn);

    const Clock::time_point started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        execv(argv[2], argv + 2);
        _exit(127);
    }
    g_child = child;
    if (!waitForWindow(connection, watcher, started + kTimeout)) {
        kill(child, SIGTERM);
        waitForChild(child);
        return 1;
    }
    const long long processor = processorNanoseconds(child);
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();
    std::printf("%d %.1f %.1f\n", static_cast<int>(child), elapsed / 1000.0, processor / 1e6);
    std::fflush(stdout);
    xcb_disconnect(connection);
    return waitForChild(child);
}
