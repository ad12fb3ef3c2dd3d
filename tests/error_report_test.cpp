// The error trap, the report routine (text, log file, outside component, message box)
// and the Error object. The log folder's stories are in tests/data/props/error-log-*.txt.
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::RecordingServices;

using testing::ReadFile;

class ErrorReport : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
};

TEST_F(ErrorReport, TextHasSixLinesJoinedByCrLf) {
    EXPECT_EQ(
        ErrorReportText(6, "Overflow", "MousePointer", 0, "Benutzersteuerelement", "sheenButton"),
        "Error no.: 6\r\n"
        "Error description: Overflow\r\n"
        "Project: Sheenwork\r\n"
        "Module: Benutzersteuerelement sheenButton\r\n"
        "Line/Procedure: 0/MousePointer\r\n"
        "Version: 2.8.0");
    EXPECT_EQ(
        ErrorReportText(-2147221504, "x", "TextRead", 120, "Klassenmodul", "SpEv").substr(0, 24),
        "Error no.: -2147221504\r\n");
}

TEST_F(ErrorReport, FirstFailureIsReportedOnceAndEndsTheProcedure) {
    RecordingServices services;
    std::vector<int> ran;
    Procedure p{"BackColor", ModuleKind::UserControl, "sheenButton"};
    p([&] { ran.push_back(1); });
    p([&] { vb::Raise(13); });
    p([&] { ran.push_back(3); });
    p([&] { vb::Raise(6); });
    EXPECT_TRUE(p.Ended());
    EXPECT_EQ(ran, std::vector<int>{1});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].title, "Error");
    EXPECT_EQ(services.boxes[0].style, 16);
    EXPECT_EQ(services.boxes[0].text, ErrorReportText(13, "Type mismatch", "BackColor", 0,
                                                      "Benutzersteuerelement", "sheenButton"));
}

TEST_F(ErrorReport, SilentErrorSkipsOnlyTheFailingStep) {
    RecordingServices services;
    SetSilentError(vb::True);
    std::vector<int> ran;
    Procedure p{"Redraw", ModuleKind::UserControl, "sheenButton"};
    p([&] { ran.push_back(1); });
    p([&] {
        vb::Raise(5);
        ran.push_back(99);  // never: the rest of the failing step is skipped
    });
    p([&] { ran.push_back(3); });
    EXPECT_FALSE(p.Ended());
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(ErrorReport, ForeignExceptionsBecomeRunTimeErrors) {
    RecordingServices services;
    {
        Procedure p{"TextRead", ModuleKind::ClassModule, "SpEv"};
        p([] { throw std::bad_alloc(); });
    }
    {
        Procedure p{"Create", ModuleKind::ClassModule, "QI"};
        p([] { throw std::runtime_error("socket closed"); });
    }
    {
        Procedure p{"DrawGradient", ModuleKind::StandardModule, "basButton"};
        p([] { throw 42; });
    }
    ASSERT_EQ(services.boxes.size(), 3u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 7\r\nError description: Out of memory"),
              std::string::npos);
    EXPECT_EQ(services.boxes[1].text, ErrorReportText(51, "Internal error: socket closed", "Create",
                                                      0, "Klassenmodul", "QI"));
    EXPECT_EQ(services.boxes[2].text,
              ErrorReportText(51, "Internal error", "DrawGradient", 0, "Modul", "basButton"));
}

TEST_F(ErrorReport, ErrorObjectsShareOneSwitch) {
    Error& global = ErrorObject();
    Error a;
    a.SilentError(vb::True);
    Error b;  // a later object does not reset the switch
    EXPECT_EQ(b.SilentError(), vb::True);
    EXPECT_EQ(global.SilentError(), vb::True);
    EXPECT_EQ(SilentError(), vb::True);
    global.SilentError(vb::False);
    EXPECT_EQ(a.SilentError(), vb::False);
}

// The first Error object of a process initialises the switch, later ones leave it: a
// host that sets SilentError before it ever created an Error object keeps its value.
// Runs in a process of its own, since the first object is created once per process;
// the exit code names the first expectation that failed.
int FirstErrorObjectInAFreshProcess() {
    // Before any Error object exists errors are reported, not skipped.
    Procedure before{"Redraw", ModuleKind::UserControl, "sheenButton"};
    before([] { vb::Raise(5); });
    if (!before.Ended()) return 2;
    SetSilentError(vb::True);  // through the predeclared object
    Error created;
    if (created.SilentError() != vb::True || SilentError() != vb::True) return 3;
    created.SilentError(vb::False);
    Error another;
    another.SilentError(vb::True);
    Error third;
    if (third.SilentError() != vb::True || SilentError() != vb::True) return 4;
    return 0;
}

TEST(ErrorObjectDeathTest, TheFirstObjectInitialisesTheSwitchOnlyOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(FirstErrorObjectInAFreshProcess()), ::testing::ExitedWithCode(0), "");
}

