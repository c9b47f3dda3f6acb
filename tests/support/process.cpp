#include "support/process.h"

#include <cstdio>
#include <cerrno>
#include <dirent.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

void drain(int fd, std::string& into, bool& open)
{
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0)
        into.append(buffer, static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR)
        open = false;
}

} // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& env, int timeout_seconds,
                          const std::string& cwd, const ProcessLimits& limits)
{
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        return {-1, "", "pipe failed"};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        int null_fd = open("/dev/null", O_RDONLY);
        dup2(null_fd, 0);
        close(out_pipe[0]);
        close(err_pipe[0]);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        for (const std::string& entry : env)
            putenv(strdup(entry.c_str()));
        if (limits.file_size >= 0) {
            rlimit r{rlim_t(limits.file_size), rlim_t(limits.file_size)};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        if (limits.obey_permissions) {
            // Out of the bounding set, root keeps none of these across exec.
            for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
                prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    ProcessResult result{-1, "", ""};
    bool out_open = true, err_open = true;
    time_t deadline = time(nullptr) + timeout_seconds;
    while (out_open || err_open) {
        pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
        int ready = poll(fds, 2, 200);
        if (ready > 0) {
            if (out_open && (fds[0].revents & (POLLIN | POLLHUP)))
                drain(out_pipe[0], result.out, out_open);
            if (err_open && (fds[1].revents & (POLLIN | POLLHUP)))
                drain(err_pipe[0], result.err, err_open);
        }
        if (time(nullptr) > deadline) {
            kill(pid, SIGKILL);
            break;
        }
    }
    close(out_pipe[0]);
    close(err_pipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TempDir::TempDir()
{
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vorbix-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (mkdtemp(buffer.data()))
        path = buffer.data();
}

TempDir::~TempDir()
{
    if (!path.empty())
        (void)!system(("rm -rf '" + path + "'").c_str());
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}



std::vector<std::string> temporaries_in(const std::string& folder)
{
    std::vector<std::string> found;
    DIR* d = opendir(folder.c_str());
    if (!d)
        return found;
    while (const dirent* entry = readdir(d))
        if (strstr(entry->d_name, ".new-"))
            found.push_back(entry->d_name);
    closedir(d);
    return found;
}
