// QI: the tooltip manager a button keeps, with one tooltip window of its own.
#pragma once

#include <sheenwork/control/sheenButton.h>

#include <memory>

#include "tooltip/sheenToolTip.h"

namespace sheenwork::tooltip {

class QI final : public sheenwork::QI {
public:
    // Shows sToolTip as the tip of cControl: the window made on the first call (owned by
    // fForm), the maximum width and the time the tip stays set, the tool added and its
    // text set, so that a second call updates the tip in place.
    void Create(vb::Variant fForm, vb::Variant cControl, std::string& sToolTip,
                vb::Integer& bShowTimeMilliSeconds, vb::Integer& lMaxWidthAsPixels) override;
    void Remove(vb::Variant cControl) override;
    void About() override;

    // The window wrapper; null until the first Create or Remove.
    sheenToolTip* Window() const { return ttWindow.get(); }

private:
    std::unique_ptr<sheenToolTip> ttWindow;
};

// The manager a new button gets.
std::shared_ptr<sheenwork::QI> NewQI();

}  // namespace sheenwork::tooltip
