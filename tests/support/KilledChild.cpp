#include "KilledChild.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

KilledChild KillChildAtStop(const std::function<void(const std::function<void()>& stop)>& body)
{
    KilledChild result;
    int started[2];
    int never[2];
    if (::pipe(started) != 0)
        return result;
    if (::pipe(never) != 0) {
        ::close(started[0]);
        ::close(started[1]);
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(started[0]);
        body([&] {
            char byte = 1;
            (void)!::write(started[1], &byte, 1);
            (void)!::read(never[0], &byte, 1); // nobody ever writes: blocks until the kill
        });
        ::_exit(0);
    }
    // Without our write end, a child that ends without stopping makes read() answer 0 instead of hanging.
    ::close(started[1]);
    if (child > 0) {
        char byte = 0;
        result.reachedStop = ::read(started[0], &byte, 1) == 1;
        ::kill(child, SIGKILL);
        int status = 0;
        result.killed = ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    for (int fd : {started[0], never[0], never[1]})
        ::close(fd);
    return result;
}
