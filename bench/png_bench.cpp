// Decoding one large PNG (2048 x 2048 RGBA, generated at start) into RGBA pixels, bottom row
// first, with our reader and with libpng in the same run; prints the time ratio at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/image_write.h"
#include "engine/memory.h"
#include "engine/textures.h"
#include "engine/textures_png.h"

#ifdef TESSERA_HAVE_LIBPNG
#include <png.h>
#endif

namespace {

constexpr int kSize = 2048;

// A picture with smooth areas, edges and grain, so that every filter type has work: R and G
// follow gradients with waves, B is blocky, alpha fades across, and a little noise is on top.
std::vector<uint8_t> MakePicture() {
  std::vector<uint8_t> rgba(static_cast<size_t>(kSize) * kSize * 4);
  uint32_t noise = 12345;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      noise = noise * 1664525u + 1013904223u;
      int grain = static_cast<int>((noise >> 24) & 7) - 3;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * kSize + static_cast<size_t>(x)) * 4];
      double wave = 40 * std::sin(x * 0.013) * std::cos(y * 0.021);
      p[0] = static_cast<uint8_t>(std::clamp(x / 9 + static_cast<int>(wave) + grain, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(y / 9 - static_cast<int>(wave) + grain, 0, 255));
      p[2] = static_cast<uint8_t>(((x / 64 + y / 64) % 2) ? 200 : 40);
      p[3] = static_cast<uint8_t>(255 - (x + y) / 32);
    }
  }
  return rgba;
}

#ifdef TESSERA_HAVE_LIBPNG
void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

// Encoded by libpng with its default (adaptive) row filters and zlib level 6.
std::vector<uint8_t> EncodeWithLibpng(const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_set_write_fn(png, &out, WriteToVector, NoFlush);
  png_set_IHDR(png, info, kSize, kSize, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  for (int y = 0; y < kSize; ++y)
    png_write_row(png, rgba.data() + static_cast<size_t>(kSize - 1 - y) * kSize * 4);  // top row first
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct ReadState {
  const std::vector<uint8_t>* file;
  size_t pos;
};
void ReadFromVector(png_structp png, png_bytep data, png_size_t length) {
  auto* s = static_cast<ReadState*>(png_get_io_ptr(png));
  if (s->pos + length > s->file->size()) png_error(png, "read past end");
  std::memcpy(data, s->file->data() + s->pos, length);
  s->pos += length;
}

// libpng's usual route to RGBA: expand palettes, grey and low depths, add opaque alpha, rows
// placed bottom first through the row pointers, as our reader delivers them.
bool DecodeWithLibpng(const std::vector<uint8_t>& file, std::vector<uint8_t>* pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  ReadState state{&file, 0};
  png_set_read_fn(png, &state, ReadFromVector);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  pixels->resize(static_cast<size_t>(w) * h * 4);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels->data() + static_cast<size_t>(h - 1 - y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}
#endif

const std::vector<uint8_t>& TestFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> rgba = MakePicture();
#ifdef TESSERA_HAVE_LIBPNG
    return EncodeWithLibpng(rgba);
#else
    return eng::EncodePng(kSize, kSize, rgba.data(), true);
#endif
  }();
  return file;
}

void BM_PngDecodeOurs(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  eng::MemoryBuffer buffer;
  buffer.Memory = const_cast<uint8_t*>(file.data());
  buffer.Size = static_cast<uint32_t>(file.size());
  for (auto _ : state) {
    eng::TImage image;
    if (!eng::PngLoadFromMemory(buffer, &image)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.Pixels.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_PngDecodeOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);

#ifdef TESSERA_HAVE_LIBPNG
void BM_PngDecodeLibpng(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  for (auto _ : state) {
    std::vector<uint8_t> pixels;
    if (!DecodeWithLibpng(file, &pixels)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_PngDecodeLibpng)->Unit(benchmark::kMillisecond)->MinTime(2.0);
#endif

// Keeps each benchmark's CPU time per iteration (steadier than wall time on a shared machine)
// to print the ratio after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.iterations > 0)
        times[run.run_name.function_name] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::printf("test file: %d x %d RGBA, %zu bytes\n", kSize, kSize, TestFile().size());
#ifdef TESSERA_HAVE_LIBPNG
  {
    // Both decoders must deliver the same pixels, or the comparison means nothing.
    eng::MemoryBuffer buffer;
    buffer.Memory = const_cast<uint8_t*>(TestFile().data());
    buffer.Size = static_cast<uint32_t>(TestFile().size());
    eng::TImage ours;
    std::vector<uint8_t> theirs;
    if (!eng::PngLoadFromMemory(buffer, &ours) || !DecodeWithLibpng(TestFile(), &theirs) ||
        ours.Pixels != theirs) {
      std::fprintf(stderr, "the two decoders disagree\n");
      return 1;
    }
  }
#endif
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ours = reporter.times.find("BM_PngDecodeOurs");
  auto libpng = reporter.times.find("BM_PngDecodeLibpng");
  if (ours != reporter.times.end() && libpng != reporter.times.end())
    std::printf("ratio ours / libpng: %.3f (below 1 is faster)\n", ours->second / libpng->second);
  benchmark::Shutdown();
  return 0;
}
