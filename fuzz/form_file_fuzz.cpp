// libFuzzer target: the form file reader on any bytes. A file that reads must write and
// read back to the same text; nothing may crash, leak or trip a sanitizer. Pictures come
// from memory, so that no input reaches the disk: a path ending in ".png" is a 1 x 1
// picture of that file, any other is missing.
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using namespace sheenwork;

host::PictureRef FakePicture(const std::filesystem::path& path) {
    if (path.extension() != ".png") vb::Raise(53, {}, "File not found: " + path.string());
    auto picture = std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0xFF00FF00u});
    picture->SourceFile(path.string());
    return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path path = "/fuzz/forms/input.sfm";
    runtime::ReadOptions options;
    options.load_picture = FakePicture;
    // Half the inputs as a checker reads them, every problem collected.
    options.all_problems = size > 0 && (data[0] & 1) != 0;
    runtime::FormFile form;
    try {
        form = runtime::ParseFormFile(text, path, options);
    } catch (const runtime::FormFileError& e) {
        if (e.Problems().empty()) std::abort();
        return 0;
    }
    std::string once;
    try {
        once = runtime::FormatFormFile(form, path);
    } catch (const runtime::FormFileError& e) {
        std::fprintf(stderr, "a form that reads does not write: %s\n", e.what());
        std::abort();
    }
    const std::string twice =
        runtime::FormatFormFile(runtime::ParseFormFile(once, path, options), path);
    if (twice != once) {
        std::fprintf(stderr, "written:\n%s\nwritten again:\n%s\n", once.c_str(), twice.c_str());
        std::abort();
    }
    return 0;
}
