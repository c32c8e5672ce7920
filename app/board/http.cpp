#include "app/board/http.h"

#include <curl/curl.h>
#include <signal.h>

#include <charconv>
#include <memory>

#include "app/cli/options.h"

namespace pellaris::app {

namespace {

// A board that has gone away makes a write to its connection raise SIGPIPE, which would end the
// program: the signal is blocked on this thread while a request runs, and taken if it came.
class SigpipeBlocked {
 public:
  SigpipeBlocked() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &saved_);
  }
  ~SigpipeBlocked() {
    if (!wasPending_) {
      const timespec now{};
      while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
  }
  SigpipeBlocked(const SigpipeBlocked&) = delete;
  SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;

 private:
  sigset_t pipe_{}, saved_{};
  bool wasPending_ = false;
};

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// A recording is text; and it goes at once, without first asking whether it may (Expect).
curl_slist* PostHeaders() {
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: text/plain; charset=utf-8");
  if (curl_slist* more = headers ? curl_slist_append(headers, "Expect:") : nullptr) headers = more;
  return headers;
}

// Takes the answer's bytes up to the limit; beyond it the transfer fails.
std::size_t TakeBody(char* data, std::size_t size, std::size_t count, void* reply) {
  std::string& body = static_cast<HttpReply*>(reply)->body;
  const std::size_t bytes = size * count;
  if (body.size() + bytes > HttpClient::kLargestAnswer) return 0;
  body.append(data, bytes);
  return bytes;
}

std::optional<int> RetryAfter(CURL* easy) {
  curl_header* header = nullptr;
  if (curl_easy_header(easy, "Retry-After", 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return std::nullopt;
  const std::string_view value = header->value;
  int seconds = 0;
  const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (failure != std::errc{} || end != value.data() + value.size() || seconds < 0) return std::nullopt;
  return seconds;
}

// Why a request had no answer, in the player's words where libcurl's would mislead: a write error is
// only ever TakeBody turning away an answer past the limit, not a full disk.
std::string Failure(CURLcode result) {
  if (result == CURLE_WRITE_ERROR || result == CURLE_FILESIZE_EXCEEDED) {
    return "its answer is larger than " + std::to_string(HttpClient::kLargestAnswer) + " bytes";
  }
  return curl_easy_strerror(result);
}

Easy NewRequest(const std::string& url, HttpLimits limits, HttpReply& reply) {
  Easy easy(curl_easy_init());
  if (!easy) return easy;
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // no alarms: it runs beside the game's thread
  // A name still being looked up when the program ends is left to its thread rather than waited for.
  curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.whole.count()));
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(HttpClient::kLargestAnswer));
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
  const std::string agent = std::string("pellaris/") + ProgramVersion();
  curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.c_str());  // copied by libcurl
  return easy;
}

}  // namespace

HttpClient::HttpClient(HttpLimits limits) : limits_(limits) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  multi_ = curl_multi_init();
}

HttpClient::~HttpClient() {
  const SigpipeBlocked sigpipe;  // kept connections are closed here
  curl_multi_cleanup(static_cast<CURLM*>(multi_));
  curl_global_cleanup();
}

HttpReply HttpClient::Get(const std::string& url) {
  return Perform(url, nullptr);
}

HttpReply HttpClient::Post(const std::string& url, const std::string& body) {
  return Perform(url, &body);
}

void HttpClient::Stop() {
  stopped_ = true;
  if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

// The multi interface rather than a plain curl_easy_perform, so that Stop can wake the wait.
HttpReply HttpClient::Perform(const std::string& url, const std::string* body) {
  const SigpipeBlocked sigpipe;
  HttpReply reply;
  CURLM* multi = static_cast<CURLM*>(multi_);
  Easy easy = multi ? NewRequest(url, limits_, reply) : Easy();
  if (!easy) {
    reply.error = "the network library cannot make a request";
    return reply;
  }
  const HeaderList headers(body ? PostHeaders() : nullptr);
  if (body) {
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  }
  curl_multi_add_handle(multi, easy.get());
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  for (int running = 1; running && !stopped_;) {
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    if (running) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  int left = 0;
  while (const CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  }
  if (result == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    reply.status = static_cast<int>(status);
    reply.retryAfterSeconds = RetryAfter(easy.get());
  } else {
    reply.body.clear();
    reply.error = stopped_ ? "the program is ending" : Failure(result);
  }
  curl_multi_remove_handle(multi, easy.get());
  return reply;
}

}  // namespace pellaris::app
