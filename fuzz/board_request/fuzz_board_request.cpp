// Feeds arbitrary bytes to the board's request reading, as a connection would deliver them. Whatever
// it accepts must hold to what the board relies on: a submission's name is 1 to 24 characters with no
// control bytes, its install id 32 lowercase hex digits, and what the page shows of the name has no
// markup left in it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "server/board_page.h"
#include "server/http_server.h"
#include "server/request.h"

namespace {

using namespace pellaris::board;

void CheckSubmission(const Submission& submission) {
  if (submission.name.empty() || submission.name.size() > 4 * 24) std::abort();
  for (unsigned char c : submission.name) {
    if (c < 0x20 || c == 0x7F) std::abort();
  }
  if (submission.name.front() == ' ' || submission.name.back() == ' ') std::abort();
  if (submission.installId.size() != 32 ||
      submission.installId.find_first_not_of("0123456789abcdef") != std::string::npos) {
    std::abort();
  }
  if (HtmlEscaped(submission.name).find_first_of("<>\"'") != std::string::npos) std::abort();
  if (submission.daily && pellaris::play::DateText(*submission.daily).size() != 10) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HttpLimits limits;
  limits.bodyBytes = 4096;  // small, so that the fuzzer reaches the limit
  const ParsedRequest parsed = ParseHttpRequest({reinterpret_cast<const char*>(data), size}, limits);
  if (!parsed.request) {
    if (parsed.refusal != 400 && parsed.refusal != 413 && parsed.refusal != 431) std::abort();
    return 0;
  }
  if (parsed.request->body.size() > limits.bodyBytes) std::abort();
  const std::optional<Target> target = ParseTarget(parsed.request->target);
  if (!target) return 0;
  for (const std::string& segment : target->path) {
    if (const std::optional<std::int64_t> id = ParseRoundId(segment); id && *id < 1) std::abort();
    ParseSeed(segment);
    pellaris::play::DateFromText(segment);
  }
  const std::variant<Submission, std::string> submission = ParseSubmission(target->query);
  if (const Submission* accepted = std::get_if<Submission>(&submission)) CheckSubmission(*accepted);
  return 0;
}
