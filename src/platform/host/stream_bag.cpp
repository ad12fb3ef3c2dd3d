// A property bag as bytes and back (the format is in stream_bag.h).
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstring>
#include <stdexcept>

#include "platform/host/stream_bag.h"

namespace sheenwork::host {
namespace {

constexpr char kSignature[4] = {'S', 'W', 'P', 'B'};
constexpr std::uint32_t kFormat = 1;

enum Tag : std::uint8_t {
    kEmpty,
    kBoolean,
    kInteger,
    kLong,
    kSingle,
    kDouble,
    kString,
    kNothing,
    kFont,
    kPicture
};

template <class T>
void Put(std::string& out, T v) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    out.append(bytes, sizeof(T));
}

void PutString(std::string& out, const std::string& s) {
    Put(out, static_cast<std::uint32_t>(s.size()));
    out += s;
}

void PutValue(std::string& out, const vb::Variant& v) {
    if (std::holds_alternative<vb::Empty>(v)) return Put(out, kEmpty);
    if (const auto* b = std::get_if<vb::Boolean>(&v)) {
        Put(out, kBoolean);
        return Put(out, static_cast<std::int16_t>(*b ? -1 : 0));
    }
    if (const auto* i = std::get_if<vb::Integer>(&v)) {
        Put(out, kInteger);
        return Put(out, *i);
    }
    if (const auto* l = std::get_if<vb::Long>(&v)) {
        Put(out, kLong);
        return Put(out, *l);
    }
    if (const auto* f = std::get_if<vb::Single>(&v)) {
        Put(out, kSingle);
        return Put(out, *f);
    }
    if (const auto* d = std::get_if<vb::Double>(&v)) {
        Put(out, kDouble);
        return Put(out, *d);
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        Put(out, kString);
        return PutString(out, *s);
    }
    const vb::Object& o = std::get<vb::Object>(v);
    if (const auto font = o.As<vb::StdFont>()) {
        Put(out, kFont);
        PutString(out, font->Name());
        Put(out,
            static_cast<std::int64_t>(font->Size() * 10000.0 + (font->Size() < 0 ? -0.5 : 0.5)));
        Put(out, font->Weight());
        Put(out, static_cast<std::uint8_t>(font->Italic() ? 1 : 0));
        Put(out, static_cast<std::uint8_t>(font->Underline() ? 1 : 0));
        Put(out, static_cast<std::uint8_t>(font->Strikethrough() ? 1 : 0));
        return Put(out, font->Charset());
    }
    if (const auto picture = o.As<vb::StdPicture>()) {
        Put(out, kPicture);
        Put(out, static_cast<std::int32_t>(picture->Type()));
        Put(out, static_cast<std::int32_t>(picture->PixelWidth()));
        Put(out, static_cast<std::int32_t>(picture->PixelHeight()));
        for (const std::uint32_t p : picture->Pixels()) Put(out, p);
        return PutString(out, picture->SourceFile());
    }
    if (o.IsNothing()) return Put(out, kNothing);
    throw std::runtime_error("an object that is neither a font nor a picture cannot be saved");
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    template <class T>
    T Get(const char* what) {
        Need(sizeof(T), what);
        T v;
        std::memcpy(&v, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return v;
    }
    std::string String(const char* what) {
        const auto size = Get<std::uint32_t>(what);
        Need(size, what);
        std::string s(bytes_.substr(at_, size));
        at_ += size;
        return s;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    void Need(std::size_t n, const char* what) const {
        if (n > bytes_.size() - at_)
            throw std::runtime_error(std::string(what) + " runs past the end of the data");
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
};

vb::Variant GetValue(Reader& r) {
    switch (r.Get<std::uint8_t>("a value's tag")) {
        case kEmpty: return vb::Empty{};
        case kBoolean: return vb::Boolean(r.Get<std::int16_t>("a Boolean") != 0);
        case kInteger: return r.Get<vb::Integer>("an Integer");
        case kLong: return r.Get<vb::Long>("a Long");
        case kSingle: return r.Get<vb::Single>("a Single");
        case kDouble: return r.Get<vb::Double>("a Double");
        case kString: return r.String("a String");
        case kNothing: return vb::Object();
        case kFont: {
            auto f = std::make_shared<vb::StdFont>();
            f->Name(r.String("a font's name"));
            f->Size(static_cast<double>(r.Get<std::int64_t>("a font's size")) / 10000.0);
            f->Weight(r.Get<std::int16_t>("a font's weight"));
            f->Italic(vb::Boolean(r.Get<std::uint8_t>("a font's italic") != 0));
            f->Underline(vb::Boolean(r.Get<std::uint8_t>("a font's underline") != 0));
            f->Strikethrough(vb::Boolean(r.Get<std::uint8_t>("a font's strikethrough") != 0));
            f->Charset(r.Get<std::int16_t>("a font's charset"));
            return vb::Object(f);
        }
        case kPicture: {
            const auto type = r.Get<std::int32_t>("a picture's type");
            const auto w = r.Get<std::int32_t>("a picture's width");
            const auto h = r.Get<std::int32_t>("a picture's height");
            if (type != 0 && type != 1 && type != 3)
                throw std::runtime_error("a picture of unknown type " + std::to_string(type));
            // No larger than a picture file may load, and nothing before the size is known.
            if (w < 0 || h < 0 || w > picture::kMaxSide || h > picture::kMaxSide ||
                std::int64_t{w} * h > picture::kMaxPixels)
                throw std::runtime_error("a picture of " + std::to_string(w) + " x " +
                                         std::to_string(h) + " pixels");
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w) *
                                          static_cast<std::size_t>(h));
            for (auto& p : px) p = r.Get<std::uint32_t>("a picture's pixels");
            auto picture = std::make_shared<vb::StdPicture>(w, h, std::move(px),
                                                            static_cast<vb::PictureType>(type));
            picture->SourceFile(r.String("a picture's file"));
            return vb::Object(picture);
        }
        default: throw std::runtime_error("a value of unknown kind");
    }
}

}  // namespace

std::string EncodeBag(const MemoryPropertyBag& bag) {
    std::string out(kSignature, sizeof kSignature);
    Put(out, kFormat);
    Put(out, static_cast<std::uint32_t>(bag.Entries().size()));
    for (const auto& e : bag.Entries()) {
        PutString(out, e.key);
        PutValue(out, e.value);
    }
    return out;
}

void DecodeBag(std::string_view bytes, MemoryPropertyBag& bag) {
    if (bytes.substr(0, sizeof kSignature) != std::string_view(kSignature, sizeof kSignature))
        throw std::runtime_error("not the saved properties of a Sheenwork control");
    Reader r(bytes.substr(sizeof kSignature));
    if (const auto format = r.Get<std::uint32_t>("the format"); format != kFormat)
        throw std::runtime_error("saved properties of format " + std::to_string(format) +
                                 ", this library reads format " + std::to_string(kFormat));
    const auto count = r.Get<std::uint32_t>("the entry count");
    MemoryPropertyBag read;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string key = r.String("a key");
        // Written under an Empty default: only an Empty value is left out, as it was
        // never saved.
        read.WriteProperty(key, GetValue(r), vb::Empty{});
    }
    if (!r.AtEnd()) throw std::runtime_error("bytes after the last entry");
    for (const auto& e : read.Entries()) bag.WriteProperty(e.key, e.value, vb::Empty{});
}

}  // namespace sheenwork::host
