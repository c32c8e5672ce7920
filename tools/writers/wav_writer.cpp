#include "tools/writers/wav_writer.h"

namespace writers {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;
// The RIFF size field counts everything after itself in 32 bits.
constexpr std::uint64_t kMostDataBytes = 0xFFFFFFFFu - (kHeaderBytes - 8);

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutId(Bytes& out, const char (&id)[5]) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

void PutSamples(Bytes& out, const std::int16_t* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) Put16(out, static_cast<std::uint16_t>(samples[i]));
}

Bytes Header(int rate, int channels, std::uint32_t dataBytes) {
  const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
  Bytes header;
  PutId(header, "RIFF");
  Put32(header, dataBytes + kHeaderBytes - 8);
  PutId(header, "WAVE");
  PutId(header, "fmt ");
  Put32(header, 16);
  Put16(header, 1);  // integer PCM
  Put16(header, static_cast<std::uint32_t>(channels));
  Put32(header, static_cast<std::uint32_t>(rate));
  Put32(header, static_cast<std::uint32_t>(rate) * blockAlign);
  Put16(header, blockAlign);
  Put16(header, 16);
  PutId(header, "data");
  Put32(header, dataBytes);
  return header;
}

void WriteBytes(std::ofstream& file, const Bytes& bytes) {
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

Bytes EncodeWav(int rate, int channels, const std::vector<std::int16_t>& samples) {
  Bytes out = Header(rate, channels, static_cast<std::uint32_t>(samples.size() * 2));
  PutSamples(out, samples.data(), samples.size());
  return out;
}

bool WavFileWriter::Open(const std::string& path) {
  file_.open(path, std::ios::binary | std::ios::trunc);
  if (!file_) return false;
  WriteBytes(file_, Header(rate_, channels_, 0));
  return static_cast<bool>(file_);
}

void WavFileWriter::Write(const std::int16_t* samples, std::size_t count) {
  if (!file_.is_open() || tooLong_ || count == 0) return;
  if (dataBytes_ + count * 2 > kMostDataBytes) {
    tooLong_ = true;
    return;
  }
  Bytes bytes;
  bytes.reserve(count * 2);
  PutSamples(bytes, samples, count);
  WriteBytes(file_, bytes);
  dataBytes_ += count * 2;
}

bool WavFileWriter::Finish() {
  if (!file_.is_open()) return false;
  file_.seekp(0);
  WriteBytes(file_, Header(rate_, channels_, static_cast<std::uint32_t>(dataBytes_)));
  file_.close();
  return !file_.fail() && !tooLong_;
}

}  // namespace writers
