// The host's font object: a shared, mutable description of a font. Assigning a
// reference shares the object (changes through one reference are seen through all);
// Clone makes an independent copy, as the control does with every font it is given.
#pragma once

#include <sheenwork/vb/boolean.h>

#include <cstdint>
#include <memory>
#include <string>

namespace sheenwork::vb {

class StdFont {
public:
    StdFont() = default;
    StdFont(std::string name, double size_points) : name_(std::move(name)) { Size(size_points); }

    const std::string& Name() const { return name_; }
    void Name(std::string name) { name_ = std::move(name); }

    // Points, kept as the host keeps them: a Currency, four decimal places.
    double Size() const { return static_cast<double>(size_e4_) / 10000.0; }
    void Size(double points);

    // Bold and Weight are one setting: Bold sets 700 or 400, a weight above 550 reads
    // as bold.
    Boolean Bold() const { return Boolean(weight_ > 550); }
    void Bold(Boolean on) { weight_ = on ? 700 : 400; }
    std::int16_t Weight() const { return weight_; }
    void Weight(std::int16_t weight) { weight_ = weight; }

    Boolean Italic() const { return italic_; }
    void Italic(Boolean on) { italic_ = on; }
    Boolean Underline() const { return underline_; }
    void Underline(Boolean on) { underline_ = on; }
    Boolean Strikethrough() const { return strikethrough_; }
    void Strikethrough(Boolean on) { strikethrough_ = on; }
    std::int16_t Charset() const { return charset_; }
    void Charset(std::int16_t charset) { charset_ = charset; }

    // A new object with every attribute of this one.
    std::shared_ptr<StdFont> Clone() const { return std::make_shared<StdFont>(*this); }

    // The character height in pixels at `dpi` (GDI's -MulDiv(points, dpi, 72)
    // magnitude): 9.75 pt is 13 px at 96 DPI.
    int PixelHeight(int dpi = 96) const;

    friend bool operator==(const StdFont&, const StdFont&) = default;

private:
    std::string name_ = "MS Sans Serif";
    std::int64_t size_e4_ = 82500;  // 8.25 pt
    std::int16_t weight_ = 400;
    Boolean italic_, underline_, strikethrough_;
    std::int16_t charset_ = 0;
};

}  // namespace sheenwork::vb
