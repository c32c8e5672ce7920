// HTTP/1.1 for the board, on Boost.Beast: the one part of the board that includes it. Guards the
// board against clients: limits on headers and bodies, a deadline to read a request by (a slow client
// cannot hold a connection) and one for an idle connection, and caps on connections, in all and from
// one address.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/http_types.h"

namespace pellaris::board {

struct HttpLimits {
  std::size_t headerBytes = 8 * 1024;
  std::size_t bodyBytes = 64 * 1024;
  std::chrono::milliseconds readTimeout{10000};  // to read a whole request, and to write an answer
  std::chrono::milliseconds idleTimeout{30000};  // between requests on a connection
  int connections = 1000;
  int connectionsPerAddress = 50;
  int threads = 2;
  // A proxy on this machine names the client in this header (X-Forwarded-For as nginx sets it, say);
  // empty: the client is the peer.
  std::string proxyHeader;
};

class HttpServer {
 public:
  using Log = std::function<void(const std::string&)>;
  HttpServer(const HttpLimits& limits, Handler handler, Log log);
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;
  ~HttpServer();

  // Listens on "ADDRESS:PORT" ("127.0.0.1:8080", "[::1]:8080"; port 0 takes a free one) and returns
  // the address it listens on. Throws std::runtime_error saying why it cannot.
  std::string Listen(const std::string& address);
  // Serves until SIGINT or SIGTERM, or Stop().
  void Run();
  void Stop();

  struct State;  // its workings, which only its source file sees

 private:
  std::unique_ptr<State> state_;
};

// A request read from bytes as the server reads it from a connection, or the status it is refused with.
struct ParsedRequest {
  std::optional<HttpRequest> request;
  int refusal = 0;  // 400, 413 or 431 when there is no request
};
ParsedRequest ParseHttpRequest(std::string_view bytes, const HttpLimits& limits);

}  // namespace pellaris::board
