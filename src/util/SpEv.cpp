#include <sheenwork/control/sheenButton.h>
#include <sheenwork/system/services.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/error.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/open_flags.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace sheenwork {
namespace {

constexpr char kModule[] = "SpEv";
constexpr long kFileNotFound = 53;
constexpr long kPathFileAccess = 75;
constexpr long kPathNotFound = 76;
constexpr long kObjectRequired = 424;
constexpr long kObjectNotSet = 91;

// A file handle that is closed when the statement sequence ends.
struct File {
    std::FILE* f = nullptr;
    ~File() {
        if (f) std::fclose(f);
    }
};

// Close #f: an error on closing (data that could not be flushed) is a disk error.
void CloseFile(File& file) {
    if (!file.f) vb::Raise(52);
    const int rc = std::fclose(file.f);
    file.f = nullptr;
    if (rc != 0) vb::Raise(61);
}

bool AtEnd(std::FILE* f) {
    const int c = std::fgetc(f);
    if (c == EOF) return true;
    std::ungetc(c, f);
    return false;
}

// Line Input: a line ends at CR or CR LF (a lone LF stays in the line); the last line
// needs no line end.
std::string ReadLine(std::FILE* f) {
    std::string line;
    for (int c; (c = std::fgetc(f)) != EOF;) {
        if (c == '\r') {
            const int next = std::fgetc(f);
            if (next != '\n' && next != EOF) std::ungetc(next, f);
            break;
        }
        line += static_cast<char>(c);
    }
    if (std::ferror(f)) vb::Raise(57);
    return line;
}

[[noreturn]] void RaiseOpenError(bool for_writing) {
    if (errno == ENOENT) vb::Raise(for_writing ? kPathNotFound : kFileNotFound);
    vb::Raise(kPathFileAccess);
}

// Open #f For Input / For Output. Reading takes regular files only: a folder fails here,
// at the open, as it does on Windows, and a device or a pipe (which could block or never
// end) is refused. The open itself never waits: a pipe without a writer or a reader
// answers at once.
void Open(File& file, const std::string& name, bool for_writing) {
    const int flags = (for_writing ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY) |
                      util::kOpenNonBlock | util::kOpenPrivate;
    const int fd = ::open(name.c_str(), flags, 0666);
    if (fd < 0) RaiseOpenError(for_writing);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (!for_writing && !S_ISREG(st.st_mode))) {
        ::close(fd);
        vb::Raise(kPathFileAccess);
    }
    // From here on a write to a pipe that has a reader waits for it, as a file's would.
    util::WaitAgain(fd);
    file.f = ::fdopen(fd, for_writing ? "wb" : "rb");
    if (!file.f) {
        ::close(fd);
        vb::Raise(kPathFileAccess);
    }
}

// The file of an earlier statement that a silent error skipped is not there.
std::FILE* Opened(const File& file) {
    if (!file.f) vb::Raise(52);  // Bad file name or number
    return file.f;
}

std::shared_ptr<vb::Dispatch> ListObject(const vb::Variant& list) {
    const vb::Object o = std::holds_alternative<vb::Object>(list)
                             ? std::get<vb::Object>(list)
                             : (vb::Raise(kObjectRequired), vb::Object());
    if (o.IsNothing()) vb::Raise(kObjectNotSet);
    auto d = o.AsDispatch();
    if (!d) vb::Raise(438);
    return d;
}

}  // namespace

std::string SpEv::TextRead(const std::string& Filename) {
    Procedure p{"TextRead", ModuleKind::ClassModule, kModule};
    std::string text;
    File file;
    p([&] { Open(file, Filename, false); });
    // Input(LOF(f), f): as many characters as the file is long when it is read.
    p([&] {
        std::FILE* f = Opened(file);
        struct stat st {};
        if (::fstat(::fileno(f), &st) != 0) vb::Raise(57);
        if (st.st_size > INT32_MAX) vb::Raise(7);  // more than a String holds
        std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
        const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
        if (std::ferror(f)) vb::Raise(57);
        if (n != bytes.size()) vb::Raise(62);  // Input past end of file: it shrank
        text = vb::FromAnsi(bytes);
    });
    p([&] { CloseFile(file); });
    return text;
}

void SpEv::TextSave(const std::string& Filename, const std::string& Text) {
    Procedure p{"TextSave", ModuleKind::ClassModule, kModule};
    File file;
    p([&] { Open(file, Filename, true); });
    p([&] {
        std::FILE* f = Opened(file);
        const std::string bytes = vb::ToAnsi(Text);
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) vb::Raise(61);
    });
    p([&] { CloseFile(file); });
}

