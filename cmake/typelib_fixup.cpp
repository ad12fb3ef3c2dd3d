// typelib-fixup IN.tlb OUT.tlb: completes the type library widl writes from our IDL with
// three things its language cannot say (the build compiles this for the build machine):
//
//   1. An application object is predeclared: every coclass with TYPEFLAG_FAPPOBJECT also
//      gets TYPEFLAG_FPREDECLID, so that a host offers its members as global names.
//   2. An optional parameter with a default value is passed by reference: widl takes a
//      string default only on a String passed by value, so such a parameter becomes a
//      String passed in and out by reference, the type the by-reference String
//      parameters of the library already use.
//   3. Each member of an enumeration has its own name as its help string: widl takes no
//      help string on an enumeration member. Its records are written anew, larger, at
//      the end of the file, the names added to the string table.
//
// The file layout (Microsoft's "MSFT" format) is that of oleaut32 as Wine documents it:
// a header, the typeinfo offsets, fifteen segment descriptors, the segments, then each
// typeinfo's block of member records.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kMagic = 0x5446534D;  // "MSFT"
constexpr int kSegments = 15;
constexpr int kTypeInfoSeg = 0, kNameSeg = 7, kStringSeg = 8, kTypeDescSeg = 9;
constexpr int kTypeInfoSize = 0x64;
constexpr std::int32_t kEnum = 0, kCoClass = 5;
constexpr std::int32_t kAppObject = 0x1, kPreDeclId = 0x8;
constexpr std::int32_t kParamOut = 0x2, kParamHasDefault = 0x20;
constexpr std::int32_t kBstr = 8, kPtr = 26;
// A base type written in place of a type description: the high bit and the type twice.
constexpr std::uint32_t kInlineBstr = 0x80000000u | (kBstr << 16) | kBstr;
constexpr int kVarRecord = 0x14, kVarRecordWithHelp = 0x1C;
constexpr int kTypeDescSize = 16;  // a TYPEDESC on 64-bit Windows

