// The Error object's switch and the registry store. The error trap and the report routine
// (text, log file, outside component, message box) are button stories,
// tests/data/props/error-*.txt.
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

// The first Error object of a process initialises the switch, later ones leave it: a
// host that sets SilentError before it ever created an Error object keeps its value; and
// every object, the predeclared one too, reads and sets the one switch.
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
    if (ErrorObject().SilentError() != vb::False) return 5;
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
