#include "server/rate_limit.h"

#include <algorithm>
#include <cmath>

namespace pellaris::board {

bool RateLimit::Allow(const std::string& address, std::int64_t nowMs, int& retryAfterSeconds) {
  std::lock_guard lock(mutex_);
  if (buckets_.size() >= forgetAt_) ForgetFullBuckets(nowMs);
  auto [bucket, added] = buckets_.try_emplace(address, Bucket{burst_, nowMs});
  Bucket& b = bucket->second;
  b.tokens = std::min(burst_, b.tokens + static_cast<double>(nowMs - b.filledAt) / 1000.0 * perSecond_);
  b.filledAt = nowMs;
  if (b.tokens >= 1.0) {
    b.tokens -= 1.0;
    return true;
  }
  retryAfterSeconds = std::max(1, static_cast<int>(std::ceil((1.0 - b.tokens) / perSecond_)));
  return false;
}

void RateLimit::ForgetFullBuckets(std::int64_t nowMs) {
  std::erase_if(buckets_, [&](const auto& entry) {
    const Bucket& b = entry.second;
    return b.tokens + static_cast<double>(nowMs - b.filledAt) / 1000.0 * perSecond_ >= burst_;
  });
  // Many addresses all busy at once: look again only when there are twice as many.
  forgetAt_ = std::max<std::size_t>(1024, 2 * buckets_.size());
}

}  // namespace pellaris::board
