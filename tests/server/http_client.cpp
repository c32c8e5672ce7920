#include "http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace pellaris::board {

HttpConnection::HttpConnection(const std::string& address, std::chrono::milliseconds timeout) {
  const std::size_t colon = address.rfind(':');
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(std::stoi(address.substr(colon + 1))));
  if (inet_pton(AF_INET, address.substr(0, colon).c_str(), &peer.sin_addr) != 1) return;
  socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return;
  timeval wait{static_cast<time_t>(timeout.count() / 1000),
               static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
  setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  const int on = 1;
  setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (connect(socket_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    close(socket_);
    socket_ = -1;
  }
}

HttpConnection::~HttpConnection() {
  if (socket_ >= 0) close(socket_);
}

bool HttpConnection::Send(const std::string& bytes) {
  std::size_t sent = 0;
  while (socket_ >= 0 && sent < bytes.size()) {
    const ssize_t done = send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    sent += static_cast<std::size_t>(done);
  }
  return socket_ >= 0;
}

bool HttpConnection::Fill() {
  char chunk[65536];
  for (;;) {
    const ssize_t got = recv(socket_, chunk, sizeof chunk, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
  }
}

HttpAnswer HttpConnection::Receive() {
  HttpAnswer answer;
  std::size_t end = 0;
  while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!Fill()) return answer;
  }
  const std::string head = buffer_.substr(0, end);
  buffer_.erase(0, end + 4);
  std::size_t line = head.find("\r\n");
  const std::string status = head.substr(0, line);
  if (status.size() < 12) return answer;
  for (std::size_t at = line; at != std::string::npos && at < head.size();) {
    const std::size_t next = head.find("\r\n", at + 2);
    const std::string field =
        head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
    const std::size_t colon = field.find(':');
    if (colon != std::string::npos) {
      std::string name = field.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      answer.headers[name] = field.substr(field.find_first_not_of(' ', colon + 1));
    }
    at = next;
  }
  const std::size_t length =
      std::stoul(answer.headers.count("content-length") ? answer.headers["content-length"] : "0");
  while (buffer_.size() < length) {
    if (!Fill()) return answer;
  }
  answer.body = buffer_.substr(0, length);
  buffer_.erase(0, length);
  answer.status = std::stoi(status.substr(9, 3));
  return answer;
}

HttpAnswer HttpConnection::Request(const std::string& method, const std::string& target,
                                   const std::string& body) {
  std::string request = method + " " + target + " HTTP/1.1\r\nHost: board\r\n";
  if (method == "POST" || !body.empty()) request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (!Send(request + "\r\n" + body)) return {};
  return Receive();
}

bool HttpConnection::ClosedByServer() {
  char chunk[4096];
  for (;;) {
    const ssize_t got = recv(socket_, chunk, sizeof chunk, 0);
    if (got > 0) continue;
    if (got == 0) return true;
    if (errno == EINTR) continue;
    return errno != EAGAIN && errno != EWOULDBLOCK;  // reset: closed too
  }
}

HttpAnswer Fetch(const std::string& address, const std::string& method, const std::string& target,
                 const std::string& body) {
  HttpConnection connection(address);
  return connection.Request(method, target, body);
}

}  // namespace pellaris::board
