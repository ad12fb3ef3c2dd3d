// The error trap every procedure of the library carries, the report routine behind it
// and the public `Error` object that switches reporting off.
//
// A procedure runs as a sequence of steps. When a step fails with a run-time error:
//   - while SilentError is True the step is skipped and the next one runs;
//   - otherwise the error is handed to ErrorHandler once, with the procedure's name,
//     module kind and module name, and every later step of the procedure does nothing.
// Either way nothing leaves the procedure: the host sees a successful call.
//
//   Procedure p{"BackColor", ModuleKind::UserControl, "sheenButton"};
//   p([&] { rec.BackColor = v; });
//   p([&] { Redraw(0); });
//   p([&] { site.PropertyChanged("BackColor"); });
#pragma once

#include <sheenwork/vb/boolean.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace sheenwork {

enum class ModuleKind { UserControl, ClassModule, StandardModule };

// The kind as the report names it: "Benutzersteuerelement", "Klassenmodul", "Modul".
std::string_view ModuleKindName(ModuleKind kind);

// The process-wide switch, shared by every instance of every class.
vb::Boolean SilentError() noexcept;
void SetSilentError(vb::Boolean value) noexcept;

// The report routine of module basError: shows the error, appends it to the log file the
// registry names and hands it to the outside error component when one is installed.
// Never throws; each of its outputs fails on its own without a report.
void ErrorHandler(long Number, const std::string& Description, const std::string& Procedure,
                  long Line, const std::string& ModuleKind, const std::string& ModuleName) noexcept;

// The six-line report text, CR LF between the lines and none after the last.
std::string ErrorReportText(long Number, const std::string& Description,
                            const std::string& Procedure, long Line, const std::string& ModuleKind,
                            const std::string& ModuleName);

class Procedure;

// Called before each step of every procedure runs, with the procedure and the number of
// steps it has begun before this one. A probe that throws fails that step exactly as a
// failing statement would, so that a test can fail any one statement of any procedure.
// None is installed normally; SetStepProbe({}) removes it.
using StepProbe = std::function<void(const Procedure&, int step)>;
void SetStepProbe(StepProbe probe);
const StepProbe& CurrentStepProbe() noexcept;

// How many steps of any procedure have failed on this thread so far, skipped or
// reported. Code that keeps what a run of steps produced compares the count before and
// after, so that it keeps only what every step (nested procedures included) produced.
unsigned long FailedSteps() noexcept;

class Procedure {
public:
    Procedure(std::string_view name, ModuleKind kind, std::string_view module)
        : name_(name), kind_(kind), module_(module) {}
    Procedure(const Procedure&) = delete;
    Procedure& operator=(const Procedure&) = delete;

    // Runs one step unless an earlier step ended the procedure. Returns true when the
    // step ran to its end.
    template <class Step>
    bool operator()(Step&& step) noexcept {
        if (ended_) return false;
        const int index = steps_++;
        try {
            if (const StepProbe& probe = CurrentStepProbe()) probe(*this, index);
            std::forward<Step>(step)();
            return true;
        } catch (...) {
            Fail();
            return false;
        }
    }

    // True once an error has been reported: the rest of the procedure does nothing.
    bool Ended() const noexcept { return ended_; }
    // Ends the procedure without a report (VB's Exit Sub inside a step sequence).
    void Exit() noexcept { ended_ = true; }
    const std::string& Name() const noexcept { return name_; }

private:
    // Classifies the exception in flight and reports or skips it.
    void Fail() noexcept;

    std::string name_;
    ModuleKind kind_;
    std::string module_;
    bool ended_ = false;
    int steps_ = 0;
};

// Runs `step` with every error ignored and nothing reported ("On Error Resume Next"
// around one statement). Returns true when the step ran to its end.
template <class Step>
bool IgnoreErrors(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        return false;
    }
}

// The public `Error` object. Every instance reads and writes the one process-wide
// SilentError; the first instance created in the process resets it to False.
class Error {
public:
    Error() noexcept;
    vb::Boolean SilentError() const noexcept;
    void SilentError(vb::Boolean value) noexcept;
};

// The predeclared global instance: its members can be used without creating an object.
Error& ErrorObject() noexcept;

}  // namespace sheenwork
