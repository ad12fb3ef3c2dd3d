// The error trap, the report routine and the public Error object.
#include <sheenwork/system/services.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/open_flags.h"

#include <filesystem>
#include <new>
#include <string>

namespace sheenwork {
namespace {

// The process-wide state: one copy for the library, plain values (UI thread only).
vb::Boolean g_silent_error = vb::False;
vb::Boolean g_error_init = vb::False;

constexpr char kLibraryName[] = "Sheenwork";
constexpr char kLibraryVersion[] = "2.8.0";
constexpr char kComponentName[] = "SheenlineErrorHandler.ErrorHandler";
constexpr char kLogFile[] = "SheenlineError.txt";

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

// The log folder: "ErrorLog" under HKEY_CURRENT_USER\Software\Sheenline, "" without one.
std::string LogFolder(system::Services& services) {
    std::string folder;
    IgnoreErrors([&] {
        folder =
            services.RegistryString(system::Hive::CurrentUser, "Software\\Sheenline", "ErrorLog")
                .value_or("");
    });
    return folder;
}

std::string LibraryFolder(system::Services& services) {
    std::string folder;
    IgnoreErrors(
        [&] { folder = std::filesystem::path(services.LibraryPath()).parent_path().string(); });
    return folder;
}

// Appends one record to the log file. Opening, writing or closing may fail (no such
// folder, no right to write, a full disk): the log then simply goes without it. The
// folder may be one that others can write, so the file's own name is never followed as a
// link and must name a regular file: a link planted there does not take the record to a
// file of the host's user, nor a pipe hang the report. The record goes in one write; a
// write the disk cuts short is taken back, so that no half record stays behind.
void AppendRecord(const std::string& path, const std::string& record) {
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_APPEND | O_CREAT | util::kOpenNoFollow |
                              util::kOpenNonBlock | util::kOpenPrivate,
                          0666);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const ssize_t written = ::write(fd, record.data(), record.size());
        if (written > 0 && static_cast<std::size_t>(written) < record.size() &&
            ::fstat(fd, &st) == 0)
            static_cast<void>(::ftruncate(fd, st.st_size - written));
    }
    ::close(fd);
}

void AppendLog(system::Services& services, const std::string& report) {
    std::string folder = Trim(LogFolder(services));
    if (folder.empty()) return;
    if (folder == "*app*") folder = LibraryFolder(services);
    // A folder is named with or without its final separator, and a Windows user writes
    // "\\": on this side either one ends the folder, so the file lands inside it.
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    const std::string path = folder + '/' + kLogFile;
    std::string record;
    IgnoreErrors([&] { record = services.NowText(); });
    record += "\r\n" + report + "\r\n" + std::string(30, '-') + "\r\n";
    AppendRecord(path, record);
}

StepProbe& Probe() {
    static StepProbe probe;
    return probe;
}

thread_local unsigned long t_failed_steps = 0;

}  // namespace

void SetStepProbe(StepProbe probe) { Probe() = std::move(probe); }
const StepProbe& CurrentStepProbe() noexcept { return Probe(); }
unsigned long FailedSteps() noexcept { return t_failed_steps; }

std::string_view ModuleKindName(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::UserControl: return "Benutzersteuerelement";
        case ModuleKind::ClassModule: return "Klassenmodul";
        case ModuleKind::StandardModule: return "Modul";
    }
    return "Modul";
}

// The free functions are the predeclared Error object's members: the first use creates
// that object, which initialises the flag before the value is stored, exactly as a host
// that writes Error.SilentError without creating an Error object first.
vb::Boolean SilentError() noexcept { return ErrorObject().SilentError(); }
void SetSilentError(vb::Boolean value) noexcept { ErrorObject().SilentError(value); }

std::string ErrorReportText(long Number, const std::string& Description,
                            const std::string& Procedure, long Line, const std::string& ModuleKind,
                            const std::string& ModuleName) {
    return "Error no.: " + std::to_string(Number) + "\r\n" + "Error description: " + Description +
           "\r\n" + "Project: " + kLibraryName + "\r\n" + "Module: " + ModuleKind + " " +
           ModuleName + "\r\n" + "Line/Procedure: " + std::to_string(Line) + "/" + Procedure +
           "\r\n" + "Version: " + kLibraryVersion;
}

void ErrorHandler(long Number, const std::string& Description, const std::string& Procedure,
                  long Line, const std::string& ModuleKind,
                  const std::string& ModuleName) noexcept {
    IgnoreErrors([&] {
        auto& services = system::Current();
        std::unique_ptr<system::ErrorComponent> component;
        IgnoreErrors([&] { component = services.CreateComponent(kComponentName); });

        const std::string report =
            ErrorReportText(Number, Description, Procedure, Line, ModuleKind, ModuleName);
        AppendLog(services, report);

        bool handled = false;
        if (component) {
            handled = IgnoreErrors([&] {
                system::LibraryInfo library{kLibraryName, LibraryFolder(services), kLibraryVersion};
                std::string host_path;
                IgnoreErrors([&] { host_path = services.ProcessPath(); });
                long number = Number, line = Line;
                std::string description = Description, procedure = Procedure, kind = ModuleKind,
                            name = ModuleName;
                component->RaiseError(host_path, library, number, description, procedure, line,
                                      kind, name);
            });
        }
        if (!handled)
            IgnoreErrors(
                [&] { services.MessageBox(report, "Error", system::MB_OK | system::MB_ICONSTOP); });
    });
}

void Procedure::Fail() noexcept {
    ++t_failed_steps;
    long number = 51;
    std::string description;
    try {
        throw;
    } catch (const vb::RuntimeError& e) {
        number = e.Number();
        description = e.Description();
    } catch (const std::bad_alloc&) {
        number = 7;
    } catch (const std::exception& e) {
        // Not a run-time error of the language: reported as an internal error with what
        // the exception says, so that nothing is lost.
        description = std::string(vb::ErrorText(51)) + ": " + e.what();
    } catch (...) {
    }
    if (g_silent_error) return;  // skip the step, go on with the next
    ended_ = true;
    if (description.empty()) description = std::string(vb::ErrorText(number));
    ErrorHandler(number, description, name_, 0, std::string(ModuleKindName(kind_)), module_);
}

Error::Error() noexcept {
    if (!g_error_init) {
        g_error_init = vb::True;
        g_silent_error = vb::False;
    }
}

vb::Boolean Error::SilentError() const noexcept { return g_silent_error; }
void Error::SilentError(vb::Boolean value) noexcept { g_silent_error = value; }

Error& ErrorObject() noexcept {
    static Error predeclared;
    return predeclared;
}

}  // namespace sheenwork
