// Requests and answers as the board's API sees them, whatever carries them.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pellaris::board {

struct HttpRequest {
  std::string method;  // "GET", "POST", ...
  std::string target;  // the path and query as sent
  std::string body;
  std::string client;  // the client's address
};

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // besides the type and length
};

// Answers a request, now or later, from any thread.
using Respond = std::function<void(HttpResponse)>;
using Handler = std::function<void(HttpRequest, Respond)>;

}  // namespace pellaris::board