// What others may have put in a log folder they can write: a link to a file of the host's
// user (followed, the record would land there), a pipe (opened blocking, the report would
// hang), a folder. None gets the record and the box still shows. Then a disk with room for
// only part of a record (a file size limit): the log keeps what it had, no half record.
TEST_F(ErrorReport, TheLogTakesNoLinkNoPipeAndNoHalfRecord) {
    RecordingServices services;
    testing::TempDir logs, home;
    services.SetErrorLog(logs.Path().string());
    const auto log = logs.Path() / "SheenlineError.txt";
    std::ofstream(home / "victim.txt") << "mine\n";
    std::filesystem::create_symlink(home / "victim.txt", log);
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    EXPECT_EQ(ReadFile(home / "victim.txt"), "mine\n");
    std::filesystem::remove(log);
    ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    EXPECT_EQ(services.boxes.size(), 3u);
    std::filesystem::remove(log);

    std::ofstream(log, std::ios::binary) << "first record\r\n";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 40;  // the 14 bytes there and 26 of the next record
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, ignored);
    EXPECT_EQ(ReadFile(log.string()), "first record\r\n");
    EXPECT_EQ(services.boxes.size(), 4u);
}

class ErrorComponentReport : public ErrorReport {
protected:
    void SetUp() override {
        ErrorReport::SetUp();
        component_dir_ = SHEENWORK_TEST_COMPONENT_DIR;
        ASSERT_TRUE(std::filesystem::exists(
            component_dir_ + "/" + system::ComponentFileName("SheenlineErrorHandler.ErrorHandler")))
            << "the test component is built with the tests";
        setenv("SHEENWORK_TEST_COMPONENT_LOG", (scratch_ / "component.log").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SHEENWORK_TEST_COMPONENT_LOG");
        unsetenv("SHEENWORK_TEST_COMPONENT_RESULT");
        ErrorReport::TearDown();
    }
    std::string component_dir_;
    testing::TempDir scratch_;
};

TEST_F(ErrorComponentReport, InstalledComponentGetsEightArgumentsAndNoBoxAppears) {
    RecordingServices services({component_dir_});
    testing::TempDir app;
    services.library_path = app / "libsheenwork.so";
    ErrorHandler(91, "Object variable or With block variable not set", "CheckForVeloToolTip", 7,
                 "Benutzersteuerelement", "sheenButton");
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_EQ(ReadFile(scratch_ / "component.log"),
              "/usr/bin/host-app\n"
              "Sheenwork|" +
                  app.Path().string() +
                  "|2.8.0\n"
                  "91\n"
                  "Object variable or With block variable not set\n"
                  "CheckForVeloToolTip\n"
                  "7\n"
                  "Benutzersteuerelement\n"
                  "sheenButton\n");
}

TEST_F(ErrorComponentReport, FailingComponentFallsBackToTheBox) {
    RecordingServices services({component_dir_});
    setenv("SHEENWORK_TEST_COMPONENT_RESULT", "1", 1);
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(scratch_ / "component.log"));
}

TEST_F(ErrorComponentReport, NoComponentInstalledShowsTheBox) {
    RecordingServices services;  // searches an empty folder
    ErrorHandler(5, "x", "Redraw", 0, "Benutzersteuerelement", "sheenButton");
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "component.log"));
}

// tests/data/registry_store.txt: writes to the registry store, then what reads find.
TEST(RegistryStore, KeysAndValuesIgnoreCaseAndRewritesKeepOtherValues) {
    testing::TempDir dir;
    const auto root = dir.Path().string();
    const auto hive = [](const std::string& h) {
        return h == "HKCU" ? system::Hive::CurrentUser : system::Hive::LocalMachine;
    };
    const auto rows = testing::ReadTable("registry_store.txt");
    for (const auto& r : rows)
        if (r[0] == "write") system::WriteRegistryString(root, hive(r[1]), r[2], r[3], r[4]);
    auto services = system::MakeLinuxServices(root, {root});
    for (const auto& r : rows)
        if (r[0] == "read") {
            EXPECT_EQ(services->RegistryString(hive(r[1]), r[2], r[3]).value_or("(none)"), r[4])
                << r.where;
        }
}

}  // namespace
}  // namespace sheenwork
