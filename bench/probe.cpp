// Runs a window program (the game or the baseline) as its own process and measures
// it from outside: start-up (from just before the process is spawned to the
// "first-paint <ns>" line it prints with ZORVANTA_REPORT_FIRST_PAINT set), the CPU
// time of all its threads over an idle stretch, and its peak resident memory
// (ru_maxrss of the ended process). On an X server (DISPLAY set) it also times the
// spawn to the window's first Expose, as the server sees it (ExposeWatch below).
//   bench_probe [--runs N] [--hold-ms H] [--idle-s S] -- program args...
// Prints per run: "run <i> startup_ms <x> idle_cpu_ms <y|-> maxrss_kb <z> expose_ms
// <e|->", and before it "phase <name> <ms>" for every "phase <name> <ns>" line the
// program printed ahead of its first paint (times from the spawn, like the start-up).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <string>
#include <thread>
#include <vector>

#include "support/BenchSupport.h"

extern char** environ;

using namespace zvbench;

namespace {

std::int64_t cpuOf(pid_t pid) {
    clockid_t clock{};
    timespec ts{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &ts) != 0) return -1;
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The moment the X server maps the first top-level window after the spawn. With no
// window manager (a private Xvfb) the server sends a window its first Expose while
// handling the request that maps it, so the MapNotify the root window reports to
// its SubstructureNotify listeners marks the first Expose without racing the
// program for its own window. Stamped when read: a few microseconds late, alike for
// every program measured.
class ExposeWatch {
public:
    ExposeWatch() {
        if (!std::getenv("DISPLAY")) return;
        conn_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn_)) {
            close();
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        if (xcb_generic_error_t* e =
                xcb_request_check(conn_, xcb_change_window_attributes_checked(conn_, root_, XCB_CW_EVENT_MASK, &mask))) {
            std::free(e);
            close();
        }
    }
    ~ExposeWatch() { close(); }
    bool active() const { return conn_ != nullptr; }
    int fd() const { return conn_ ? xcb_get_file_descriptor(conn_) : -1; }
    // Drops what an earlier run left queued.
    void reset() {
        drain();
        exposedAt = 0;
    }
    // Waits up to `ms` for the map (the server may deliver its event to us after the
    // program's paint reached the pipe).
    void await(int ms) {
        const std::int64_t deadline = monoNs() + static_cast<std::int64_t>(ms) * 1000000;
        for (drain(); conn_ && exposedAt == 0 && monoNs() < deadline; drain()) {
            pollfd p{fd(), POLLIN, 0};
            poll(&p, 1, static_cast<int>((deadline - monoNs()) / 1000000) + 1);
        }
    }
    // Reads the queued events; sets exposedAt at the first top-level map.
    void drain() {
        if (!conn_) return;
        while (xcb_generic_event_t* e = xcb_poll_for_event(conn_)) {
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && exposedAt == 0) {
                const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(e);
                if (map->event == root_ && !map->override_redirect) exposedAt = monoNs();
            }
            std::free(e);
        }
    }
    std::int64_t exposedAt = 0;

private:
    void close() {
        if (conn_) xcb_disconnect(conn_);
        conn_ = nullptr;
    }
    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = 0;
};

// Reads the child's stdout until a "first-paint <ns>" line; 0 on timeout or end.
// Everything read is left in `buffer`. Meanwhile the watch sees the window mapped.
std::int64_t readFirstPaint(int fd, int timeoutMs, std::string& buffer, ExposeWatch& watch) {
    const std::int64_t deadline = monoNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
    while (monoNs() < deadline) {
        pollfd p[2] = {{fd, POLLIN, 0}, {watch.fd(), POLLIN, 0}};
        const int left = static_cast<int>((deadline - monoNs()) / 1000000) + 1;
        if (poll(p, watch.active() ? 2 : 1, left) <= 0) continue;
        if (p[1].revents) watch.drain();
        if (!p[0].revents) continue;
        char chunk[256];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return 0;
        buffer.append(chunk, static_cast<std::size_t>(n));
        const auto at = buffer.find("first-paint ");
        if (at != std::string::npos && buffer.find('\n', at) != std::string::npos) {
            watch.await(500);  // the map comes before the paint; its event may still be on its way
            return std::strtoll(buffer.c_str() + at + 12, nullptr, 10);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int split = 1;
    while (split < argc && std::strcmp(argv[split], "--") != 0) ++split;
    if (split + 1 >= argc) {
        std::fprintf(stderr, "usage: %s [--runs N] [--hold-ms H] [--idle-s S] -- program args...\n", argv[0]);
        return 2;
    }
    const long runs = argInt(split, argv, "--runs", 10);
    const long holdMs = argInt(split, argv, "--hold-ms", 500);
    const long idleS = argInt(split, argv, "--idle-s", 0);

    setenv("ZORVANTA_REPORT_FIRST_PAINT", "1", 1);
    std::vector<char*> childArgv(argv + split + 1, argv + argc);
    childArgv.push_back(nullptr);

    ExposeWatch watch;
    int failures = 0;
    for (long run = 0; run < runs; ++run) {
        watch.reset();
        int out[2];
        if (pipe(out) != 0) return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const std::int64_t spawned = monoNs();
        const int rc = posix_spawn(&pid, childArgv[0], &actions, nullptr, childArgv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (rc != 0) {
            std::fprintf(stderr, "probe: cannot start %s\n", childArgv[0]);
            return 1;
        }
        std::string text;
        const std::int64_t painted = readFirstPaint(out[0], 30000, text, watch);
        double idleMs = -1;
        if (painted && idleS > 0) {
            // Let start-up work still queued (deferred deletes, the first audio
            // buffers) finish before the idle stretch begins.
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
            const std::int64_t c0 = cpuOf(pid);
            std::this_thread::sleep_for(std::chrono::seconds(idleS));
            const std::int64_t c1 = cpuOf(pid);
            if (c0 >= 0 && c1 >= 0) idleMs = static_cast<double>(c1 - c0) / 1e6;
        } else if (painted) {
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        }
        // Whatever the program printed after its first paint (later phases).
        for (pollfd p{out[0], POLLIN, 0}; painted && poll(&p, 1, 0) > 0 && (p.revents & POLLIN);) {
            char chunk[256];
            const ssize_t n = read(out[0], chunk, sizeof chunk);
            if (n <= 0) break;
            text.append(chunk, static_cast<std::size_t>(n));
        }
        kill(pid, SIGTERM);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        close(out[0]);
        if (!painted) {
            ++failures;
            std::printf("run %ld failed: no first paint\n", run);
            continue;
        }
        std::size_t at = 0;
        while ((at = text.find("phase ", at)) != std::string::npos) {
            char name[64] = {};
            long long ns = 0;
            if (std::sscanf(text.c_str() + at, "phase %63s %lld", name, &ns) == 2)
                std::printf("phase %s %.3f\n", name, static_cast<double>(ns - spawned) / 1e6);
            at += 6;
        }
        std::printf("run %ld startup_ms %.3f idle_cpu_ms ", run, static_cast<double>(painted - spawned) / 1e6);
        if (idleMs >= 0)
            std::printf("%.3f", idleMs);
        else
            std::printf("-");
        std::printf(" maxrss_kb %ld expose_ms ", usage.ru_maxrss);
        if (watch.exposedAt)
            std::printf("%.3f\n", static_cast<double>(watch.exposedAt - spawned) / 1e6);
        else
            std::printf("-\n");
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
