#include "serve/connection_queue.h"

namespace plate::serve {

ConnectionQueue::ConnectionQueue(std::size_t threads, std::size_t waiting_capacity)
    : waiting_capacity_(waiting_capacity) {
  for (std::size_t t = 0; t < threads; ++t) threads_.emplace_back([this] { serve(); });
}

ConnectionQueue::~ConnectionQueue() {
  shutdown();
}

void ConnectionQueue::enqueue(std::function<void()> connection) {
  {
    std::unique_lock lock(mutex_);
    room_freed_.wait(lock, [&] { return waiting_.size() < waiting_capacity_ || stopping_; });
    waiting_.push_back(std::move(connection));
  }
  connection_waiting_.notify_one();
}

void ConnectionQueue::shutdown() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  connection_waiting_.notify_all();
  room_freed_.notify_all();
  for (std::thread& thread : threads_)
    if (thread.joinable()) thread.join();
}

void ConnectionQueue::serve() {
  for (;;) {
    std::function<void()> connection;
    {
      std::unique_lock lock(mutex_);
      connection_waiting_.wait(lock, [&] { return !waiting_.empty() || stopping_; });
      if (waiting_.empty()) return;
      connection = std::move(waiting_.front());
      waiting_.pop_front();
    }
    room_freed_.notify_one();
    connection();  // serves the connection's requests and closes it
  }
}

}  // namespace plate::serve
