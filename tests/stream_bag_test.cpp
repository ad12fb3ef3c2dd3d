// The bytes a button's properties become for a host that keeps them in a stream, entry by
// entry against the layout worked out by hand, read back, and refused when malformed.
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <sstream>

#include "platform/host/stream_bag.h"
#include "support/data.h"
#include "support/refusal.h"

namespace sheenwork::host {
namespace {

std::string Bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

vb::Variant Value(const std::string& text) {
    std::istringstream in(text);
    std::string type, rest;
    in >> type;
    std::getline(in >> std::ws, rest);
    if (type == "Boolean") return vb::Boolean(rest == "True");
    if (type == "Integer") return static_cast<vb::Integer>(std::stoi(rest));
    if (type == "Long") return static_cast<vb::Long>(std::stol(rest));
    if (type == "Single") return std::stof(rest);
    if (type == "Double") return std::stod(rest);
    if (type == "String") return rest;
    if (type == "Nothing") return vb::Object();
    std::istringstream words(rest);
    if (type == "Font") {
        std::string name, italic;
        double points = 0;
        std::int16_t weight = 0;
        words >> name >> points >> weight >> italic;
        auto font = std::make_shared<vb::StdFont>(name, points);
        font->Weight(weight);
        font->Italic(vb::Boolean(italic == "italic"));
        font->Charset(0);
        return vb::Object(font);
    }
    if (type == "Picture") {
        int kind = 0, w = 0, h = 0;
        char x = 0;
        words >> kind >> w >> x >> h;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
        for (auto& p : pixels) words >> std::hex >> p;
        std::string file;
        words >> file;
        auto picture = std::make_shared<vb::StdPicture>(w, h, std::move(pixels),
                                                        static_cast<vb::PictureType>(kind));
        picture->SourceFile(file);
        return vb::Object(picture);
    }
    return vb::Empty{};
}

class StreamBag : public ::testing::TestWithParam<testing::Row> {};

TEST_P(StreamBag, BytesAsLaidOutAndReadBack) {
    const testing::Row& row = GetParam();
    const std::string head = Bytes("535750420100000001000000");
    if (row[0] == "entry") {
        MemoryPropertyBag bag;
        bag.WriteProperty(row[1], Value(row[2]), vb::Long(1234567));
        const std::string bytes = EncodeBag(bag);
        EXPECT_EQ(bytes, head + Bytes(row[3])) << row.where;
        MemoryPropertyBag read;
        DecodeBag(bytes, read);
        EXPECT_EQ(read.Entries().empty()     ? "none"
                  : EncodeBag(read) == bytes ? "same"
                                             : "differs",
                  row[4])
            << row.where;
        return;
    }
    MemoryPropertyBag kept;
    kept.WriteProperty("Caption", std::string("kept"), vb::Empty{});
    EXPECT_EQ(testing::Refusal<std::runtime_error>([&] { DecodeBag(Bytes(row[1]), kept); }), row[2])
        << row.where;
    ASSERT_EQ(kept.Entries().size(), 1u) << row.where;
    EXPECT_EQ(std::get<std::string>(kept.Entries()[0].value), "kept") << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, StreamBag,
                         ::testing::ValuesIn(testing::ReadTable("stream_bag.txt")),
                         testing::RowName);

}  // namespace
}  // namespace sheenwork::host
