// A story's section checked with the test framework; apart from the story reader, which
// the hosts that replay stories (the story host, the Windows container) build without it.
#include <gtest/gtest.h>

#include <sstream>

#include "support/story.h"

namespace sheenwork::testing {

void ExpectSection(const Section& section, const std::vector<std::string>& events,
                   const std::function<std::string(const std::string&, int, int)>& pixel,
                   const Lookup& field) {
    for (const auto& line : section.expected) {
        std::istringstream words(line);
        std::string first, name;
        words >> first >> name;
        if (first == "pixel") {
            int x = 0, y = 0;
            std::string want;
            words >> x >> y >> want;
            EXPECT_EQ(pixel(name, x, y), want) << line;
        }
        for (std::string pair; first == "fields" && words >> pair;) {
            const auto eq = pair.find('=');
            EXPECT_EQ(field(name, pair.substr(0, eq)), pair.substr(eq + 1)) << line;
        }
    }
    EXPECT_EQ(events, ExpectedEvents(section));
}

}  // namespace sheenwork::testing
