// Requests to a score board over HTTP or HTTPS (libcurl), each wait limited, and cut short at once
// when another thread stops the client: a program that ends never waits for a slow board.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace pellaris::app {

struct HttpReply {
  int status = 0;                        // 0: no answer, and `error` says why
  std::string body;                      // at most kLargestAnswer bytes; a longer answer is no answer
  std::optional<int> retryAfterSeconds;  // Retry-After, when it is a number of seconds
  std::string error;
};

struct HttpLimits {
  std::chrono::milliseconds connect{10000};
  std::chrono::milliseconds whole{60000};  // the request, from its start to the answer's end
};

class HttpClient {
 public:
  static constexpr std::size_t kLargestAnswer = 1 << 20;

  explicit HttpClient(HttpLimits limits = {});
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  HttpReply Get(const std::string& url);
  HttpReply Post(const std::string& url, const std::string& body);

  // From any thread: the request under way ends now without an answer, and so does every later one.
  void Stop();
  bool Stopped() const { return stopped_; }

 private:
  HttpReply Perform(const std::string& url, const std::string* body);

  HttpLimits limits_;
  void* multi_;  // the libcurl multi handle, which Stop wakes
  std::atomic<bool> stopped_{false};
};

}  // namespace pellaris::app
