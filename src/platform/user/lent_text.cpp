// Buffers lent as 32-bit addresses, for the text pointer of the tooltip's tool record.
#include <sheenwork/user/user.h>

#include <map>

namespace sheenwork::user {
namespace {

struct Lent {
    std::map<std::uint32_t, std::span<char>> buffers;
    std::uint32_t next_address = 0x10000;
};

Lent& Buffers() {
    static Lent lent;
    return lent;
}

}  // namespace

LentText::LentText(std::span<char> buffer) : address_(Buffers().next_address++) {
    Buffers().buffers.emplace(address_, buffer);
}
LentText::~LentText() { Buffers().buffers.erase(address_); }

std::span<char> TextAt(std::uint32_t address) {
    const auto& buffers = Buffers().buffers;
    const auto it = buffers.find(address);
    return it == buffers.end() ? std::span<char>() : it->second;
}

}  // namespace sheenwork::user
