#pragma once
// Programs started as child processes for a test: standard input from /dev/null, standard output
// and error in files, SIGINT as by default whatever the test inherited; killed when the test ends
// if they still run, and when the test process dies. plate-serve among them, on a free loopback port.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scratch_folder.h"

namespace plate::testing {

class ChildProcess {
 public:
  // `command` is the program (looked up in PATH) and its arguments; an empty `err` writes standard
  // error to `out` as well; `environment` entries are added to the test's own.
  ChildProcess(std::vector<std::string> command, std::filesystem::path out, std::filesystem::path err = {},
               std::vector<std::string> environment = {})
      : out_(std::move(out)), err_(err.empty() ? out_ : std::move(err)) {
    // Everything the child needs is made before fork(): it only redirects and executes.
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC), out_file = ::open(out_.c_str(), flags, 0600);
    const int err_file = err_ == out_ ? out_file : ::open(err_.c_str(), flags, 0600);
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test that dies (a ctest time-out, a signal) takes it along
      signal(SIGINT, SIG_DFL);
      dup2(in, 0);
      dup2(out_file, 1);
      dup2(err_file, 2);
      execvpe(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    for (const int fd : {in, out_file, err_file}) ::close(fd);
  }
  ~ChildProcess() {
    if (!status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  std::string out() const { return file_text(out_); }
  std::string err() const { return file_text(err_); }
  void send_signal(int signal_number) { kill(pid_, signal_number); }

  // The exit status (128 + the signal's number for a program a signal ended) once the program has
  // ended within `bound`, else nothing (it is left running).
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

 protected:
  std::filesystem::path out_, err_;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// plate-serve with standard output and error in one log file, removed at the end.
class ServeProcess : public ChildProcess {
 public:
  // Starts `program` with `arguments` (after --listen 127.0.0.1 --port 0, which they may override)
  // and `environment` entries added, and waits up to 60 s for its start line.
  ServeProcess(const std::string& program, std::vector<std::string> arguments,
               std::vector<std::string> environment = {})
      : ChildProcess(command(program, std::move(arguments)), new_log(), {}, std::move(environment)) {
    for (int i = 0; i < 600 && port_ == 0 && !exit_status(std::chrono::milliseconds(100)); ++i) {
      const std::string text = log();
      const std::size_t at = text.find("listening on http://127.0.0.1:");
      if (at != std::string::npos) port_ = std::atoi(text.c_str() + at + 30);
    }
  }
  ~ServeProcess() { std::filesystem::remove(out_); }

  int port() const { return port_; }  // 0 when it did not start
  std::string log() const { return out(); }

 private:
  static std::vector<std::string> command(const std::string& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {program, "--listen", "127.0.0.1", "--port", "0"});
    return arguments;
  }
  static std::filesystem::path new_log() {
    static int serial = 0;
    return std::filesystem::temp_directory_path() /
           ("plate-serve-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++) + ".log");
  }

  int port_ = 0;
};

}  // namespace plate::testing
