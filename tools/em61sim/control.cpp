// Control channel: command lines from stdin (answers on stdout) and from
// an AF_UNIX stream socket (answers on the same connection).
#include "em61sim.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kMaxLine = 4096;

struct ControlClient {
    int fd;
    std::string pending; // bytes of an unfinished line
};

bool gStdinOpen = true;
std::string gStdinPending;
int gListenFd = -1;
std::vector<ControlClient> gClients;
// Where our descriptors sit in the poll set of the current pass.
int gStdinSlot = -1, gListenSlot = -1;
std::vector<int> gClientSlots;

// Runs every complete line of `pending`; `reply` sends one answer line.
template <typename Reply>
int RunLines(std::string& pending, Reply reply)
{
    int quit = 0;
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        bool q = false;
        reply(RunCommand(line, &q) + "\n");
        if (q) quit = 1;
    }
    if (pending.size() > kMaxLine) {
        pending.clear();
        reply("error line too long\n");
    }
    return quit;
}

void ReplyOnStdout(const std::string& s)
{
    fputs(s.c_str(), stdout);
    fflush(stdout);
}

int ServiceStdin()
{
    char buf[1024];
    ssize_t n = read(0, buf, sizeof buf);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        gStdinOpen = false; // EOF: keep running on the socket alone, unless told not to
        return Opt.exitOnEof ? 1 : 0;
    }
    gStdinPending.append(buf, n);
    return RunLines(gStdinPending, ReplyOnStdout);
}

void AcceptClient()
{
    int fd = accept(gListenFd, nullptr, nullptr);
    if (fd < 0) return;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    gClients.push_back({fd, std::string()});
}

// Returns -1 when the client is gone, 1 on "quit", else 0.
int ServiceClient(ControlClient& c)
{
    char buf[1024];
    ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return -1;
    if (n < 0) return 0;
    c.pending.append(buf, n);
    bool broken = false;
    int quit = RunLines(c.pending, [&](const std::string& s) {
        if (send(c.fd, s.data(), s.size(), MSG_NOSIGNAL) != (ssize_t)s.size()) broken = true;
    });
    if (quit) return 1;
    return broken ? -1 : 0;
}

} // namespace

int OpenControl()
{
    if (Opt.controlPath.empty()) return 1;
    sockaddr_un addr;
    memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (Opt.controlPath.size() >= sizeof addr.sun_path) {
        fprintf(stderr, "em61sim: control socket path too long: %s\n", Opt.controlPath.c_str());
        return 0;
    }
    strcpy(addr.sun_path, Opt.controlPath.c_str());
    unlink(Opt.controlPath.c_str()); // a stale socket of an earlier run
    gListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (gListenFd < 0 || bind(gListenFd, (sockaddr*)&addr, sizeof addr) != 0 ||
        listen(gListenFd, 4) != 0) {
        fprintf(stderr, "em61sim: cannot listen on %s: %s\n", Opt.controlPath.c_str(),
                strerror(errno));
        if (gListenFd >= 0) close(gListenFd);
        gListenFd = -1;
        return 0;
    }
    return 1;
}

void CloseControl()
{
    for (ControlClient& c : gClients) close(c.fd);
    gClients.clear();
    if (gListenFd >= 0) {
        close(gListenFd);
        unlink(Opt.controlPath.c_str());
        gListenFd = -1;
    }
}

void AddControlFds(std::vector<pollfd>& fds)
{
    gStdinSlot = gListenSlot = -1;
    gClientSlots.clear();
    if (gStdinOpen) {
        gStdinSlot = (int)fds.size();
        fds.push_back({0, POLLIN, 0});
    }
    if (gListenFd >= 0) {
        gListenSlot = (int)fds.size();
        fds.push_back({gListenFd, POLLIN, 0});
    }
    for (const ControlClient& c : gClients) {
        gClientSlots.push_back((int)fds.size());
        fds.push_back({c.fd, POLLIN, 0});
    }
}

int ServiceControl(const std::vector<pollfd>& fds)
{
    int quit = 0;
    if (gStdinSlot >= 0 && fds[gStdinSlot].revents) quit |= ServiceStdin();
    // Clients first: accepting may grow the list past the polled slots.
    for (size_t i = gClientSlots.size(); i-- > 0;) {
        if (!fds[gClientSlots[i]].revents) continue;
        int r = ServiceClient(gClients[i]);
        if (r == 1) quit = 1;
        if (r == -1) {
            close(gClients[i].fd);
            gClients.erase(gClients.begin() + i);
        }
    }
    if (gListenSlot >= 0 && fds[gListenSlot].revents & POLLIN) AcceptClient();
    return quit;
}
