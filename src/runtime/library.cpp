// The Sheenwork library's description: its classes with their identifiers, flags and
// interfaces, the type library's member tables, the enumerations and the toolbox
// bitmap.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/registration.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>

#include <utility>

#include "runtime/resources.h"

namespace sheenwork {
namespace {

using runtime::ClassDescription;
using runtime::ClassKind;
using runtime::Guid;

// A native instance reached through its class's member table.
template <class T>
class NativeObject final : public runtime::Object {
public:
    template <class... Args>
    explicit NativeObject(const ClassDescription& cls, Args&&... args)
        : cls_(cls), instance_(std::forward<Args>(args)...) {}

    const ClassDescription& Class() const noexcept override { return cls_; }
    InvokeResult Invoke(std::string_view name, vb::InvokeKind kind,
                        std::vector<vb::Variant>& args) override {
        return sheenwork::Invoke(instance_, name, kind, args);
    }
    InvokeResult Invoke(long dispid, vb::InvokeKind kind, std::vector<vb::Variant>& args) override {
        return sheenwork::Invoke(instance_, dispid, kind, args);
    }

protected:
    void* NativeInstance(const std::type_info& type) noexcept override {
        return type == typeid(T) ? &instance_ : nullptr;
    }

private:
    const ClassDescription& cls_;
    T instance_;
};

std::shared_ptr<runtime::Object> CreateButton(const ClassDescription& cls,
                                              host::ControlSite* site) {
    return std::make_shared<NativeObject<sheenButton>>(cls, *site);
}

template <class T>
std::shared_ptr<runtime::Object> CreateGlobal(const ClassDescription& cls, host::ControlSite*) {
    return std::make_shared<NativeObject<T>>(cls);
}

constexpr Guid kLibId{0xFAA6F908, 0xD9B2, 0x453A, {0xAA, 0x67, 0x57, 0xEC, 0xD1, 0xB4, 0x99, 0xA9}};

// The host treats the button as one: it may be the form's default or cancel button.
constexpr std::uint32_t kButtonStatus =
    runtime::OLEMISC_RECOMPOSEONRESIZE | runtime::OLEMISC_CANTLINKINSIDE |
    runtime::OLEMISC_INSIDEOUT | runtime::OLEMISC_ACTIVATEWHENVISIBLE |
    runtime::OLEMISC_ACTSLIKEBUTTON | runtime::OLEMISC_SETCLIENTSITEFIRST;
static_assert(kButtonStatus == 0x21191);

constexpr std::uint32_t kControlFlags = runtime::TYPEFLAG_FCANCREATE | runtime::TYPEFLAG_FCONTROL;
// Global objects: their members are usable without creating one first.
constexpr std::uint32_t kGlobalFlags =
    runtime::TYPEFLAG_FCANCREATE | runtime::TYPEFLAG_FAPPOBJECT | runtime::TYPEFLAG_FPREDECLID;

}  // namespace

const runtime::LibraryDescription& SheenworkLibrary() noexcept {
    static const ClassDescription classes[] = {
        {"sheenButton",
         ClassKind::Control,
         {0x28787686, 0x6E3E, 0x4536, {0xB5, 0xD8, 0x59, 0x12, 0x47, 0x7E, 0x43, 0x8D}},
         kControlFlags,
         kButtonStatus,
         kToolboxBitmapId,
         {"_sheenButton",
          {0xBD26A1CC, 0x4EC4, 0x44C0, {0x9B, 0xEC, 0xA9, 0xC1, 0x9F, 0x45, 0x6C, 0x00}}},
         {"__sheenButton",
          {0xD2A23655, 0xF804, 0x429C, {0xA2, 0x0E, 0x45, 0x45, 0x1D, 0x10, 0x68, 0x02}}},
         sheenButtonMembers(),
         sheenButtonEventInfo(),
         CreateButton,
         sheenButtonPersisted()},
        {"SpEv",
         ClassKind::GlobalObject,
         {0x18AA5213, 0xAE58, 0x4A3D, {0xB9, 0xB4, 0xF9, 0x04, 0x5D, 0x8B, 0x31, 0xA3}},
         kGlobalFlags,
         0,
         0,
         {"_SpEv", {0xE1C855FA, 0xCCFF, 0x43B9, {0xA3, 0x8A, 0xE2, 0x94, 0x1C, 0x35, 0xBC, 0x00}}},
         {"", {}},
         SpEvMembers(),
         {},
         CreateGlobal<SpEv>},
        {"Error",
         ClassKind::GlobalObject,
         {0x87EB6FAE, 0xF672, 0x4F3C, {0x8D, 0xE2, 0x88, 0xFB, 0x27, 0x1B, 0x67, 0xC8}},
         kGlobalFlags,
         0,
         0,
         {"_Error", {0x4C090097, 0xDB06, 0x47B6, {0xBA, 0xE4, 0x26, 0xAD, 0xF4, 0x98, 0x47, 0xF3}}},
         {"", {}},
         ErrorMembers(),
         {},
         CreateGlobal<Error>},
    };
    static const runtime::BitmapResource bitmaps[] = {
        {kToolboxBitmapId,
         {runtime::resources::kToolboxBitmap, runtime::resources::kToolboxBitmapSize}}};
    static const runtime::LibraryDescription library{"Sheenwork",    2,      8, kLibId, classes,
                                                     Enumerations(), bitmaps};
    return library;
}

}  // namespace sheenwork
