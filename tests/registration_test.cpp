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

#include "support/recording_services.h"
#include "support/recording_site.h"

namespace sheenwork {
namespace {

using runtime::HResult;
using system::Hive;
using vb::InvokeKind;
using Args = std::vector<vb::Variant>;

constexpr std::int32_t Code(HResult r) { return static_cast<std::int32_t>(r); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const runtime::Guid& Clsid(std::string_view name) {
    return SheenworkLibrary().FindClass(name)->clsid;
}

constexpr char kButtonKey[] = "CLSID\\{28787686-6E3E-4536-B5D8-5912477E438D}";

TEST(Guid, RegistryTextRoundTripsAndAnythingElseIsRefused) {
    const runtime::Guid g{
        0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    EXPECT_EQ(g.ToString(), "{0123ABCD-4567-89EF-0123-456789ABCDEF}");
    EXPECT_EQ(runtime::Guid::Parse("{0123abcd-4567-89ef-0123-456789abcdef}"), g);
    for (const char* bad :
         {"", "0123ABCD-4567-89EF-0123-456789ABCDEF", "{0123ABCD-4567-89EF-0123-456789ABCDE}",
          "(0123ABCD-4567-89EF-0123-456789ABCDEF}", "{0123ABCD-4567-89EF-0123-456789ABCDEF)",
          "{0123ABCD-4567-89EF+0123-456789ABCDEF}", "{0123ABCG-4567-89EF-0123-456789ABCDEF}",
          "{0123ABC:-4567-89EF-0123-456789ABCDEF}", "{0123ABCD-4567-89EF-0123-456789ABCDEg}"})
        EXPECT_EQ(runtime::Guid::Parse(bad), std::nullopt) << bad;
}

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
    std::string Store() { return ReadFile(system::RegistryFile(services.config.Path().string())); }

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
    const std::string button = kButtonKey;
    EXPECT_EQ(Value("Sheenwork.sheenButton\\CLSID"), "{28787686-6E3E-4536-B5D8-5912477E438D}");
    EXPECT_EQ(Value("Sheenwork.SpEv\\CLSID"), "{18AA5213-AE58-4A3D-B9B4-F9045D8B31A3}");
    EXPECT_EQ(Value("Sheenwork.Error\\CLSID"), "{87EB6FAE-F672-4F3C-8DE2-88FB271B67C8}");
    EXPECT_EQ(Value(button + "\\InprocServer32"), "/opt/app/bin/app");
    EXPECT_EQ(Value(button + "\\ProgID"), "Sheenwork.sheenButton");
    EXPECT_EQ(Value(button + "\\MiscStatus\\1"), "135569");  // 0x21191
    EXPECT_EQ(Value(button + "\\ToolboxBitmap32"), "/opt/app/bin/app,30000");
    EXPECT_EQ(Value(button + "\\Control"), "");
    EXPECT_EQ(Value(button + "\\TypeLib"), "{FAA6F908-D9B2-453A-AA67-57ECD1B499A9}");
    EXPECT_EQ(Value("CLSID\\{18AA5213-AE58-4A3D-B9B4-F9045D8B31A3}\\Control"), "(missing)");
    EXPECT_EQ(Value("CLSID\\{87EB6FAE-F672-4F3C-8DE2-88FB271B67C8}\\InprocServer32"),
              "/opt/app/bin/app");
    EXPECT_EQ(Value("Interface\\{D2A23655-F804-429C-A20E-45451D106802}"), "__sheenButton");
    EXPECT_EQ(Value("TypeLib\\{FAA6F908-D9B2-453A-AA67-57ECD1B499A9}\\2.8\\0\\linux"),
              "/opt/app/bin/app");
    for (const auto& v : runtime::RegistrationValues(SheenworkLibrary(), "/opt/app/bin/app"))
        EXPECT_EQ(Value(v.key, v.value), v.data) << v.key << " " << v.value;

    // Registering again changes nothing.
    const std::string registered = Store();
    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    EXPECT_EQ(Store(), registered);

    ASSERT_EQ(DllUnregisterServer(), Code(HResult::Ok));
    EXPECT_EQ(Store(), before);
}

TEST_F(Registration, AFailurePartWayLeavesNothingBehind) {
    services.SetErrorLog("/var/log/app");
    const std::string before = Store();
    services.registry_writes_left = 10;
    EXPECT_EQ(DllRegisterServer(), Code(HResult::SelfRegClass));
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

TEST_F(Registration, HostsCreateObjectsByClassName) {
    ASSERT_EQ(DllRegisterServer(), Code(HResult::Ok));
    auto spev = runtime::CreateObject("Sheenwork.SpEv");
    ASSERT_TRUE(spev.object) << spev.error;
    Args store{vb::Variant(system::RegistryFile(services.config.Path().string()))};
    EXPECT_EQ(
        std::get<vb::Boolean>(spev.object->Invoke("FileExists", InvokeKind::Method, store).value),
        vb::True);
    auto error = runtime::CreateObject("Sheenwork.Error");
    ASSERT_TRUE(error.object) << error.error;
    EXPECT_TRUE(error.object->Native<Error>());

    testing::RecordingSite site;
    const auto button = runtime::CreateObject("sheenwork.SHEENBUTTON", &site);
    ASSERT_TRUE(button.object) << button.error;
    EXPECT_STREQ(button.object->Class().name, "sheenButton");
    EXPECT_EQ(runtime::CreateObject("Sheenwork.sheenButton").result, HResult::InvalidArg);
    EXPECT_EQ(runtime::CreateObject("Sheenwork.Nothing").result, HResult::ClassNotRegistered);

    // Registrations that lead nowhere.
    const auto add = [&](const std::string& prog_id, const std::string& clsid,
                         const std::string& file) {
        services.SetRegistryString(Hive::ClassesRoot, prog_id + "\\CLSID", "", clsid);
        services.SetRegistryString(Hive::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", "",
                                   file);
    };
    add("Gone.Thing", "{00000000-0000-0000-0000-000000000001}", services.config / "gone.so");
    add("Other.Thing", "{00000000-0000-0000-0000-000000000002}",
        std::string(SHEENWORK_TEST_COMPONENT_DIR) + "/SheenlineErrorHandler.ErrorHandler.so");
    add("Lost.Thing", "{00000000-0000-0000-0000-000000000003}", "/opt/app/bin/app");
    add("Bad.Thing", "{not a class}", "/opt/app/bin/app");
    const auto gone = runtime::CreateObject("Gone.Thing");
    EXPECT_EQ(gone.result, HResult::DllNotFound);
    EXPECT_NE(gone.error.find("gone.so"), std::string::npos) << gone.error;
    EXPECT_EQ(runtime::CreateObject("Other.Thing").result, HResult::ErrorInDll);
    EXPECT_EQ(runtime::CreateObject("Lost.Thing").result, HResult::ClassNotAvailable);
    EXPECT_EQ(runtime::CreateObject("Bad.Thing").result, HResult::ClassNotRegistered);
}

// libsheenwork.so as a host meets it: loaded by file name, registered into the store
// under XDG_CONFIG_HOME, a button created by class name through the library's own
// class factory on a site of this process.
class SharedLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The library's registry store is chosen when it first needs one, so the folder
        // is set before it is loaded and stays for the rest of the process.
        static testing::TempDir home;
        config_dir_ = (home.Path() / "sheenwork").string();
        setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
        handle_ = dlopen(SHEENWORK_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    }
    static void TearDownTestSuite() {
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
    }
    template <class Fn>
    Fn Entry(const char* name) {
        return reinterpret_cast<Fn>(dlsym(handle_, name));
    }

    static inline void* handle_ = nullptr;
    static inline std::string config_dir_;
};

TEST_F(SharedLibrary, RegistersCreatesAButtonByNameAndUnregisters) {
    ASSERT_NE(handle_, nullptr) << dlerror();
    const auto register_server = Entry<runtime::DllRegisterServerFn>("DllRegisterServer");
    const auto unregister_server = Entry<runtime::DllUnregisterServerFn>("DllUnregisterServer");
    const auto can_unload_now = Entry<runtime::DllCanUnloadNowFn>("DllCanUnloadNow");
    ASSERT_TRUE(register_server && unregister_server && can_unload_now);
    ASSERT_NE(Entry<runtime::DllGetClassObjectFn>("DllGetClassObject"), nullptr);

    // This process reads the store the library writes, as a host does.
    const auto services = system::MakeLinuxServices(config_dir_);
    system::Install(services.get());
    const struct Uninstall {
        ~Uninstall() { system::Install(nullptr); }
    } uninstall;
    services->SetRegistryString(Hive::CurrentUser, "Software\\Sheenline", "ErrorLog", "");
    const std::string store = system::RegistryFile(config_dir_), before = ReadFile(store);

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
    EXPECT_EQ(ReadFile(store), before);
}

}  // namespace
}  // namespace sheenwork
