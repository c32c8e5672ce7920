#include "tools/replay/wav_file.h"

#include <vector>

namespace pellaris::replay {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;
// The RIFF size field counts everything after itself in 32 bits.
constexpr std::uint64_t kMostDataBytes = 0xFFFFFFFFu - (kHeaderBytes - 8);

void Put16(std::vector<char>& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::vector<char>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutId(std::vector<char>& out, const char* id) {
  out.insert(out.end(), id, id + 4);
}

}  // namespace

bool WavFileWriter::Open(const std::string& path) {
  file_.open(path, std::ios::binary | std::ios::trunc);
  if (!file_) return false;
  WriteHeader(0);
  return static_cast<bool>(file_);
}

void WavFileWriter::WriteHeader(std::uint32_t dataBytes) {
  const auto blockAlign = static_cast<std::uint32_t>(channels_ * 2);
  std::vector<char> header;
  PutId(header, "RIFF");
  Put32(header, dataBytes + kHeaderBytes - 8);
  PutId(header, "WAVE");
  PutId(header, "fmt ");
  Put32(header, 16);
  Put16(header, 1);  // integer PCM
  Put16(header, static_cast<std::uint32_t>(channels_));
  Put32(header, static_cast<std::uint32_t>(rate_));
  Put32(header, static_cast<std::uint32_t>(rate_) * blockAlign);
  Put16(header, blockAlign);
  Put16(header, 16);
  PutId(header, "data");
  Put32(header, dataBytes);
  file_.write(header.data(), static_cast<std::streamsize>(header.size()));
}

void WavFileWriter::Write(const std::int16_t* samples, std::size_t count) {
  if (!file_.is_open() || tooLong_ || count == 0) return;
  if (dataBytes_ + count * 2 > kMostDataBytes) {
    tooLong_ = true;
    return;
  }
  std::vector<char> bytes;
  bytes.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) Put16(bytes, static_cast<std::uint16_t>(samples[i]));
  file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  dataBytes_ += count * 2;
}

bool WavFileWriter::Finish() {
  if (!file_.is_open()) return false;
  file_.seekp(0);
  WriteHeader(static_cast<std::uint32_t>(dataBytes_));
  file_.close();
  return !file_.fail() && !tooLong_;
}

}  // namespace pellaris::replay
