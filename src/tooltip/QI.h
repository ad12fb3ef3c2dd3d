// QI: the tooltip manager a button keeps, with one tooltip window of its own.
#pragma once

#include <sheenwork/control/sheenButton.h>

#include <functional>
#include <memory>

#include "tooltip/sheenToolTip.h"

namespace sheenwork::tooltip {

class QI final : public sheenwork::QI {
public:
    // `about` opens the About window; a manager without one opens nothing.
    explicit QI(std::function<void()> about = {}) : about_(std::move(about)) {}

    // Shows sToolTip as the tip of cControl: the window made on the first call (owned by
    // fForm), the maximum width and the time the tip stays set, the tool added and its
    // text set, so that a second call updates the tip in place.
    void Create(vb::Variant fForm, vb::Variant cControl, std::string& sToolTip,
                vb::Integer& bShowTimeMilliSeconds, vb::Integer& lMaxWidthAsPixels) override;
    void Remove(vb::Variant cControl) override;
    // Opens the About window.
    void About() override;

    // The window wrapper; null until the first Create or Remove.
    sheenToolTip* Window() const { return ttWindow.get(); }

private:
    std::unique_ptr<sheenToolTip> ttWindow;
    std::function<void()> about_;
};

// The manager a new button gets; `about` opens the About window.
std::shared_ptr<sheenwork::QI> NewQI(std::function<void()> about);

}  // namespace sheenwork::tooltip
