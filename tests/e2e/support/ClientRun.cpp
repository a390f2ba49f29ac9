#include "ClientRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
