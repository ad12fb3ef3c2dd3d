// The form file: a form and its controls as text a person can read and edit, the way a
// form designer saves them and the command-line tool and the hosts load them. The format
// is described with an example in docs/form-file.md.
//
// A FormFile is a plain description: no runtime, no control objects. Reading makes one
// from a file and checks it against the control classes (their persisted keys and value
// types), loading its pictures on the way; LoadForm makes a live form of it in a runtime.
// The other way, DescribeForm takes a live form's state (each control writes its property
// bag) and WriteFormFile replaces the file atomically. SaveForm is the two together.
//
// Reading is strict and all-or-nothing: the first problem (or, for a checker, every
// problem) comes back as a FormFileError naming file, line and column, and no FormFile is
// made. LoadForm builds the whole form before it returns and removes it again if any
// control cannot be made.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/objects.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/placement.h>
#include <sheenwork/vb/variant.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::runtime {

class Form;
class Runtime;

// One problem with a form file. Lines and columns count from 1, columns in bytes; both
// are 0 for a problem of the file as a whole (it cannot be read or written).
struct FormFileProblem {
    std::string file;
    int line = 0;
    int column = 0;
    std::string message;
    // "file:line:column: message", or "file: message" for the file as a whole, with every
    // control character written as \xHH: a file's bytes never reach a terminal raw.
    std::string Text() const;
};

// What a form file read or write refused: one problem, or the problems found when they
// were collected (at most kMaxFormProblems; More() counts the rest). what() is their
// texts, one a line, and "… N more problems" after them when some were left out.
class FormFileError : public std::runtime_error {
public:
    explicit FormFileError(std::vector<FormFileProblem> problems, std::size_t more = 0);
    const std::vector<FormFileProblem>& Problems() const noexcept { return problems_; }
    std::size_t More() const noexcept { return more_; }

private:
    std::vector<FormFileProblem> problems_;
    std::size_t more_ = 0;
};

// An entry of a control's property bag. Read from a file, the value has its key's
// PersistedType: a std::string, vb::Long (Long and Color), vb::Integer, vb::Single,
// vb::Boolean, or an object holding a vb::StdFont or a vb::StdPicture. A described form
// holds what the control wrote; the writer converts each value to its key's type.
struct FormFileProperty {
    std::string key;
    vb::Variant value;
};

struct ControlDescription {
    std::string class_name;  // the programmatic name: "Sheenwork.sheenButton"
    std::string name;        // the instance name, unique in its form without regard to case
    Position position;       // Left, Top: in the form's client area, pixels
    Size size;               // Width, Height: pixels, 0 when the file leaves them out
    int tab_index = 0;
    std::vector<FormFileProperty> properties;  // the property bag, in the order written
};

struct FormFile {
    std::string name;
    std::string caption;
    Position position;  // Left, Top: the client area on the screen, pixels
    Size size;          // Width, Height: the client area, pixels
    std::uint32_t back_color = 0x8000000F;
    host::FontRef font;                         // null: the runtime's own form font
    std::string default_button, cancel_button;  // instance names, "" for none
    std::vector<ControlDescription> controls;   // bottom to top
};

// What a form file may ask for; more is a problem with its place, so that no file makes a
// reader or a runtime take unbounded memory or time:
//   - the file is a regular file of at most kMaxFormFileBytes (16 MiB) of text;
//   - blocks nest at most kMaxFormNesting deep (a form, a control and a font are three);
//   - positions are Integers and a side runs from 0 to kMaxFormSide pixels, the longest a
//     placement takes (a side of 0 is a surface of 1);
//   - the form and its controls together need at most kMaxFormPixels pixels of surface
//     (each its width x height, at least 1 x 1): 2^25, 128 MiB of 32-bit pixels;
//   - a checker lists at most kMaxFormProblems problems and counts the rest.
inline constexpr std::int64_t kMaxFormFileBytes = std::int64_t{16} << 20;
inline constexpr int kMaxFormNesting = 8;
inline constexpr int kMaxFormSide = kMaxSide;
inline constexpr std::int64_t kMaxFormPixels = std::int64_t{1} << 25;
inline constexpr std::size_t kMaxFormProblems = 20;

