// Writes the reader fuzzer's seed corpus: a few tiny, valid WAV images of every shape the reader
// takes, at the extremes of the rates, and one too long to go on through the loader there.
#include <cstdio>
#include <string>

#include "tests/support/wav_image.h"

namespace {

using rt::test::Bytes;

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_wav_seeds DIRECTORY\n", stderr);
    return 2;
  }
  using namespace rt::test;
  const std::string dir = argv[1];
  const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 1, 0, 0, 0, 'x'});
  Bytes extended = FormatRecord(Pcm(1, 8000, 8));
  Put16(extended, 0);  // the extension's size, which PCM leaves empty
  const bool ok =
      WriteFile(dir + "/mono16.wav", Wav(Pcm(1, 22050, 16), Samples16({0, 1000, -1000, 32767, -32768}))) &&
      WriteFile(dir + "/stereo8.wav", Wav(Pcm(2, 11025, 8), {0, 255, 128, 128, 64, 192})) &&
      WriteFile(dir + "/list.wav", Riff({Chunk("fmt ", FormatRecord(Pcm(1, 48000, 16))), list,
                                         Chunk("data", Samples16({5, -5, 7}))})) &&
      WriteFile(dir + "/odd.wav", Wav(Pcm(2, 44100, 16), {1, 2, 3, 4, 5})) &&
      WriteFile(dir + "/highest.wav", Wav(Pcm(2, 384000, 16), Samples16({9, -9, 300, -300, 0, 0}))) &&
      WriteFile(dir + "/extended.wav", Riff({Chunk("fmt ", extended), Chunk("data", {0x80, 0x90})})) &&
      // Three kilobytes at the lowest rate make three seconds at the device's.
      WriteFile(dir + "/long.wav", Wav(Pcm(1, 1000, 8), Bytes(3000, 0x80)));
  return ok ? 0 : 1;
}
