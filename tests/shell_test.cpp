// The Linux shell and sound: the opener and the players are started with argument
// vectors, the URL's parameters as an argument of their own. Fake programs on PATH write
// the arguments they were started with to files the test reads.
#include <sheenwork/system/services.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/recording_services.h"

namespace sheenwork::system {
namespace {

// The arguments as the fake programs write them.
std::string Bracketed(std::initializer_list<std::string> args) {
    std::string out;
    for (const auto& a : args) out.append(1, '[').append(a).append(1, ']');
    return out;
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        for (const char* program : {"xdg-open", "my-opener", "paplay", "pw-play", "aplay"}) {
            const auto file = bin_.Path() / program;
            std::ofstream(file) << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \""
                                << (out_.Path() / program).string() << ".part\"\nmv \""
                                << (out_.Path() / program).string() << ".part\" \""
                                << (out_.Path() / program).string() << "\"\n";
            std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        }
        setenv("PATH", (bin_.Path().string() + ":/usr/bin:/bin").c_str(), 1);
        unsetenv("SHEENWORK_OPENER");
    }
    void TearDown() override {
        setenv("PATH", saved_path_.c_str(), 1);
        unsetenv("SHEENWORK_OPENER");
    }
    // What `program` was started with, once it has written it (it runs on its own).
    std::string ArgumentsOf(const std::string& program) {
        const auto file = out_.Path() / program;
        for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
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
    EXPECT_EQ(ArgumentsOf("paplay"), Bracketed({wave.string()}));
    std::filesystem::remove(bin_.Path() / "paplay");
    std::filesystem::remove(bin_.Path() / "pw-play");
    EXPECT_TRUE(services->PlaySound(wave.string(), 3));
    EXPECT_EQ(ArgumentsOf("aplay"), Bracketed({"-q", wave.string()}));
}

}  // namespace
}  // namespace sheenwork::system
