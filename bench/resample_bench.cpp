// resample_bench.cpp - the cost of bringing pictures to the screen.
//
// Two comparisons, each against an anchor timed in the same run on the same
// input, printed at the end as nanoseconds per source pixel and as ratios:
//   - ResampleCells reducing a 1024 x 1024 picture (16 x 16 units at 64
//     pixels a unit) to 15, 20 and 63 pixels a unit, RGB and RGBA, beside
//     OpenCV's area resize (cv::resize with INTER_AREA, one thread, like ours)
//     to the same size. Ours is the exact area average, bit for bit; OpenCV's
//     works in floating point, and the largest difference is printed too.
//   - LoadPNG decoding photo-like files through both back-ends' argument sets
//     beside bare libpng with the same transformations into the same buffer
//     layout.
// Targets: ResampleCells no slower than OpenCV at scales 15 and 20; LoadPNG
// within 1.1 times bare libpng.

#include "image_internal.h"
#include "png_write.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using vimage::picture;

constexpr int SIDE = 1024; // 16 x 16 units: one megapixel

// A photo-like picture: smooth gradients and waves with a little noise, so
// that PNG compresses it about as well as a real one.
std::vector<unsigned char> PhotoBytes(int width, int height, int bpp)
{
    std::mt19937 rng(42);
    std::vector<unsigned char> px(static_cast<size_t>(width) * height * bpp);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bpp; ++c) {
                const double v = 128 + 60 * std::sin(x * 0.013 * (c + 1) + y * 0.007) +
                                 40 * std::cos(y * 0.021 - x * 0.004 * c) +
                                 static_cast<double>(rng() % 17) - 8;
                px[(static_cast<size_t>(y) * width + x) * bpp + c] =
                    static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
            }
    return px;
}

picture Photo(int bpp)
{
    picture p;
    const std::vector<unsigned char> bytes = PhotoBytes(SIDE, SIDE, bpp);
    p.pixels.reset(static_cast<unsigned char *>(std::malloc(bytes.size())));
    std::memcpy(p.pixels.get(), bytes.data(), bytes.size());
    p.width = p.width2 = p.height = p.height2 = SIDE;
    p.bpp = bpp;
    return p;
}

picture Cells(const picture &src, int scale)
{
    std::array<vimage::_coefficients, 64> t{};
    vimage::CalculateCoefficients(scale, t.data());
    return vimage::ResampleCells(src, SIDE / 64, SIDE / 64, scale, t.data(), scale, t.data(),
                                 false);
}

cv::Mat OpenCVArea(const picture &src, int scale)
{
    const cv::Mat in(SIDE, SIDE, src.bpp == 4 ? CV_8UC4 : CV_8UC3, src.pixels.get());
    cv::Mat out;
    cv::resize(in, out, cv::Size(SIDE / 64 * scale, SIDE / 64 * scale), 0, 0, cv::INTER_AREA);
    return out;
}

// Bare libpng with LoadPNG's transformations, into a buffer of the same
// layout. Returns false on a libpng error; all owners live in DecodeBare.
struct bare_reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~bare_reader() { png_destroy_read_struct(&png, &info, nullptr); }
};

