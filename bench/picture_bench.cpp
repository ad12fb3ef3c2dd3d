// Pictures: loading a 32 x 32 icon with alpha from memory, and painting it on a
// button-sized surface (composited through AlphaBlend). `make bench` times the same
// blend, and the system's own icon loading and drawing, through real GDI under Wine.
#include <benchmark/benchmark.h>

#include <sheenwork/host/surface.h>
#include <sheenwork/picture/load.h>

#include <cstdint>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An ICO file with one 32 x 32 32-bit entry: a colour ramp whose alpha falls from the
// centre outwards, and its (unused) AND mask.
std::vector<std::uint8_t> Icon32() {
    std::vector<std::uint8_t> entry;
    for (std::uint32_t v : {40u, 32u, 64u}) Put(entry, v, 4);
    Put(entry, 1, 2);
    Put(entry, 32, 2);
    for (int i = 0; i < 6; ++i) Put(entry, 0, 4);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int d = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            const std::uint32_t a = d >= 256 ? 0 : static_cast<std::uint32_t>(255 - d);
            Put(entry,
                a << 24 | static_cast<std::uint32_t>(x * 8) << 16 |
                    static_cast<std::uint32_t>(y * 8) << 8 | 0x40,
                4);
        }
    for (int i = 0; i < 32 * 4; ++i) entry.push_back(0);
    std::vector<std::uint8_t> file;
    Put(file, 0, 2);
    Put(file, 1, 2);
    Put(file, 1, 2);
    for (std::uint32_t v : {32u, 32u, 0u, 0u}) Put(file, v, 1);
    Put(file, 1, 2);
    Put(file, 32, 2);
    Put(file, static_cast<std::uint32_t>(entry.size()), 4);
    Put(file, 22, 4);
    file.insert(file.end(), entry.begin(), entry.end());
    return file;
}

void LoadIcon32(benchmark::State& state) {
    const std::vector<std::uint8_t> file = Icon32();
    for (auto _ : state) benchmark::DoNotOptimize(sheenwork::picture::LoadPictureFromMemory(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(LoadIcon32)->Name("picture/LoadIcon32");

void PaintIcon32(benchmark::State& state) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    sheenwork::host::Surface surface(*gdi, 75, 23);
    const auto icon = sheenwork::picture::LoadPictureFromMemory(Icon32());
    for (auto _ : state) {
        surface.PaintPicture(*icon, 21.5f, -4.5f);
        benchmark::DoNotOptimize(gdi->GetPixel(surface.hDC(), 37, 11));
    }
}
BENCHMARK(PaintIcon32)->Name("raster/PaintPicture-icon32/75x23");

// The blend alone, as `make bench` times it on real GDI.
void AlphaBlend32(benchmark::State& state) {
    auto gdi = sheenwork::gdi::MakeRasterGdi();
    sheenwork::host::Surface surface(*gdi, 75, 23);
    std::vector<std::uint32_t> px(32 * 32, 0x80402010u);
    sheenwork::gdi::Hdc src = gdi->CreateCompatibleDC(surface.hDC());
    sheenwork::gdi::Hgdiobj bitmap = gdi->CreateAlphaBitmap(32, 32, px.data());
    sheenwork::gdi::Hgdiobj old = gdi->SelectObject(src, bitmap);
    for (auto _ : state) {
        gdi->AlphaBlend(surface.hDC(), 21, 0, 32, 23, src, 0, 4, 32, 23,
                        sheenwork::gdi::BlendFunction{});
        benchmark::DoNotOptimize(gdi->GetPixel(surface.hDC(), 37, 11));
    }
    gdi->SelectObject(src, old);
    gdi->DeleteObject(bitmap);
    gdi->DeleteDC(src);
}
BENCHMARK(AlphaBlend32)->Name("raster/AlphaBlend-32x23/75x23");

}  // namespace
