// Per-address rate limits: a bucket of tokens for each client address, refilled at a steady rate up
// to a burst; a request takes a token or is turned away. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace pellaris::board {

class RateLimit {
 public:
  // `perSecond` tokens a second, at most `burst` saved up.
  RateLimit(double perSecond, double burst) : perSecond_(perSecond), burst_(burst) {}

  // Takes a token of `address`'s bucket at `nowMs` (milliseconds on any steady clock). When there is
  // none, returns false and says in `retryAfterSeconds` when there will be.
  bool Allow(const std::string& address, std::int64_t nowMs, int& retryAfterSeconds);

 private:
  struct Bucket {
    double tokens;
    std::int64_t filledAt;
  };
  // Buckets that have filled up again are forgotten, so that many addresses cost no lasting memory.
  void ForgetFullBuckets(std::int64_t nowMs);

  double perSecond_, burst_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
  std::size_t forgetAt_ = 1024;
};

}  // namespace pellaris::board
