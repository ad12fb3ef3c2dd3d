// Registration, class factories and creation by class name: in this process, and through
// libsheenwork.so loaded as a host loads a component library.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/registration.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/data.h"
#include "support/recording_services.h"
#include "support/recording_site.h"
#include "windows/expected_lines.h"

namespace sheenwork {
namespace {

using runtime::HResult;
using system::Hive;
using vb::InvokeKind;
using Args = std::vector<vb::Variant>;

constexpr std::int32_t Code(HResult r) { return static_cast<std::int32_t>(r); }

const runtime::Guid& Clsid(std::string_view name) {
    return SheenworkLibrary().FindClass(name)->clsid;
}

constexpr char kButtonKey[] = "CLSID\\{28787686-6E3E-4536-B5D8-5912477E438D}";

// tests/data/guid_text.txt: a class's registry text and what it parses as.
class GuidText : public ::testing::TestWithParam<testing::Row> {};

TEST_P(GuidText, ParsesToItsValueOrIsRefused) {
    const auto parsed = runtime::Guid::Parse(GetParam()[0]);
    EXPECT_EQ(parsed ? parsed->ToString() : "refused", GetParam()[1]);
}

INSTANTIATE_TEST_SUITE_P(Table, GuidText, ::testing::ValuesIn(testing::ReadTable("guid_text.txt")),
                         testing::RowName);

TEST(ToolboxBitmap, IsASixteenByFifteenPictureAtTwentyFourBits) {
    const auto* bitmap = SheenworkLibrary().FindBitmap(kToolboxBitmapId);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_GT(bitmap->bmp.size(), 30u);
    EXPECT_EQ(bitmap->bmp[28] | bitmap->bmp[29] << 8, 24);  // biBitCount
    const auto picture = picture::LoadPictureFromMemory(bitmap->bmp, "toolbox.bmp");
    EXPECT_EQ(picture->PixelWidth(), 16);
    EXPECT_EQ(picture->PixelHeight(), 15);
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    std::string Value(const std::string& key, const std::string& value = "") {
        return services.RegistryString(Hive::ClassesRoot, key, value).value_or("(missing)");
    }
    std::string Store() {
        return testing::ReadFile(system::RegistryFile(services.config.Path().string()));
    }

    testing::RecordingServices services;  // the library file: /opt/app/bin/app
};

TEST_F(Registration, RecordsEachClassAndUnregisteringRemovesExactlyThat) {
    // Someone else's class, an older version of the type library and the error log stay.
    services.SetErrorLog("/var/log/app");
    services.SetRegistryString(Hive::ClassesRoot,
                               "CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", "",
                               "/opt/other.so");
    services.SetRegistryString(
        Hive::ClassesRoot, "TypeLib\\{FAA6F908-D9B2-453A-AA67-57ECD1B499A9}\\2.7", "", "Sheenwork");
    const std::string before = Store();

    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    // Every value the table names but those only Windows writes, and nothing more: one
    // line of the store per value.
    const auto count = [](const std::string& store) {
        return std::count(store.begin(), store.end(), '=');
    };
    const testing::Vars vars{
        {"$DLL", "/opt/app/bin/app"}, {"$DIR", "/opt/app/bin"}, {"$PLATFORM", "linux"}};
    long written = 0;
    for (const auto& row : testing::ReadTable("registration.txt")) {
        if (row.size() < 3 || (row.size() > 3 && row[3] == "windows")) continue;
        EXPECT_EQ(Value(testing::Replaced(row[0], vars), row[1]), testing::Replaced(row[2], vars))
            << row.where;
        ++written;
    }
    EXPECT_EQ(count(Store()) - count(before), written);

    // Registering again changes nothing.
    const std::string registered = Store();
    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    EXPECT_EQ(Store(), registered);

    ASSERT_EQ(DllUnregisterServer(), Code(HResult::Ok));
    EXPECT_EQ(Store(), before);
}

TEST_F(Registration, AFailureLeavesNothingBehindAndIsReported) {
    services.SetErrorLog("/var/log/app");
    const std::string before = Store();
    services.registry_writes_left = 10;
    EXPECT_EQ(DllRegisterServer(), Code(HResult::SelfRegClass));
    EXPECT_EQ(Store(), before);

    services.registry_writes_left = -1;
    services.library_path = "";
    EXPECT_EQ(DllRegisterServer(), Code(HResult::SelfRegClass));
    EXPECT_EQ(Store(), before);

    services.library_path = "/opt/app/bin/app";
    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    // A folder where the store's next version goes: nothing can be written.
    const std::string part = system::RegistryFile(services.config.Path().string()) + ".part";
    std::filesystem::create_directory(part);
    EXPECT_EQ(DllUnregisterServer(), Code(HResult::SelfRegClass));
    std::filesystem::remove(part);
    EXPECT_EQ(DllUnregisterServer(), Code(HResult::Ok));
    EXPECT_EQ(Store(), before);
}

TEST_F(Registration, FactoriesMakeTheLibrarysClassesAndLiveOnesKeepItLoaded) {
    void* raw = &raw;
    const runtime::Guid unknown{1, 2, 3, {4}};
    EXPECT_EQ(DllGetClassObject(&unknown, &runtime::kClassFactoryIid, &raw),
              Code(HResult::ClassNotAvailable));
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(DllGetClassObject(&Clsid("SpEv"), &unknown, &raw), Code(HResult::NoInterface));
    EXPECT_EQ(DllGetClassObject(&Clsid("SpEv"), &runtime::kClassFactoryIid, nullptr),
              Code(HResult::Pointer));
    EXPECT_EQ(DllGetClassObject(nullptr, &runtime::kClassFactoryIid, &raw), Code(HResult::Pointer));
    EXPECT_EQ(DllCanUnloadNow(), Code(HResult::Ok));

    ASSERT_EQ(DllGetClassObject(&Clsid("sheenButton"), &runtime::kClassFactoryIid, &raw),
              Code(HResult::Ok));
    std::unique_ptr<runtime::ClassFactory> factory(static_cast<runtime::ClassFactory*>(raw));
    EXPECT_EQ(DllCanUnloadNow(), Code(HResult::False));
    const auto refused = factory->CreateInstance(nullptr);
    EXPECT_EQ(refused.result, HResult::InvalidArg);
    EXPECT_EQ(refused.object, nullptr);
    EXPECT_NE(refused.error.find("sheenButton is a control"), std::string::npos) << refused.error;

    testing::RecordingSite site;
    auto made = factory->CreateInstance(&site);
    ASSERT_TRUE(made.object) << made.error;
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), Code(HResult::False));
    auto button = made.object->Native<sheenButton>();
    ASSERT_TRUE(button);
    EXPECT_EQ(&button->Site(), &site);
    EXPECT_EQ(made.object->Native<SpEv>(), nullptr);
    made.object.reset();
    EXPECT_EQ(DllCanUnloadNow(), Code(HResult::False));  // the control keeps its object
    button.reset();
    EXPECT_EQ(DllCanUnloadNow(), Code(HResult::Ok));
}

