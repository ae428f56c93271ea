#pragma once
// The HTTP layer's server with its connections read through a buffer of its own. The layer's
// stream asks the system whether the socket is readable, then reads at most 4 KB, for each piece
// of a body: a picture of a few hundred kilobytes cost hundreds of system calls. Here a read takes
// whatever has arrived, up to the buffer's size, and waits (for at most the read timeout) only
// when nothing has.

#include <httplib.h>

namespace plate::serve {

class HttpServer : public httplib::Server {
 private:
  // Serves the connection's requests one after the other, as the layer does: while it is kept
  // alive, at most the keep-alive count of them, and none once the server stops.
  bool process_and_close_socket(socket_t socket) override;
};

}  // namespace plate::serve
