#pragma once
// The threads that serve HTTP connections: a fixed number, and a bounded list of accepted
// connections waiting for one. When the list is full, accepting waits, so further clients wait in
// the system's listen backlog rather than in the service's memory.

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace plate::serve {

class ConnectionQueue : public httplib::TaskQueue {
 public:
  ConnectionQueue(std::size_t threads, std::size_t waiting_capacity);
  ~ConnectionQueue() override;

  void enqueue(std::function<void()> connection) override;
  // Serves every connection already accepted, then ends the threads.
  void shutdown() override;

 private:
  void serve();

  const std::size_t waiting_capacity_;
  std::mutex mutex_;
  std::condition_variable connection_waiting_;
  std::condition_variable room_freed_;
  std::deque<std::function<void()>> waiting_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace plate::serve
