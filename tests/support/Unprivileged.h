#pragma once

#include <functional>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// The unprivileged user permission tests run as: root passes every permission check.
constexpr uid_t NobodyUid = 65534;

// Runs body in a forked child, as NobodyUid when unprivileged is asked and the tests run as root (an
// ordinary user stays itself), and answers its exit code: 0 when every check held, else the number of
// the first check that failed; 100 when the user could not be changed, 101 when the child did not end
// normally. A child's gtest expectations are lost with it, hence the numbers.
inline int InChild(const std::function<int()>& body, bool unprivileged = false)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && ::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(NobodyUid) != 0 || ::setuid(NobodyUid) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 101;
    return WEXITSTATUS(status);
}

inline int RunAsNobody(const std::function<int()>& body) { return InChild(body, true); }

// Same answer as RunAsNobody, but an ordinary user runs check in this process: only root needs a child.
inline int RunWithoutPrivileges(const std::function<int()>& check)
{
    return ::geteuid() != 0 ? check() : RunAsNobody(check);
}
