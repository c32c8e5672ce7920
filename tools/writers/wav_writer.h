// 16-bit PCM WAV files for the tools: whole from memory, or written as the samples come with the sizes
// in the header filled in when the file is finished, so that a long run never has to be held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace writers {

using Bytes = std::vector<std::uint8_t>;

// RIFF/WAVE with a 16-byte PCM fmt chunk followed directly by the data chunk: interleaved samples,
// little-endian.
Bytes EncodeWav(int rate, int channels, const std::vector<std::int16_t>& samples);

class WavFileWriter {
 public:
  WavFileWriter(int rate, int channels) : rate_(rate), channels_(channels) {}

  // Creates the file with a header for no samples yet; false when it cannot be written.
  bool Open(const std::string& path);
  // Appends interleaved samples (whole frames). Past what a WAV file can hold, the rest is refused and
  // Finish reports it.
  void Write(const std::int16_t* samples, std::size_t count);
  // Fills in the sizes and closes the file; false when anything could not be written.
  bool Finish();

 private:
  int rate_, channels_;
  std::ofstream file_;
  std::uint64_t dataBytes_ = 0;
  bool tooLong_ = false;
};

}  // namespace writers
