#include "serve/http_server.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace plate::serve {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;
// How often a connection waiting for its next request looks whether the server is stopping.
constexpr int kStopCheckMilliseconds = 100;

timeval as_timeval(time_t seconds, time_t microseconds) {
  return {seconds, static_cast<suseconds_t>(microseconds)};
}

int as_milliseconds(time_t seconds, time_t microseconds) {
  return static_cast<int>(seconds * 1000 + microseconds / 1000);
}

void numeric_address(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port) {
  char host[NI_MAXHOST] = "";
  char service[NI_MAXSERV] = "";
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service,
                  sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
    ip = host;
    port = std::atoi(service);
  }
}

// A connection's socket with a receive buffer. The timeouts are the socket's own (SO_RCVTIMEO,
// SO_SNDTIMEO): a read or write that waits longer fails, as the layer's stream does. The layer
// sets them on every socket it accepts too; they are set here again because this stream, unlike
// the layer's, has no other bound on a wait.
class ConnectionStream final : public httplib::Stream {
 public:
  ConnectionStream(int socket, timeval read_timeout, timeval write_timeout)
      : socket_(socket), read_timeout_(read_timeout), write_timeout_(write_timeout) {
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &read_timeout_, sizeof read_timeout_);
    setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &write_timeout_, sizeof write_timeout_);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      numeric_address(address, length, remote_ip_, remote_port_);
    length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      numeric_address(address, length, local_ip_, local_port_);
  }

  bool is_readable() const override {
    return begin_ < end_ || wait_for(POLLIN, as_milliseconds(read_timeout_.tv_sec, read_timeout_.tv_usec));
  }
  bool is_writable() const override {
    return wait_for(POLLOUT, as_milliseconds(write_timeout_.tv_sec, write_timeout_.tv_usec));
  }

  ssize_t read(char* destination, std::size_t size) override {
    if (begin_ == end_) {
      // A large read goes straight to its destination; a small one fills the buffer.
      if (size >= kBufferBytes) return receive(destination, size);
      const ssize_t received = receive(buffer_.get(), kBufferBytes);
      if (received <= 0) return received;
      begin_ = 0;
      end_ = static_cast<std::size_t>(received);
    }
    const std::size_t count = std::min(size, end_ - begin_);
    std::memcpy(destination, buffer_.get() + begin_, count);
    begin_ += count;
    return static_cast<ssize_t>(count);
  }

  ssize_t write(const char* data, std::size_t size) override {
    for (;;) {
      const ssize_t sent = ::send(socket_, data, size, MSG_NOSIGNAL);
      if (sent >= 0 || errno != EINTR) return sent;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = remote_ip_;
    port = remote_port_;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = local_ip_;
    port = local_port_;
  }
  socket_t socket() const override { return socket_; }

  // Whether a request has begun to arrive within `timeout`; false as soon as `stopping()` says so.
  template <class Stopping>
  bool wait_for_request(std::chrono::milliseconds timeout, Stopping stopping) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!stopping()) {
      if (begin_ < end_ || wait_for(POLLIN, kStopCheckMilliseconds)) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
    }
    return false;
  }

 private:
  ssize_t receive(char* destination, std::size_t size) {
    for (;;) {
      const ssize_t received = ::recv(socket_, destination, size, 0);
      if (received >= 0 || errno != EINTR) return received;
    }
  }

  // Whether `events` came within `milliseconds`: readable also when the peer has hung up, so that
  // the next read tells.
  bool wait_for(short events, int milliseconds) const {
    pollfd watched{socket_, events, 0};
    for (;;) {
      const int ready = ::poll(&watched, 1, milliseconds);
      if (ready >= 0 || errno != EINTR) return ready > 0;
    }
  }

  const int socket_;
  const timeval read_timeout_, write_timeout_;
  std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  std::size_t begin_ = 0, end_ = 0;
  std::string remote_ip_, local_ip_;
  int remote_port_ = 0, local_port_ = 0;
};

}  // namespace

bool HttpServer::process_and_close_socket(socket_t socket) {
  bool served = false;
  {
    ConnectionStream stream(socket, as_timeval(read_timeout_sec_, read_timeout_usec_),
                            as_timeval(write_timeout_sec_, write_timeout_usec_));
    const std::chrono::seconds keep_alive(keep_alive_timeout_sec_);
    const auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
    for (std::size_t left = keep_alive_max_count_; left > 0 && stream.wait_for_request(keep_alive, stopping);
         --left) {
      bool closed = false;
      served = process_request(stream, left == 1, closed, nullptr);
      if (!served || closed) break;
    }
  }
  ::shutdown(socket, SHUT_RDWR);
  ::close(socket);
  return served;
}

}  // namespace plate::serve
