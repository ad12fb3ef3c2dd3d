// LoadPicture: every format and variant decoded to known pixels, the icon entry the host
// shows, and every kind of lying or broken file refused with the host's error numbers.
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/data.h"
#include "support/refusal.h"

namespace sheenwork::picture {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadData(const std::string& name) {
    const std::string text = testing::ReadFile(testing::DataPath("pictures/" + name));
    return Bytes(text.begin(), text.end());
}

std::shared_ptr<vb::StdPicture> Load(const Bytes& b, std::string_view name = "test.pic") {
    return LoadPictureFromMemory(b, name);
}

// tests/data/pictures/decoded.txt: each file decoded to the pixels its row lists.
class PictureDecoded : public ::testing::TestWithParam<testing::Row> {};

TEST_P(PictureDecoded, ShowsThePixelsOfItsRow) {
    const testing::Row& row = GetParam();
    const auto p = Load(ReadData(row[0]), row[0]);
    int w = 0, h = 0;
    std::istringstream(row[1]) >> w >> h;
    ASSERT_EQ(p->PixelWidth(), w) << row.where;
    ASSERT_EQ(p->PixelHeight(), h) << row.where;
    EXPECT_EQ(p->Type(), row[2] == "Icon" ? vb::PictureType::Icon : vb::PictureType::Bitmap);
    // Rows from the top, "/" between them; "N*COLOUR" N pixels, "N: ROW" N rows alike.
    std::vector<std::uint32_t> want;
    std::istringstream rows(row[3]);
    for (std::string text; std::getline(rows, text, '/');) {
        int repeat = 1;
        if (const auto colon = text.find(':'); colon != std::string::npos)
            repeat = std::stoi(text.substr(0, colon)), text = text.substr(colon + 1);
        std::vector<std::uint32_t> one;
        std::istringstream words(text);
        for (std::string word; words >> word;) {
            const auto star = word.find('*');
            const int n = star == std::string::npos ? 1 : std::stoi(word.substr(0, star));
            one.insert(one.end(), static_cast<std::size_t>(n),
                       static_cast<std::uint32_t>(std::stoul(word.substr(star + 1), nullptr, 16)));
        }
        for (int r = 0; r < repeat; ++r) want.insert(want.end(), one.begin(), one.end());
    }
    ASSERT_EQ(want.size(), static_cast<std::size_t>(w) * h) << row.where;
    // Within ~N levels a channel, for a lossy format; exactly otherwise.
    const int near = row.size() > 4 ? std::stoi(row[4].substr(1)) : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t got = p->Pixel(x, y), expected = want[std::size_t(y) * w + x];
            for (int shift : {0, 8, 16, 24}) {
                const int a = (got >> shift) & 0xFF, b = (expected >> shift) & 0xFF;
                ASSERT_LE(std::abs(a - b), shift == 24 ? 0 : near)
                    << row.where << ": (" << x << ", " << y << ") is " << std::hex << got
                    << ", not " << expected;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Table, PictureDecoded,
                         ::testing::ValuesIn(testing::ReadTable("pictures/decoded.txt")),
                         testing::RowName);

// Of an icon's entries the one nearest 32 pixels is shown (0 stands for 256).
TEST(PictureLoad, TheIconEntryNearestThirtyTwo) {
    const std::uint8_t widths1[] = {16, 48, 32, 32}, widths2[] = {16, 0, 48};
    EXPECT_EQ(ChooseIconEntry(widths1), 2u);
    EXPECT_EQ(ChooseIconEntry(widths2), 0u);
}

// tests/data/pictures/refused.txt: lying and broken files, refused with error 481 naming
// the file and what is wrong.
class PictureRefused : public ::testing::TestWithParam<testing::Row> {};

TEST_P(PictureRefused, WithTheFileNamed) {
    const testing::Row& row = GetParam();
    const std::string refusal = testing::Refusal<vb::RuntimeError>(
        [&] { Load(ReadData(row[0]), row[0]); },
        [](const auto& e) { return std::to_string(e.Number()) + " " + e.Description(); });
    EXPECT_EQ(refusal.rfind("481 Invalid picture: " + row[0] + ": ", 0), 0u) << refusal;
    EXPECT_NE(refusal.find(row[1]), std::string::npos) << refusal;
}

INSTANTIATE_TEST_SUITE_P(Table, PictureRefused,
                         ::testing::ValuesIn(testing::ReadTable("pictures/refused.txt")),
                         testing::RowName);

TEST(PictureLoad, FilesByPath) {
    const std::string dir = std::string(SHEENWORK_TEST_DATA_DIR) + "/pictures";
    EXPECT_EQ(LoadPicture(dir + "/quad-rle8.bmp")->Pixels(),
              Load(ReadData("quad-rle8.bmp"))->Pixels());  // as the table has them
    auto none = LoadPicture("");
    EXPECT_EQ(none->Type(), vb::PictureType::None);
    EXPECT_EQ(none->PixelWidth(), 0);
    auto number = [](const std::string& path) {
        try {
            LoadPicture(path);
        } catch (const vb::RuntimeError& e) {
            EXPECT_NE(e.Description().find(path), std::string::npos) << e.Description();
            return e.Number();
        }
        return 0L;
    };
    EXPECT_EQ(number(dir + "/no-such-file.bmp"), 53);
    EXPECT_EQ(number(dir), 75);
    EXPECT_EQ(number(dir + "/make.py"), 481);
}

// --- every prefix and every single-bit flip -----------------------------------------

// A damaged file is refused with 481 or decoded whole (pixels for every position); under
// the sanitizers any read outside the data fails the run. Whether it was refused.
bool RefusedOrWhole(const Bytes& b, const std::string& name, const std::string& what) {
    try {
        auto p = Load(b, name);
        EXPECT_EQ(p->Pixels().size(), static_cast<std::size_t>(p->PixelWidth()) * p->PixelHeight())
            << what;
        return false;
    } catch (const vb::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 481) << what << ": " << e.Description();
        return true;
    }
}

// Every file of tests/data/pictures/sweep.txt cut to every length and flipped at every
// n-th bit. Every file has bytes whose loss must be noticed (and perhaps none whose loss
// is not: a PNG checks every byte).
TEST(PictureLoad, EveryPrefixAndBitFlipIsRefusedOrWhole) {
    for (const auto& row : testing::ReadTable("pictures/sweep.txt")) {
        const Bytes file = ReadData(row[0]);
        int refused = 0;
        for (std::size_t n = 1; n < file.size(); ++n)
            refused += RefusedOrWhole(Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)), row[0],
                                      row[0] + " cut to " + std::to_string(n));
        for (std::size_t bit = 0; bit < file.size() * 8; bit += std::stoul(row[1])) {
            Bytes b = file;
            b[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
            refused += RefusedOrWhole(b, row[0], row[0] + " bit " + std::to_string(bit));
        }
        EXPECT_GT(refused, 0) << row[0];
    }
}

}  // namespace
}  // namespace sheenwork::picture