void SpEv::PlayMusic(const std::string& Filename) {
    Procedure p{"PlayMusic", ModuleKind::ClassModule, kModule};
    constexpr unsigned SND_ASYNC = 1, SND_NODEFAULT = 2;
    p([&] { system::Current().PlaySound(Filename, SND_ASYNC | SND_NODEFAULT); });
}

void SpEv::ListSave(vb::Variant& List, const std::string& Filename,
                    const std::string& TextBeforeListText, const std::string& TextAfterListText) {
    Procedure p{"ListSave", ModuleKind::ClassModule, kModule};
    File file;
    std::shared_ptr<vb::Dispatch> list;
    vb::Long count = 0;
    p([&] { Open(file, Filename, true); });
    p([&] { list = ListObject(List); });
    p([&] {
        if (!list) vb::Raise(kObjectNotSet);
        std::vector<vb::Variant> none;
        count = vb::CLng(list->Invoke("ListCount", vb::InvokeKind::PropertyGet, none));
    });
    // One statement per item: a failing item is skipped (silently) or ends the loop.
    for (vb::Long i = 0; i < count && !p.Ended(); ++i) {
        p([&] {
            if (!list) vb::Raise(kObjectNotSet);
            std::FILE* f = Opened(file);
            std::vector<vb::Variant> index{vb::Variant(vb::CInt(static_cast<double>(i)))};
            const std::string line =
                vb::ToAnsi(TextBeforeListText +
                           vb::CStr(list->Invoke("List", vb::InvokeKind::PropertyGet, index)) +
                           TextAfterListText) +
                "\r\n";
            if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) vb::Raise(61);
        });
    }
    p([&] { CloseFile(file); });
}

void SpEv::ListRead(vb::Variant& List, const std::string& Filename) {
    Procedure p{"ListRead", ModuleKind::ClassModule, kModule};
    File file;
    std::shared_ptr<vb::Dispatch> list;
    p([&] { Open(file, Filename, false); });
    p([&] { list = ListObject(List); });
    // Until the end of the file, two statements per line: read it, add it. A skipped
    // read leaves the previous line in place (and the file where it was), as Line Input
    // does when it is skipped.
    std::string line;
    while (file.f && !p.Ended() && !AtEnd(file.f)) {
        p([&] { line = vb::FromAnsi(ReadLine(file.f)); });
        p([&] {
            if (!list) vb::Raise(kObjectNotSet);
            std::vector<vb::Variant> item{vb::Variant(line)};
            list->Invoke("AddItem", vb::InvokeKind::Method, item);
        });
    }
    p([&] { CloseFile(file); });
}

vb::Boolean SpEv::FileExists(const std::string& sFile) { return sheenwork::FileExists(sFile); }

vb::Boolean SpEv::IsWinXP() {
    Procedure p{"IsWinXP", ModuleKind::ClassModule, kModule};
    vb::Boolean result;
    p([&] {
        const auto v = system::Current().Version();
        // Major and minor are tested apart: 6.0 is not "XP or later", 6.1 is.
        result = vb::Boolean(v && v->platform_id == 2 && v->major >= 5 && v->minor >= 1);
    });
    return result;
}

std::string SpEv::ConvUnicode(std::string& s) {
    Procedure p{"ConvUnicode", ModuleKind::ClassModule, kModule};
    std::string result;
    p([&] { result = s.substr(0, s.find('\0')); });
    return result;
}

cActiveXPTheme SpEv::ActiveXPTheme() {
    Procedure p{"ActiveXPTheme", ModuleKind::ClassModule, kModule};
    cActiveXPTheme result = styleClassic;
    p([&] {
        if (!IsWinXP()) {
            result = styleClassic;
            p.Exit();
        }
    });
    // The buffers start blank; a failing query leaves them so.
    std::string color(255, ' ');
    p([&] {
        if (const auto theme = system::Current().CurrentThemeName()) {
            std::string c = theme->color;
            color = ConvUnicode(c);
        }
    });
    p([&] {
        if (color == "NormalColor")
            result = styleBlue;
        else if (color == "Metallic")
            result = styleSilver;
        else if (color == "HomeStead")
            result = styleOlive;
        else
            result = styleClassic;
    });
    return result;
}

cMouseButton SpEv::MouseButtonPressed() {
    Procedure p{"MouseButtonPressed", ModuleKind::ClassModule, kModule};
    cMouseButton result = mouseNone;
    p([&] {
        auto& services = system::Current();
        if (services.AsyncKeyState(1) != 0)
            result = mouseLeft;
        else if (services.AsyncKeyState(2) != 0)
            result = mouseRight;
        else if (services.AsyncKeyState(4) != 0)
            result = mouseMiddle;
    });
    return result;
}

SpEv& SpEvObject() noexcept {
    static SpEv predeclared;
    return predeclared;
}

}  // namespace sheenwork
