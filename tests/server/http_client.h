// A small HTTP/1.1 client over plain sockets, for the board's tests and benchmark: requests on a kept
// connection, and raw bytes for requests no proper client would send.
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace pellaris::board {

struct HttpAnswer {
  int status = 0;  // 0: the connection closed (or timed out) without an answer
  std::map<std::string, std::string> headers;  // names in lowercase
  std::string body;
};

class HttpConnection {
 public:
  // Connects to "ADDRESS:PORT" (IPv4); a failed connection answers every request with status 0.
  explicit HttpConnection(const std::string& address, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;
  ~HttpConnection();

  bool Connected() const { return socket_ >= 0; }
  HttpAnswer Request(const std::string& method, const std::string& target, const std::string& body = "");
  // Sends bytes as they are; false when the connection no longer takes them.
  bool Send(const std::string& bytes);
  // The next answer on the connection.
  HttpAnswer Receive();
  // True when the server has closed the connection (waiting up to the timeout).
  bool ClosedByServer();

 private:
  bool Fill();  // reads more into buffer_; false at the end or on the timeout

  int socket_ = -1;
  std::string buffer_;
};

// One request on a connection of its own.
HttpAnswer Fetch(const std::string& address, const std::string& method, const std::string& target,
                 const std::string& body = "");

}  // namespace pellaris::board
