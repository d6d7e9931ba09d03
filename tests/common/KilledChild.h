// A child process killed in the middle of a save, for the tests of what a power cut leaves.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace sltest {

/// killedWhileSaving: forks a child that runs `work(ready)`, where `work` calls ready() just
/// before the save that is to be cut; kills the child `delayMs` after that. True when the child got
/// to its save and did not fail on its own (it was killed, or it finished first). The child
/// never returns into the test framework.
template <class Work>
bool killedWhileSaving(int delayMs, Work work) {
  int ready[2];
  if (::pipe(ready) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::close(ready[0]);
    try {
      work([&] {
        if (::write(ready[1], "1", 1) != 1) ::_exit(3);
      });
    } catch (...) {
      ::_exit(4);
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  char go = 0;
  const bool began = ::read(ready[0], &go, 1) == 1;
  ::close(ready[0]);
  if (began) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  return began && !(WIFEXITED(status) && WEXITSTATUS(status) != 0);
}

}  // namespace sltest
