#include "support/recording_services.h"

#include <sheenwork/vb/error.h>

#include <fstream>
#include <random>
#include <stdexcept>

namespace sheenwork::testing {

std::vector<std::string> DataLines(const std::string& path) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/" + path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    // A table that cannot be read, or holds no line, would pass every check of its reader.
    if (lines.empty()) throw std::runtime_error("no lines in tests/data/" + path);
    return lines;
}

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("sheenwork-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

RecordingServices::RecordingServices(std::vector<std::string> component_dirs) {
    if (component_dirs.empty()) component_dirs.push_back((config.Path() / "none").string());
    linux_ = system::MakeLinuxServices(config.Path().string(), std::move(component_dirs));
    system::Install(this);
}

RecordingServices::~RecordingServices() { system::Install(nullptr); }

void RecordingServices::SetErrorLog(const std::string& folder) {
    system::WriteRegistryString(config.Path().string(), system::Hive::CurrentUser,
                                "Software\\Sheenline", "ErrorLog", folder);
}

std::optional<std::string> RecordingServices::RegistryString(system::Hive hive,
                                                             const std::string& key,
                                                             const std::string& value) {
    if (registry_unreadable) vb::Raise(75);
    return linux_->RegistryString(hive, key, value);
}

void RecordingServices::SetRegistryString(system::Hive hive, const std::string& key,
                                          const std::string& value, const std::string& data) {
    if (registry_writes_left == 0) throw std::runtime_error("the registry store is full");
    if (registry_writes_left > 0) --registry_writes_left;
    linux_->SetRegistryString(hive, key, value, data);
}

void RecordingServices::DeleteRegistryTree(system::Hive hive, const std::string& key) {
    linux_->DeleteRegistryTree(hive, key);
}

std::unique_ptr<system::ErrorComponent> RecordingServices::CreateComponent(
    const std::string& prog_id) {
    return linux_->CreateComponent(prog_id);
}

int RecordingServices::MessageBox(const std::string& text, const std::string& title, int style) {
    boxes.push_back({text, title, style});
    return system::IDOK;
}

bool RecordingServices::FindFirstFile(const std::string& pattern) {
    return linux_->FindFirstFile(pattern);
}

long RecordingServices::ShellExecute(long hwnd, const std::string& operation,
                                     const std::string& file, const std::string& parameters,
                                     const std::string& directory, int show) {
    calls.push_back("ShellExecute " + std::to_string(hwnd) + " " + operation + " [" + file + "] [" +
                    parameters + "] [" + directory + "] " + std::to_string(show));
    if (on_call) on_call(calls.back());
    return 42;
}

bool RecordingServices::PlaySound(const std::string& file, unsigned flags) {
    calls.push_back("PlaySound [" + file + "] " + std::to_string(flags));
    if (on_call) on_call(calls.back());
    return true;
}

std::int16_t RecordingServices::AsyncKeyState(int vk) {
    const auto it = key_state.find(vk);
    return it == key_state.end() ? 0 : it->second;
}

}  // namespace sheenwork::testing