// Loads a picture a form file names, by its resolved path; throws vb::RuntimeError.
using PictureLoader = std::function<host::PictureRef(const std::filesystem::path& path)>;

struct ReadOptions {
    // Stop at the first problem, or go on and report every one found (a checker).
    bool all_problems = false;
    // The component libraries whose controls a form may hold.
    std::vector<const LibraryDescription*> libraries = {&SheenworkLibrary()};
    // How pictures are loaded; null: LoadPicture, for regular files only.
    PictureLoader load_picture;
};

// Reads the form file at `path`: a regular file only (a folder, a device or a pipe is
// refused, and opening it never waits), of at most kMaxFormFileBytes. Throws
// FormFileError.
FormFile ReadFormFile(const std::filesystem::path& path, const ReadOptions& options = {});
// The same from text; `path` names the file in problems and is where picture paths are
// relative to.
FormFile ParseFormFile(std::string_view text, const std::filesystem::path& path,
                       const ReadOptions& options = {});

// The text of `form` as a form file at `path` (picture paths relative to its folder).
// Throws FormFileError for what cannot be written: a class of none of `libraries`, a key
// its class does not save, a value that does not convert to its key's type, a Single
// that is not finite, or a picture that was not loaded from a file (only the empty
// picture needs none: it is written as "").
std::string FormatFormFile(const FormFile& form, const std::filesystem::path& path,
                           const std::vector<const LibraryDescription*>& libraries = {
                               &SheenworkLibrary()});

// The system calls that replace a file, one virtual per call, each returning what the
// call returns (-1 with errno set on failure). The default methods make the calls; a
// test overrides one to fail where it wants.
class FileOps {
public:
    virtual ~FileOps() = default;
    // open(2) with O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC.
    virtual int Create(const std::string& path, unsigned mode);
    virtual long Write(int fd, const void* data, std::size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    // fchmod(2): the permissions of the file it replaces, exactly.
    virtual int Chmod(int fd, unsigned mode);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Remove(const std::string& path);
    // Makes a rename in the folder durable: open, fsync and close of the folder.
    virtual int SyncFolder(const std::string& folder);
    // Whether no process `pid` runs any more (a save it left half done can go).
    virtual bool ProcessEnded(long pid);
};
FileOps& SystemFileOps();

// Replaces the file at `path` with `contents` atomically: written to a new file in the
// same folder (".NAME.tmpPID-N") with the old file's permissions, flushed and synced,
// then renamed over the old one, and the folder synced. A failure before the rename
// removes the new file and leaves the old one as it was. When `path` is a symbolic link,
// the link stays and the file it leads to is replaced in its own folder. Temporaries that
// an earlier save of the same file left behind when its process ended are removed.
// Throws FormFileError naming the step that failed.
void ReplaceFile(const std::filesystem::path& path, std::string_view contents,
                 FileOps& ops = SystemFileOps());

// FormatFormFile, then ReplaceFile: nothing is touched when the form cannot be written.
void WriteFormFile(const FormFile& form, const std::filesystem::path& path,
                   FileOps& ops = SystemFileOps());

// A live form as a description: each control writes its property bag (so values equal
// to their defaults are left out as the bag does), fonts copied.
FormFile DescribeForm(const Form& form);

// Makes `form` live in `runtime`: the form with its caption, colour and font, each
// control created uninitialised, placed, and handed its bag, then the default and cancel
// buttons. Throws std::invalid_argument when the runtime already has a form of that
// name, and whatever creating a control throws; the runtime is then as it was.
Form& LoadForm(Runtime& runtime, const FormFile& form);

// DescribeForm, then WriteFormFile.
void SaveForm(const Form& form, const std::filesystem::path& path, FileOps& ops = SystemFileOps());

}  // namespace sheenwork::runtime
