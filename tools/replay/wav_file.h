// Writes 16-bit PCM to a WAV file as it comes: the sizes in the header are filled in when it is
// finished, so a long run never has to be held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace pellaris::replay {

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
  void WriteHeader(std::uint32_t dataBytes);

  int rate_, channels_;
  std::ofstream file_;
  std::uint64_t dataBytes_ = 0;
  bool tooLong_ = false;
};

}  // namespace pellaris::replay
