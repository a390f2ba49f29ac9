#include "ClientRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

int RunQuietly(const std::vector<std::string>& argv, int timeoutSeconds)
{
    std::vector<std::string> command = {"timeout", "-s", "KILL", std::to_string(timeoutSeconds)};
    command.insert(command.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (std::string& arg : command)
        args.push_back(arg.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, "timeout", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    // timeout's own code for a command it had to kill.
    return WEXITSTATUS(status) == 128 + 9 ? -1 : WEXITSTATUS(status);
}

static std::string ProcFile(pid_t pid, const char* name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

pid_t ChildRunning(const std::string& path)
{
    char wanted[PATH_MAX];
    if (!realpath(path.c_str(), wanted))
        return -1;
    DIR* proc = opendir("/proc");
    pid_t found = -1;
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        const pid_t pid = std::atoi(entry->d_name);
        char exe[PATH_MAX] = {};
        const std::string link = "/proc/" + std::to_string(pid) + "/exe";
        if (pid <= 0 || readlink(link.c_str(), exe, sizeof exe - 1) <= 0 || std::string(exe) != wanted)
            continue;
        // The field after the parenthesised name: state, then the parent's id.
        const std::string stat = ProcFile(pid, "stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        if (fields >> state >> parent && parent == getpid())
            found = pid;
    }
    if (proc)
        closedir(proc);
    return found;
}

int DescriptorCount(pid_t pid)
{
    DIR* fds = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    if (!fds)
        return -1;
    int count = 0;
    while (dirent* entry = readdir(fds))
        count += entry->d_name[0] != '.';
    closedir(fds);
    return count;
}

long ResidentKb(pid_t pid)
{
    std::istringstream status(ProcFile(pid, "status"));
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}
