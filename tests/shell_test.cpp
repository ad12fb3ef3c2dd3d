// The Linux shell and sound: the opener and the players are started with argument
// vectors, the URL's parameters as an argument of their own. Fake programs on PATH write
// the arguments they were started with to files the test reads.
#include <sheenwork/system/services.h>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork::system {
namespace {

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        for (const char* program : {"xdg-open", "my-opener", "paplay", "pw-play", "aplay"})
            Fake(bin_.Path() / program, program);
        setenv("PATH", (bin_.Path().string() + ":/usr/bin:/bin").c_str(), 1);
        unsetenv("SHEENWORK_OPENER");
    }
    void TearDown() override {
        setenv("PATH", saved_path_.c_str(), 1);
        unsetenv("SHEENWORK_OPENER");
    }
    // A program that writes `tag` and the arguments it was started with to the file
    // `record` of the output folder, whole or not at all.
    void Fake(const std::filesystem::path& file, const std::string& record,
              const std::string& tag = "") {
        const std::string out = (out_.Path() / record).string();
        std::ofstream(file) << "#!/bin/sh\n{ printf '" << tag
                            << "'; for a in \"$@\"; do printf '[%s]' \"$a\"; done; } > \"" << out
                            << ".part\"\nmv \"" << out << ".part\" \"" << out << "\"\n";
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    // What `program` was started with, once it has written it (it runs on its own).
    std::string ArgumentsOf(const std::string& program) {
        const auto file = out_.Path() / program;
        for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return testing::ReadFile(file);
    }
    testing::TempDir bin_, out_, config_;
    std::string saved_path_;
};

TEST_F(Shell, TheOpenerGetsTheAddressAndItsParametersApart) {
    auto services = MakeLinuxServices(config_.Path().string());
    const std::string url = "https://example.org/a b?c=1";
    EXPECT_GT(services->ShellExecute(0, "open", url, "--x 'y z'", "", 0), 32);
    // xdg-open takes one document: the parameters cannot go with it.
    EXPECT_EQ(ArgumentsOf("xdg-open"), "[https://example.org/a b?c=1]");
    setenv("SHEENWORK_OPENER", (bin_.Path() / "my-opener").c_str(), 1);
    EXPECT_GT(services->ShellExecute(0, "open", url, "--x 'y z'", "", 0), 32);
    EXPECT_EQ(ArgumentsOf("my-opener"), "[https://example.org/a b?c=1][--x 'y z']");
    EXPECT_EQ(services->ShellExecute(0, "print", url, "", "", 0), 31);  // no such verb
    EXPECT_EQ(services->ShellExecute(0, "open", "", "", "", 0), 2);
}

TEST_F(Shell, WavesPlayThroughTheFirstPlayerFoundAndMissingFilesPlayNothing) {
    auto services = MakeLinuxServices(config_.Path().string());
    const auto wave = out_.Path() / "ding.wav";
    std::ofstream(wave) << "RIFF";
    EXPECT_FALSE(services->PlaySound((out_.Path() / "missing.wav").string(), 3));
    EXPECT_TRUE(services->PlaySound(wave.string(), 3));
    EXPECT_EQ(ArgumentsOf("paplay"), "[" + wave.string() + "]");
    std::filesystem::remove(bin_.Path() / "paplay");
    std::filesystem::remove(bin_.Path() / "pw-play");
    EXPECT_TRUE(services->PlaySound(wave.string(), 3));
    EXPECT_EQ(ArgumentsOf("aplay"), "[-q][" + wave.string() + "]");
}

// The table tests/data/shell/command_lines.txt: parameters and the arguments they make.
TEST(CommandLine, SplitsAsThePlatformsProgramsDo) {
    const auto lines = testing::DataLines("shell/command_lines.txt");
    for (const std::string& line : lines) {
        const auto arrow = line.find(" => ");
        ASSERT_NE(arrow, std::string::npos) << line;
        const std::string parameters = line.substr(0, arrow);
        std::string got;
        for (const auto& a : SplitCommandLine(parameters == "<empty>" ? "" : parameters))
            got += "[" + a + "]";
        EXPECT_EQ(got, line.substr(arrow + 4)) << parameters;
    }
}

// A program named without a folder is the one of the current folder, the one found for
// it is the one run (not another of PATH), and its parameters keep their quoted groups. A
// document that starts with "-" reaches the opener as a file, not as an option.
TEST_F(Shell, TheProgramFoundIsTheProgramRunAndADocumentIsNoOption) {
    auto services = MakeLinuxServices(config_.Path().string());
    testing::TempDir here;
    Fake(here.Path() / "tool", "tool", "here");
    Fake(bin_.Path() / "tool", "tool", "path");
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(here.Path());
    const long started = services->ShellExecute(0, "open", "tool", "\"a b\" c\\\"d", "", 0);
    std::filesystem::current_path(before);
    EXPECT_GT(started, 32);
    EXPECT_EQ(ArgumentsOf("tool"), "here[a b][c\"d]");
    EXPECT_GT(services->ShellExecute(0, "open", "-rf", "", "", 0), 32);
    EXPECT_EQ(ArgumentsOf("xdg-open"), "[./-rf]");
}

// Every program the shell starts is waited for by one thread, however many there are, and
// none stays behind as a zombie once it has ended.
TEST_F(Shell, OneThreadReapsEveryChild) {
    auto services = MakeLinuxServices(config_.Path().string());
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    // Our children, ended or not.
    const auto children = [] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(e.path() / "stat");
            std::string text;
            if (!std::getline(stat, text)) continue;
            std::istringstream fields(text.substr(text.rfind(')') + 2));
            std::string state;
            long parent = 0;
            fields >> state >> parent;
            n += parent == getpid();
        }
        return n;
    };
    const auto settle = [&](long most_threads) {
        for (int i = 0; i < 1000 && (children() > 0 || threads() > most_threads); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    settle(threads());
    const auto gate = out_.Path() / "gate";
    const auto waiter = bin_.Path() / "waiter";
    std::ofstream(waiter) << "#!/bin/sh\nwhile [ ! -e \"" << gate.string()
                          << "\" ]; do sleep 0.05; done\n";
    std::filesystem::permissions(waiter, std::filesystem::perms::owner_all);
    const auto threads_before = threads();
    for (int i = 0; i < 20; ++i)
        EXPECT_GT(services->ShellExecute(0, "open", waiter.string(), "x", "", 0), 32);
    EXPECT_LE(threads(), threads_before + 1);
    EXPECT_EQ(children(), 20);
    std::ofstream(gate) << "";
    settle(threads_before);
    EXPECT_EQ(children(), 0);
    EXPECT_LE(threads(), threads_before);
}

}  // namespace
}  // namespace sheenwork::system
