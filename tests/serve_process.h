#pragma once
// plate-serve started as a child process for a test, on a free loopback port, its standard error in
// a file; killed when the test ends if it still runs.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace plate::testing {

inline std::string file_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ServeProcess {
 public:
  // Starts `program` with `arguments` (after --listen 127.0.0.1 --port 0, which they may override)
  // and `environment` entries added, and waits up to 60 s for its start line.
  ServeProcess(const std::string& program, std::vector<std::string> arguments,
               std::vector<std::string> environment = {}) {
    static int serial = 0;
    log_ = std::filesystem::temp_directory_path() /
           ("plate-serve-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++) + ".log");
    arguments.insert(arguments.begin(), {"--listen", "127.0.0.1", "--port", "0"});
    // Everything the child needs is made before fork(): it only redirects and executes.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const int log_file = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_ = fork();
    if (pid_ == 0) {
      // A test that dies (a ctest time-out, a signal) takes its server with it.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(log_file, 1);
      dup2(log_file, 2);
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    ::close(log_file);
    for (int i = 0; i < 600 && port_ == 0 && !exit_status(std::chrono::milliseconds(100)); ++i) {
      const std::string text = log();
      const std::size_t at = text.find("listening on http://127.0.0.1:");
      if (at != std::string::npos) port_ = std::atoi(text.c_str() + at + 30);
    }
  }
  ~ServeProcess() {
    if (!status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove(log_);
  }
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  int port() const { return port_; }  // 0 when it did not start
  pid_t pid() const { return pid_; }
  std::string log() const { return file_text(log_); }

  void send_signal(int signal_number) { kill(pid_, signal_number); }

  // The exit status once the program has ended within `bound`, else nothing (it is left running).
  std::optional<int> exit_status(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!status_) {
      int raw = 0;
      if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      } else if (std::chrono::steady_clock::now() >= deadline) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return status_;
  }

 private:
  std::filesystem::path log_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::optional<int> status_;
};

}  // namespace plate::testing