std::int32_t Get(const Bytes& b, std::size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("the file ends inside a field");
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void Set(Bytes& b, std::size_t at, std::int32_t v) {
    if (at + 4 > b.size()) throw std::runtime_error("the file ends inside a field");
    std::memcpy(b.data() + at, &v, 4);
}

struct Layout {
    std::int32_t count = 0;  // typeinfos
    std::size_t segdir = 0;  // where the segment descriptors are
    std::size_t Seg(int i) const { return segdir + static_cast<std::size_t>(i) * 16; }
};

Layout Read(const Bytes& b) {
    if (Get(b, 0) != kMagic) throw std::runtime_error("not a type library (MSFT)");
    Layout l;
    l.count = Get(b, 0x20);
    const bool help_dll = (Get(b, 0x14) & 0x100) != 0;
    l.segdir = 0x54 + (help_dll ? 4 : 0) + static_cast<std::size_t>(l.count) * 4;
    return l;
}

std::size_t SegOffset(const Bytes& b, const Layout& l, int seg) {
    return static_cast<std::size_t>(Get(b, l.Seg(seg)));
}

std::size_t TypeInfo(const Bytes& b, const Layout& l, int index) {
    return SegOffset(b, l, kTypeInfoSeg) + static_cast<std::size_t>(index) * kTypeInfoSize;
}

// The member block of a typeinfo: its records, and per member its id, name and record.
struct Block {
    std::size_t at = 0;  // the block's size field
    int funcs = 0, vars = 0;
    std::size_t Records() const { return at + 4; }
    std::size_t Arrays(const Bytes& b) const { return Records() + Get(b, at); }
    std::size_t Id(const Bytes& b, int i) const { return Arrays(b) + 4 * i; }
    std::size_t Name(const Bytes& b, int i) const { return Arrays(b) + 4 * (funcs + vars + i); }
    std::size_t Offset(const Bytes& b, int i) const {
        return Arrays(b) + 4 * (2 * (funcs + vars) + i);
    }
};

Block BlockOf(const Bytes& b, std::size_t ti) {
    Block k;
    k.at = static_cast<std::size_t>(Get(b, ti + 0x04));
    const std::int32_t elements = Get(b, ti + 0x18);
    k.funcs = elements & 0xFFFF;
    k.vars = (elements >> 16) & 0xFFFF;
    return k;
}

// 1. Application objects are predeclared.
void PredeclareApplicationObjects(Bytes& b, const Layout& l) {
    for (int i = 0; i < l.count; ++i) {
        const std::size_t ti = TypeInfo(b, l, i);
        if ((Get(b, ti) & 0xF) == kCoClass && (Get(b, ti + 0x30) & kAppObject))
            Set(b, ti + 0x30, Get(b, ti + 0x30) | kPreDeclId);
    }
}

// 2. Optional String parameters by reference.
void OptionalStringsByReference(Bytes& b, const Layout& l) {
    // The type description "pointer to String" that the library's by-reference Strings
    // use: a pointer whose target is the inline String.
    const std::size_t descs = SegOffset(b, l, kTypeDescSeg);
    const std::size_t descs_size = static_cast<std::size_t>(Get(b, l.Seg(kTypeDescSeg) + 4));
    std::int32_t bstr_ref = -1;
    for (std::size_t at = 0; at + 8 <= descs_size; at += 8)
        if ((Get(b, descs + at) & 0xFFFF) == kPtr &&
            static_cast<std::uint32_t>(Get(b, descs + at + 4)) == kInlineBstr)
            bstr_ref = static_cast<std::int32_t>(at);
    for (int i = 0; i < l.count; ++i) {
        const std::size_t ti = TypeInfo(b, l, i);
        const Block k = BlockOf(b, ti);
        if (k.funcs == 0 || Get(b, ti + 0x04) <= 0) continue;
        for (int f = 0; f < k.funcs; ++f) {
            const std::size_t rec = k.Records() + static_cast<std::size_t>(Get(b, k.Offset(b, f)));
            const std::size_t length = Get(b, rec) & 0xFFFF;
            const int args = Get(b, rec + 0x14) & 0xFFFF;
            bool changed = false;
            for (int p = 0; p < args; ++p) {
                const std::size_t param = rec + length - static_cast<std::size_t>(args - p) * 12;
                const std::int32_t flags = Get(b, param + 8);
                if (!(flags & kParamHasDefault) ||
                    static_cast<std::uint32_t>(Get(b, param)) != kInlineBstr)
                    continue;
                if (bstr_ref < 0)
                    throw std::runtime_error("no by-reference String to take the type from");
                Set(b, param, bstr_ref);
                Set(b, param + 8, flags | kParamOut);
                changed = true;
            }
            // The size of the function's description as the system rebuilds it grows by
            // the pointer's type description.
            if (changed) {
                const std::int32_t sizes = Get(b, rec + 0x0C);
                Set(b, rec + 0x0C, sizes + (kTypeDescSize << 16));
            }
        }
    }
}

// 3. Enumeration members with their names as help strings.
std::string NameAt(const Bytes& b, const Layout& l, std::int32_t offset) {
    const std::size_t at = SegOffset(b, l, kNameSeg) + static_cast<std::size_t>(offset);
    const std::size_t length = static_cast<std::uint8_t>(b.at(at + 8));
    return std::string(reinterpret_cast<const char*>(b.data() + at + 12), length);
}

void EnumerationHelp(Bytes& b, const Layout& l) {
    // The names first, added to the end of the string table: a 16-bit length, the text,
    // padding to four bytes.
    struct Member {
        int typeinfo;
        std::int32_t string;
    };
    std::vector<Member> members;
    std::string added;
    const std::size_t strings_end = SegOffset(b, l, kStringSeg) + Get(b, l.Seg(kStringSeg) + 4);
    const std::int32_t strings_size = Get(b, l.Seg(kStringSeg) + 4);
    for (int i = 0; i < l.count; ++i) {
        const std::size_t ti = TypeInfo(b, l, i);
        if ((Get(b, ti) & 0xF) != kEnum) continue;
        const Block k = BlockOf(b, ti);
        for (int v = 0; v < k.vars; ++v) {
            const std::string name = NameAt(b, l, Get(b, k.Name(b, k.funcs + v)));
            members.push_back({i, strings_size + static_cast<std::int32_t>(added.size())});
            added += static_cast<char>(name.size() & 0xFF);
            added += static_cast<char>((name.size() >> 8) & 0xFF);
            added += name;
            while (added.size() % 4) added += 'W';
        }
    }
    if (members.empty()) return;
    const auto grow = static_cast<std::int32_t>(added.size());
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(strings_end), added.begin(), added.end());
    // Everything behind the string table moved.
    for (int s = 0; s < kSegments; ++s)
        if (s != kStringSeg && Get(b, l.Seg(s)) >= static_cast<std::int32_t>(strings_end))
            Set(b, l.Seg(s), Get(b, l.Seg(s)) + grow);
    Set(b, l.Seg(kStringSeg) + 4, strings_size + grow);
    for (int i = 0; i < l.count; ++i) {
        const std::size_t ti = TypeInfo(b, l, i);
        if (Get(b, ti + 0x04) >= static_cast<std::int32_t>(strings_end))
            Set(b, ti + 0x04, Get(b, ti + 0x04) + grow);
    }
    // Then each enumeration's block anew at the end, its records with a help string.
    std::size_t next = 0;
    for (int i = 0; i < l.count; ++i) {
        const std::size_t ti = TypeInfo(b, l, i);
        if ((Get(b, ti) & 0xF) != kEnum) continue;
        const Block k = BlockOf(b, ti);
        const int n = k.funcs + k.vars;
        Bytes records, arrays(static_cast<std::size_t>(n) * 12);
        for (int m = 0; m < n; ++m) {
            const std::size_t rec = k.Records() + static_cast<std::size_t>(Get(b, k.Offset(b, m)));
            const std::size_t length = Get(b, rec) & 0xFFFF;
            Bytes r(b.begin() + static_cast<std::ptrdiff_t>(rec),
                    b.begin() + static_cast<std::ptrdiff_t>(rec + length));
            if (m >= k.funcs && length == kVarRecord) {
                r.resize(kVarRecordWithHelp, 0);
                Set(r, 0, (Get(r, 0) & ~0xFFFF) | kVarRecordWithHelp);
                Set(r, 0x14, 0);                        // help context
                Set(r, 0x18, members.at(next).string);  // help string
                ++next;
            } else if (m >= k.funcs) {
                ++next;
            }
            Set(arrays, 4 * m, Get(b, k.Id(b, m)));
            Set(arrays, 4 * (n + m), Get(b, k.Name(b, m)));
            Set(arrays, 4 * (2 * n + m), static_cast<std::int32_t>(records.size()));
            records.insert(records.end(), r.begin(), r.end());
        }
        Set(b, ti + 0x04, static_cast<std::int32_t>(b.size()));
        const auto size = static_cast<std::int32_t>(records.size());
        b.insert(b.end(), reinterpret_cast<const std::uint8_t*>(&size),
                 reinterpret_cast<const std::uint8_t*>(&size) + 4);
        b.insert(b.end(), records.begin(), records.end());
        b.insert(b.end(), arrays.begin(), arrays.end());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: typelib-fixup IN.tlb OUT.tlb\n");
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) throw std::runtime_error("cannot be read");
        const Layout l = Read(b);
        PredeclareApplicationObjects(b, l);
        OptionalStringsByReference(b, l);
        EnumerationHelp(b, l);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "typelib-fixup: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
