// What a component library tells the runtime about itself: its name, version and type
// library identifier, its published classes with their kinds, flags, interfaces and
// members, its enumerations and its bitmap resources. The runtime registers a library,
// hands out its class factories and creates its objects from this description alone.
#pragma once

#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/guid.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace sheenwork::host {
class ControlSite;
}

namespace sheenwork::runtime {

// The type flags a class carries in the type library (TYPEFLAGS).
enum TypeFlags : std::uint32_t {
    TYPEFLAG_FAPPOBJECT = 0x1,  // an application object: its members are global names
    TYPEFLAG_FCANCREATE = 0x2,  // hosts may create instances
    TYPEFLAG_FPREDECLID = 0x8,  // a predeclared instance exists, named like the class
    TYPEFLAG_FCONTROL = 0x20,   // a control, placed on forms
};

// A control's status flags (OLEMISC), registered as its MiscStatus.
enum MiscStatus : std::uint32_t {
    OLEMISC_RECOMPOSEONRESIZE = 0x1,
    OLEMISC_CANTLINKINSIDE = 0x10,
    OLEMISC_INSIDEOUT = 0x80,
    OLEMISC_ACTIVATEWHENVISIBLE = 0x100,
    // The form may make it its default or cancel button.
    OLEMISC_ACTSLIKEBUTTON = 0x1000,
    // It needs its site before anything else, so it is created on one.
    OLEMISC_SETCLIENTSITEFIRST = 0x20000,
};

enum class ClassKind { Control, GlobalObject };

struct InterfaceDescription {
    const char* name;  // "" for none
    Guid iid;
};

class Object;
struct ClassDescription;

// Makes a new native instance wrapped as an Object. `site` is the control's site, never
// null for a class with OLEMISC_SETCLIENTSITEFIRST; other classes ignore it.
using CreateFunction = std::shared_ptr<Object> (*)(const ClassDescription& cls,
                                                   host::ControlSite* site);

struct ClassDescription {
    const char* name;
    ClassKind kind;
    Guid clsid;
    std::uint32_t type_flags;   // TypeFlags
    std::uint32_t misc_status;  // MiscStatus; 0 for a class that is not a control
    int toolbox_bitmap;         // the bitmap resource the toolbox shows; 0 for none
    InterfaceDescription default_interface;
    InterfaceDescription event_interface;
    std::span<const MemberInfo> members;
    std::span<const EventInfo> events;
    CreateFunction create;
    // The keys of a control's property bag; a form file holds only these. Empty for a
    // class that saves nothing.
    std::span<const PersistedProperty> persisted = {};
};

// A picture the library carries, as the bytes of a BMP file.
struct BitmapResource {
    int id;
    std::span<const std::uint8_t> bmp;
};

struct LibraryDescription {
    const char* name;
    unsigned major;
    unsigned minor;
    Guid libid;
    std::span<const ClassDescription> classes;
    std::span<const EnumInfo> enumerations;
    std::span<const BitmapResource> bitmaps;

    // "2.8"
    std::string Version() const;
    // The programmatic identifier hosts create a class by: "<library>.<class>".
    std::string ProgId(const ClassDescription& cls) const;
    // Null when the library has no such class or bitmap.
    const ClassDescription* FindClass(const Guid& clsid) const;
    const ClassDescription* FindClass(std::string_view name) const;
    const BitmapResource* FindBitmap(int id) const;
};

// An instance created through a class factory, reached late-bound as a host reaches it.
// Every live object keeps the library that made it loaded (DllCanUnloadNow).
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual const ClassDescription& Class() const noexcept = 0;
    virtual InvokeResult Invoke(std::string_view name, vb::InvokeKind kind,
                                std::vector<vb::Variant>& args) = 0;
    virtual InvokeResult Invoke(long dispid, vb::InvokeKind kind,
                                std::vector<vb::Variant>& args) = 0;

    // The native instance behind the object (a sheenButton, SpEv or Error), sharing the
    // object's lifetime; null when it is not a T. Through it a host hands a control its
    // event sink and delivers the notifications.
    template <class T>
    std::shared_ptr<T> Native() {
        void* instance = NativeInstance(typeid(T));
        if (!instance) return nullptr;
        return std::shared_ptr<T>(shared_from_this(), static_cast<T*>(instance));
    }

protected:
    Object() noexcept;
    virtual void* NativeInstance(const std::type_info& type) noexcept = 0;
};

}  // namespace sheenwork::runtime