bool ReadBare(bare_reader &r, std::FILE *f, int alpha, int pad2, int fourth_quadrant,
              vimage::pixels_ptr *out, malloc_ptr<png_bytep> *rows)
{
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, f);
    png_set_sig_bytes(r.png, 8);
    png_read_info(r.png, r.info);
    png_set_expand(r.png);
    png_set_strip_16(r.png);
    if (!alpha) png_set_strip_alpha(r.png);
    png_set_packing(r.png);
    if (alpha) png_set_filler(r.png, 0xff, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(r.png);
    double gamma = 0.45455;
    if (!png_get_gAMA(r.png, r.info, &gamma)) gamma = 0.45455;
    png_set_gamma(r.png, 2.2, gamma);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const png_uint_32 w = png_get_image_width(r.png, r.info),
                      h = png_get_image_height(r.png, r.info);
    const png_uint_32 w2 =
        pad2 ? static_cast<png_uint_32>(vimage::NextPowerOfTwo(static_cast<int>(w))) : w;
    const png_uint_32 h2 =
        pad2 ? static_cast<png_uint_32>(vimage::NextPowerOfTwo(static_cast<int>(h))) : h;
    const size_t row = static_cast<size_t>(w2) * (alpha ? 4 : 3);
    out->reset(static_cast<unsigned char *>(w2 > w || h2 > h ? std::calloc(row * h2, 1)
                                                             : std::malloc(row * h2)));
    rows->reset(static_cast<png_bytep *>(std::malloc(h * sizeof(png_bytep))));
    for (png_uint_32 i = 0; i < h; ++i)
        rows->get()[i] = out->get() + (fourth_quadrant ? i : h - 1 - i) * row;
    png_read_image(r.png, rows->get());
    return true;
}

vimage::pixels_ptr DecodeBare(const std::string &path, int alpha, int pad2, int fourth_quadrant)
{
    file_ptr f(std::fopen(path.c_str(), "rb"));
    png_byte sig[8];
    if (!f || std::fread(sig, 1, 8, f.get()) != 8 || png_sig_cmp(sig, 0, 8)) return nullptr;
    bare_reader r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!r.png || !(r.info = png_create_info_struct(r.png))) return nullptr;
    vimage::pixels_ptr out;
    malloc_ptr<png_bytep> rows;
    if (!ReadBare(r, f.get(), alpha, pad2, fourth_quadrant, &out, &rows)) return nullptr;
    return out;
}

// The bench's PNG files, in a folder of its own.
struct png_file {
    std::string name, path;
    int width, height;
};

std::vector<png_file> WriteFiles(const std::filesystem::path &dir)
{
    struct file_case {
        const char *name;
        int color_type, bpp;
        bool interlace;
    };
    const file_case cases[] = {{"rgb", PNG_COLOR_TYPE_RGB, 3, false},
                               {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 4, false},
                               {"rgb-interlaced", PNG_COLOR_TYPE_RGB, 3, true}};
    const int w = 1000, h = 750; // padded to 1024 x 1024 for OpenGL
    std::vector<png_file> files;
    for (const file_case &fc : cases) {
        const std::vector<unsigned char> px = PhotoBytes(w, h, fc.bpp);
        std::vector<std::vector<unsigned char>> rows;
        for (int y = 0; y < h; ++y)
            rows.emplace_back(px.begin() + static_cast<ptrdiff_t>(y) * w * fc.bpp,
                              px.begin() + static_cast<ptrdiff_t>(y + 1) * w * fc.bpp);
        png_desc d;
        d.width = w;
        d.height = h;
        d.color_type = fc.color_type;
        d.interlace = fc.interlace;
        const std::string path = (dir / (std::string(fc.name) + ".png")).string();
        if (!WriteBytes(path, EncodePng(d, rows))) std::abort();
        files.push_back({fc.name, path, w, h});
    }
    return files;
}

// Keeps every run's CPU time per iteration, in nanoseconds, by name: on a
// shared machine CPU time varies less than wall-clock time.
class collecting_reporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                ns[r.benchmark_name()] =
                    r.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

struct pairing {
    std::string ours, anchor;
    double source_pixels;
    double target; // the ratio ours / anchor must not exceed this
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    cv::setNumThreads(1);
    vimage::gammas.screen_gamma = 2.2;

