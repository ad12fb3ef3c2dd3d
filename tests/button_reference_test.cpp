// Whole buttons against real GDI: every button scene painted by the control on our
// raster and by the same control code built with mingw on real GDI under Wine
// (tests/reference/run.sh writes button_scenes.bin).
//
// Wine 8 differs from Windows in two documented places the bodies touch: the 5 x 5
// RoundRect corners and the column mapping of the gradient's 4-pixel stretch. Our side
// follows Windows. So the scene is drawn a second time through our raster with Wine's
// two rules put back in (support/wine_model_gdi.h), and that picture must equal Wine's
// exactly; any other difference fails.
#include <gtest/gtest.h>

#include <map>

#include "button_scenes/button_scenes.h"
#include "support/recording_services.h"
#include "support/reference_results.h"
#include "support/wine_model_gdi.h"

namespace sheenwork {
namespace {

using scenes::Scene;

const testing::Results& Reference() {
    static const testing::Results results = testing::LoadResults("button_scenes.bin");
    return results;
}

TEST(ButtonReferenceResults, CoverEveryButtonScene) {
    const auto& ref = Reference();
    ASSERT_TRUE(ref.error.empty()) << ref.error;
    const auto& all = scenes::ButtonScenes();
    ASSERT_EQ(ref.images.size(), all.size())
        << "the results file is from another set of scenes. " << testing::kHowToMake;
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(ref.images[i].name, all[i].name);
        EXPECT_EQ(ref.images[i].width, all[i].width);
        EXPECT_EQ(ref.images[i].height, all[i].height);
    }
    std::map<std::string, int> seen;
    for (const auto& s : all) EXPECT_EQ(++seen[s.name], 1) << s.name;
}

class ButtonReference : public ::testing::TestWithParam<std::size_t> {
protected:
    // Reports a paint makes on a tiny button land here, as they land on standard error
    // in the reference runner.
    testing::RecordingServices services;
};

TEST_P(ButtonReference, MatchesRealGdi) {
    const auto& ref = Reference();
    ASSERT_TRUE(ref.error.empty()) << ref.error;
    const Scene& s = scenes::ButtonScenes()[GetParam()];
    const auto it = ref.by_name.find(s.name);
    ASSERT_NE(it, ref.by_name.end()) << s.name << " is missing. " << testing::kHowToMake;
    const auto& wine = ref.images[it->second].pixels;

    auto raster = gdi::MakeRasterGdi();
    auto model = testing::MakeWineModelGdi(*raster);
    const auto modelled = scenes::RenderScene(*model, s);
    if (modelled != wine)
        FAIL() << testing::Differences(s, modelled, wine,
                                       "ours with Wine's corner and stretch rules is not Wine's");
    // Our own picture differs from it only where those rules apply, which the model's
    // and the raster's own tests pin down; here it must at least be whole.
    const auto ours = scenes::RenderScene(*raster, s);
    EXPECT_EQ(ours.size(), wine.size());
}

std::string SceneName(const ::testing::TestParamInfo<std::size_t>& info) {
    std::string name = scenes::ButtonScenes()[info.param].name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonReference,
                         ::testing::Range<std::size_t>(0, scenes::ButtonScenes().size()),
                         SceneName);

}  // namespace
}  // namespace sheenwork
