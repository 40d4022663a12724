// Helpers of the viewer's tests: programs run with a time bound, a server
// process stopped whatever happens, a plain HTTP GET, and headless Chromium.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace scenario::testing {

using namespace std::chrono_literals;

// Starts `exe` with `args` (standard output to a pipe, standard error to
// `err_file`); the process is stopped when the object goes.
class child_process {
 public:
  child_process(const std::string& exe, const std::vector<std::string>& args, const std::string& err_file) {
    int fd[2];
    if (::pipe(fd) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fd[1], 1);
      const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (err >= 0) ::dup2(err, 2);
      ::close(fd[0]);
      std::vector<char*> argv{const_cast<char*>(exe.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execvp(exe.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(fd[1]);
    out_ = fd[0];
  }
  ~child_process() { stop(); }
  child_process(const child_process&) = delete;
  child_process& operator=(const child_process&) = delete;

  // The next line of standard output, waiting at most `limit`.
  std::optional<std::string> next_line(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      const size_t newline = read_.find('\n');
      if (newline != std::string::npos) {
        std::string r = read_.substr(0, newline);
        read_.erase(0, newline + 1);
        return r;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || out_ < 0) return std::nullopt;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char buf[4096];
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return std::nullopt;
      read_.append(buf, static_cast<size_t>(n));
    }
  }

  // Stops the process: a polite signal, then, after two seconds, a hard one.
  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int st = 0;
      for (int i = 0; i < 200 && ::waitpid(pid_, &st, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
      if (::waitpid(pid_, &st, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &st, 0);
      }
      pid_ = -1;
    }
    if (out_ >= 0) ::close(out_);
    out_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string read_;
};

// Runs `exe` with `args`, killing it after `limit`; the status is 124 when
// it had to be killed.
inline ProcessResult run_bounded(const std::string& exe, const std::vector<std::string>& args,
                                 std::chrono::seconds limit) {
  TempDir capture;
  const std::string out_path = capture.file("out"), err_path = capture.file("err");
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ProcessResult r;
  int st = 0;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool killed = false;
  while (::waitpid(pid, &st, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &st, 0);
      killed = true;
      break;
    }
    std::this_thread::sleep_for(20ms);
  }
  r.status = killed ? 124 : WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

struct http_response {
  int status = 0;
  std::string body;
};

// GET http://127.0.0.1:port/path, every wait bounded by `limit`.
inline std::optional<http_response> http_get(int port, const std::string& path,
                                             std::chrono::milliseconds limit = 2000ms) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return std::nullopt;
  timeval tv{static_cast<time_t>(limit.count() / 1000), static_cast<suseconds_t>(limit.count() % 1000 * 1000)};
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(s);
    return std::nullopt;
  }
  const std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  if (::send(s, req.data(), req.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(req.size())) {
    ::close(s);
    return std::nullopt;
  }
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::recv(s, buf, sizeof buf, 0);
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(s);
  const size_t head_end = data.find("\r\n\r\n");
  if (data.compare(0, 9, "HTTP/1.1 ") != 0 || head_end == std::string::npos) return std::nullopt;
  http_response r;
  r.status = std::atoi(data.c_str() + 9);
  r.body = data.substr(head_end + 4);
  return r;
}

// The Chromium to test with: $SCENARIO_CHROMIUM, else Debian's. Empty when
// there is none.
inline std::string chromium() {
  if (const char* e = std::getenv("SCENARIO_CHROMIUM"); e && *e) return e;
  for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (::access(p, X_OK) == 0) return p;
  }
  return {};
}

// Headless Chromium on a fresh profile with everything that would reach the
// network switched off, plus `extra`, opening `url` in a window of
// `window_size` ("WIDTH,HEIGHT"); 90 s at most.
inline ProcessResult offline_chromium(const std::string& profile, const std::vector<std::string>& extra,
                                      const std::string& url, const std::string& window_size = "1500,950") {
  std::vector<std::string> args = {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                   "--no-first-run", "--disable-background-networking",
                                   "--disable-component-update", "--disable-sync",
                                   "--user-data-dir=" + profile, "--window-size=" + window_size};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(url);
  return run_bounded(chromium(), args, std::chrono::seconds(90));
}

}  // namespace scenario::testing