// tests/data/failing_classes.txt: a class whose creation throws is reported by its
// factory, never thrown to the host.
std::string g_thrown;  // what the class's creation throws

std::shared_ptr<runtime::Object> Throwing(const runtime::ClassDescription&, host::ControlSite*) {
    if (g_thrown == "bad_alloc") throw std::bad_alloc();
    if (g_thrown == "42") throw 42;
    throw std::runtime_error(g_thrown);
}

class FailingClass : public ::testing::TestWithParam<testing::Row> {};

TEST_P(FailingClass, IsReportedNotThrown) {
    const testing::Row& row = GetParam();
    g_thrown = row[1];
    const runtime::ClassDescription cls{
        row[0].c_str(), runtime::ClassKind::GlobalObject, {1}, 0, 0, 0, {"", {}}, {"", {}}, {}, {},
        Throwing};
    const runtime::LibraryDescription library{"Test", 1, 0, {}, {&cls, 1}, {}, {}};
    void* raw = nullptr;
    ASSERT_EQ(runtime::GetClassObject(library, &cls.clsid, &runtime::kClassFactoryIid, &raw),
              HResult::Ok);
    const std::unique_ptr<runtime::ClassFactory> factory(static_cast<runtime::ClassFactory*>(raw));
    const auto made = factory->CreateInstance(nullptr);
    EXPECT_EQ(Code(made.result), static_cast<std::int32_t>(std::stoul(row[2], nullptr, 16)));
    EXPECT_EQ(made.error, row[3]);
    EXPECT_EQ(made.object, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, FailingClass,
                         ::testing::ValuesIn(testing::ReadTable("failing_classes.txt")),
                         testing::RowName);

TEST_F(Registration, HostsCreateObjectsByClassName) {
    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    auto spev = runtime::CreateObject("Sheenwork.SpEv");
    ASSERT_TRUE(spev.object) << spev.error;
    Args store{vb::Variant(system::RegistryFile(services.config.Path().string()))};
    EXPECT_EQ(std::get<vb::Boolean>(spev.object->Invoke(6, InvokeKind::Method, store).value),
              vb::True);  // FileExists
    auto error = runtime::CreateObject("Sheenwork.Error");
    ASSERT_TRUE(error.object) << error.error;
    EXPECT_TRUE(error.object->Native<Error>());

    testing::RecordingSite site;
    const auto button = runtime::CreateObject("sheenwork.SHEENBUTTON", &site);
    ASSERT_TRUE(button.object) << button.error;
    EXPECT_STREQ(button.object->Class().name, "sheenButton");
    EXPECT_EQ(runtime::CreateObject("Sheenwork.sheenButton").result, HResult::InvalidArg);
    EXPECT_EQ(runtime::CreateObject("Sheenwork.Nothing").result, HResult::ClassNotRegistered);

    // Registrations that lead nowhere (tests/data/dead_registrations.txt).
    for (const auto& row : testing::ReadTable("dead_registrations.txt")) {
        services.SetRegistryString(Hive::ClassesRoot, row[0] + "\\CLSID", "", row[1]);
        std::string file = row[2];
        if (file.starts_with("$CONFIG/")) file = services.config / file.substr(8);
        if (file.starts_with("$COMPONENTS/"))
            file = std::string(SHEENWORK_TEST_COMPONENT_DIR) + file.substr(11);
        if (row[2] != "-")
            services.SetRegistryString(Hive::ClassesRoot, "CLSID\\" + row[1] + "\\InprocServer32",
                                       "", file);
        const auto made = runtime::CreateObject(row[0]);
        EXPECT_EQ(Code(made.result), static_cast<std::int32_t>(std::stoul(row[3], nullptr, 16)))
            << row.where;
        EXPECT_NE(made.error.find(row[4]), std::string::npos) << row.where << ": " << made.error;
    }

    // The host's services fail.
    services.registry_unreadable = true;
    const auto unreadable = runtime::CreateObject("Sheenwork.SpEv");
    EXPECT_EQ(unreadable.result, HResult::Fail);
    EXPECT_EQ(unreadable.error,
              "Sheenwork.SpEv could not be created: Run-time error '75': Path/File access error");
}

// libsheenwork.so as a host meets it: loaded by file name, registered into the store
// under XDG_CONFIG_HOME, a button created by class name through the library's own
// class factory on a site of this process.
TEST(SharedLibrary, RegistersCreatesAButtonByNameAndUnregisters) {
    // The library's registry store is chosen when it first needs one, so the folder is
    // set before it is loaded and stays for the rest of the process.
    static testing::TempDir home;
    const std::string config_dir = (home.Path() / "sheenwork").string();
    setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
    void* const library = dlopen(SHEENWORK_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto register_server =
        reinterpret_cast<runtime::DllRegisterServerFn>(dlsym(library, "DllRegisterServer"));
    const auto unregister_server =
        reinterpret_cast<runtime::DllUnregisterServerFn>(dlsym(library, "DllUnregisterServer"));
    const auto can_unload_now =
        reinterpret_cast<runtime::DllCanUnloadNowFn>(dlsym(library, "DllCanUnloadNow"));
    ASSERT_TRUE(register_server && unregister_server && can_unload_now);
    ASSERT_NE(dlsym(library, "DllGetClassObject"), nullptr);

    // This process reads the store the library writes, as a host does.
    const auto services = system::MakeLinuxServices(config_dir);
    system::Install(services.get());
    const struct Unload {
        void* library;
        ~Unload() {
            system::Install(nullptr);
            dlclose(library);
        }
    } unload{library};
    services->SetRegistryString(Hive::CurrentUser, "Software\\Sheenline", "ErrorLog", "");
    const std::string store = system::RegistryFile(config_dir), before = testing::ReadFile(store);

    ASSERT_EQ(register_server(), Code(HResult::Ok));
    EXPECT_EQ(services->RegistryString(Hive::ClassesRoot,
                                       std::string(kButtonKey) + "\\InprocServer32", ""),
              std::filesystem::canonical(SHEENWORK_SHARED_LIBRARY).string());
    EXPECT_EQ(can_unload_now(), Code(HResult::Ok));

    testing::RecordingSite site;
    auto created = runtime::CreateObject("Sheenwork.sheenButton", &site);
    ASSERT_TRUE(created.object) << created.error;
    EXPECT_EQ(can_unload_now(), Code(HResult::False));  // made by the loaded library
    Args caption{vb::Variant(std::string("OK"))}, none;
    EXPECT_EQ(created.object->Invoke("Caption", InvokeKind::PropertyLet, caption).error, 0);
    EXPECT_EQ(std::get<std::string>(
                  created.object->Invoke("Caption", InvokeKind::PropertyGet, none).value),
              "OK");
    EXPECT_EQ(site.log.Only({"PropertyChanged"}),
              std::vector<std::string>{"PropertyChanged Caption"});
    created.object.reset();
    EXPECT_EQ(can_unload_now(), Code(HResult::Ok));

    EXPECT_EQ(unregister_server(), Code(HResult::Ok));
    EXPECT_EQ(testing::ReadFile(store), before);
}

}  // namespace
}  // namespace sheenwork
