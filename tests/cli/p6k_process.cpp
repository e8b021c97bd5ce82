#include "tests/cli/p6k_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/scratch_dir.h"

extern char** environ;

const char kSuccess[] = "成功";
const char kFailed[] = "失败";
const char kTooLargeEncrypt[] = "失败,文件大于1G";
const char kTooLargeDecrypt[] = "失败, 文件大于1G";
const char kAlreadyEncrypted[] = "被加密过的";
const char kNotEncrypted[] = "没有被加密过的";
const char kNameTaken[] = "失败,文件已存在";

namespace {

// Only a hang takes this long: a run to the end of the kill test's folder
// under Wine, on a machine whose cores and disk are busy, takes minutes.
constexpr auto kTimeLimit = std::chrono::minutes(10);

std::vector<std::string> EnvironmentFor(const Environment& env) {
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (name != "P6K_PASSWORD" && env.count(name) == 0) entries.push_back(entry);
  }
  for (auto& [name, value] : env) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(&s[0]);
  pointers.push_back(nullptr);
  return pointers;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void Exec(std::vector<char*>& argv, std::vector<char*>& envp) {
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

std::vector<std::string> ProcessResult::OutLines() const {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& env) {
  char outTemplate[] = "/tmp/p6kout.XXXXXX";
  char errTemplate[] = "/tmp/p6kerr.XXXXXX";
  int outFd = mkstemp(outTemplate);
  int errFd = mkstemp(errTemplate);
  m_outPath = outTemplate;
  m_errPath = errTemplate;
  std::vector<std::string> args = argv;
  std::vector<std::string> vars = EnvironmentFor(env);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(vars);
  m_pid = fork();
  if (m_pid == 0) {
    setsid();
    int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    Exec(argp, envp);
  }
  close(outFd);
  close(errFd);
}

ChildProcess::~ChildProcess() {
  if (m_pid > 0 && !m_exited) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  unlink(m_outPath.c_str());
  unlink(m_errPath.c_str());
}

void ChildProcess::Signal(int signal) {
  if (!m_exited) kill(m_pid, signal);
}

bool ChildProcess::Exited() {
  if (!m_exited && m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_exited = true;
  return m_exited;
}

std::string ChildProcess::OutputSoFar() const { return ReadBytes(m_outPath).value_or(""); }

bool ChildProcess::HasOpen(const std::string& path) const {
  const std::string fds = "/proc/" + std::to_string(m_pid) + "/fd/";
  for (int fd = 0; fd < 64; ++fd) {
    char target[4096];
    ssize_t length = readlink((fds + std::to_string(fd)).c_str(), target, sizeof target);
    if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == path) return true;
  }
  return false;
}

ProcessResult ChildProcess::Wait() {
  ProcessResult result;
  auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (!Exited()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the child ran too long and was killed";
      kill(m_pid, SIGKILL);
      waitpid(m_pid, &m_status, 0);
      m_exited = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exitCode = ExitCodeOf(m_status);
  result.out = ReadBytes(m_outPath).value_or("");
  result.err = ReadBytes(m_errPath).value_or("");
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const Environment& env) {
  ChildProcess child(argv, env);
  return child.Wait();
}

std::vector<std::string> P6kCommand(const std::vector<std::string>& args) {
  std::vector<std::string> argv{P6K_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

ProcessResult P6k(const std::vector<std::string>& args, const Environment& env) {
  return RunProcess(P6kCommand(args), env);
}

TerminalRun RunOnTerminal(const std::vector<std::string>& args, const Environment& env,
                          const std::vector<std::string>& answers) {
  std::vector<std::string> argv = P6kCommand(args);
  std::vector<std::string> vars = EnvironmentFor(env);
  std::vector<char*> argp = Pointers(argv);
  std::vector<char*> envp = Pointers(vars);
  TerminalRun run;
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) {
    ADD_FAILURE() << "forkpty failed";
    return run;
  }
  if (pid == 0) Exec(argp, envp);
  std::size_t answered = 0;
  std::size_t seen = 0;  // screen bytes already searched for a prompt
  auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  for (;;) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the terminal run took too long";
      kill(pid, SIGKILL);
      break;
    }
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char chunk[4096];
    ssize_t got = read(master, chunk, sizeof chunk);
    if (got <= 0) break;  // EIO once the child has closed the terminal
    run.screen.append(chunk, static_cast<std::size_t>(got));
    std::size_t word = run.screen.find("Password", seen);
    std::size_t prompt = word == std::string::npos ? word : run.screen.find(": ", word);
    if (prompt != std::string::npos) {
      seen = prompt + 2;
      ++run.prompts;
      if (answered < answers.size()) {
        std::string answer = answers[answered++] + "\n";
        if (write(master, answer.data(), answer.size()) < 0) ADD_FAILURE() << "write failed";
      }
    }
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitCode = ExitCodeOf(status);
  return run;
}

std::string Line(const std::string& status, const std::string& path) {
  return status + "\t" + path;
}