    std::vector<pairing> pairs;
    std::map<int, picture> photos;
    for (int bpp : {3, 4}) photos[bpp] = Photo(bpp);
    for (int scale : {15, 20, 63})
        for (int bpp : {3, 4}) {
            const picture &src = photos[bpp];
            const std::string suffix =
                "/scale:" + std::to_string(scale) + (bpp == 4 ? "/rgba" : "/rgb");
            benchmark::RegisterBenchmark(("ResampleCells" + suffix).c_str(),
                                         [&src, scale](benchmark::State &st) {
                                             for (auto _ : st) {
                                                 picture out = Cells(src, scale);
                                                 benchmark::DoNotOptimize(out.pixels.get());
                                             }
                                         })
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("OpenCV_INTER_AREA" + suffix).c_str(),
                                         [&src, scale](benchmark::State &st) {
                                             for (auto _ : st) {
                                                 cv::Mat out = OpenCVArea(src, scale);
                                                 benchmark::DoNotOptimize(out.data);
                                             }
                                         })
                ->Unit(benchmark::kMicrosecond);
            pairs.push_back({"ResampleCells" + suffix, "OpenCV_INTER_AREA" + suffix,
                             double(SIDE) * SIDE, scale == 63 ? 0 : 1.0});
        }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantor-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::vector<png_file> files = WriteFiles(dir);
    struct caller {
        const char *name;
        int pad2, interpolate, fourth_quadrant;
    };
    for (const png_file &f : files)
        for (caller c : {caller{"gl", 1, 0, 0}, caller{"sdl", 0, 1, 1}}) {
            const int alpha = f.name == "rgba";
            const std::string suffix = "/" + f.name + "/" + c.name;
            benchmark::RegisterBenchmark(("LoadPNG" + suffix).c_str(), [&f, c, alpha](
                                                                           benchmark::State &st) {
                for (auto _ : st) {
                    const vimage::picture p =
                        vimage::LoadPNG(f.path.c_str(), {.alpha = alpha != 0,
                                                         .pad2 = c.pad2 != 0,
                                                         .interpolate = c.interpolate != 0,
                                                         .top_row_first = c.fourth_quadrant != 0});
                    if (!p.pixels) st.SkipWithError("LoadPNG failed");
                    benchmark::DoNotOptimize(p.pixels.get());
                }
            })->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("bare_libpng" + suffix).c_str(),
                                         [&f, c, alpha](benchmark::State &st) {
                                             for (auto _ : st) {
                                                 vimage::pixels_ptr p = DecodeBare(
                                                     f.path, alpha, c.pad2, c.fourth_quadrant);
                                                 if (!p) st.SkipWithError("libpng failed");
                                                 benchmark::DoNotOptimize(p.get());
                                             }
                                         })
                ->Unit(benchmark::kMicrosecond);
            pairs.push_back(
                {"LoadPNG" + suffix, "bare_libpng" + suffix, double(f.width) * f.height, 1.1});
        }

    collecting_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove_all(dir);

    // How far OpenCV's floating-point area average is from the exact one.
    for (int bpp : {3, 4}) {
        const picture ours = Cells(photos[bpp], 15);
        const cv::Mat theirs = OpenCVArea(photos[bpp], 15);
        int worst = 0;
        for (size_t i = 0; i < static_cast<size_t>(ours.width) * ours.height * bpp; ++i)
            worst = std::max(worst, std::abs(ours.pixels.get()[i] - theirs.data[i]));
        std::printf("scale 15 %s: largest difference from OpenCV's result: %d\n",
                    bpp == 4 ? "RGBA" : "RGB", worst);
    }

    std::printf("\n%-40s %12s %12s %8s %s\n", "ours vs anchor", "ns/src px", "anchor", "ratio",
                "target");
    bool all_met = true;
    for (const pairing &p : pairs) {
        const auto a = reporter.ns.find(p.ours), b = reporter.ns.find(p.anchor);
        if (a == reporter.ns.end() || b == reporter.ns.end()) continue; // filtered out
        const double ratio = a->second / b->second;
        const bool met = p.target == 0 || ratio <= p.target;
        all_met = all_met && met;
        char target[32] = "-";
        if (p.target > 0)
            std::snprintf(target, sizeof target, "<= %.2f %s", p.target, met ? "met" : "MISSED");
        std::printf("%-40s %12.3f %12.3f %8.3f %s\n", p.ours.c_str(), a->second / p.source_pixels,
                    b->second / p.source_pixels, ratio, target);
    }
    if (!all_met) std::printf("some targets were missed (a busy machine can do that: run again)\n");
    return 0;
}
