// libFuzzer target: the picture loaders (BMP, ICO and CUR of our own; PNG, JPEG and GIF
// through their libraries) on any bytes. A picture is loaded or refused with error 481 (7
// when it would not fit in memory); one that loads has a size within the limits and one
// pixel for each of its width x height. Nothing may crash, leak or trip a sanitizer.
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

using namespace sheenwork;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::shared_ptr<vb::StdPicture> picture;
    try {
        picture = picture::LoadPictureFromMemory(std::span(data, size), "input");
    } catch (const vb::RuntimeError& e) {
        if (e.Number() != 481 && e.Number() != 7) {
            std::fprintf(stderr, "refused with error %ld: %s\n", e.Number(),
                         e.Description().c_str());
            std::abort();
        }
        return 0;
    }
    const int w = picture->PixelWidth(), h = picture->PixelHeight();
    if (w < 0 || h < 0 || w > picture::kMaxSide || h > picture::kMaxSide ||
        picture->Pixels().size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {
        std::fprintf(stderr, "a %d x %d picture with %zu pixels\n", w, h, picture->Pixels().size());
        std::abort();
    }
    return 0;
}
